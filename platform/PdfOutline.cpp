#include "platform/PdfOutline.h"

#include <functional>
#include <new>

#include <QIODevice>
#include <qpdf/Pipeline.hh>
#include <qpdf/Pl_Discard.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFLogger.hh>
#include <qpdf/QPDFNumberTreeObjectHelper.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <set>
#include <stdexcept>

namespace platform {

namespace {

// Hands QPDFWriter's many small pieces to the device in large writes, and
// stops the writer at the first write the device refuses. (finish() may be
// called again while the writer unwinds, so it never throws.)
class DevicePipeline : public Pipeline {
 public:
  explicit DevicePipeline(QIODevice& to) : Pipeline("output", nullptr), to_(to) { held_.reserve(kChunk); }
  void write(unsigned char const* data, size_t len) override {
    if (failed_) return;
    held_.append(reinterpret_cast<const char*>(data), len);
    if (held_.size() >= kChunk && !Flush()) throw std::runtime_error("a write failed");
  }
  void finish() override { Flush(); }
  bool Failed() const { return failed_; }

 private:
  static constexpr size_t kChunk = 1 << 16;
  bool Flush() {
    if (!failed_ && !held_.empty() &&
        to_.write(held_.data(), static_cast<qint64>(held_.size())) != static_cast<qint64>(held_.size()))
      failed_ = true;
    held_.clear();
    return !failed_;
  }
  QIODevice& to_;
  std::string held_;
  bool failed_ = false;
};

struct Bookmark {
  std::string title;
  size_t page = 0;
  std::vector<Bookmark> kids;
  std::set<int> groups;  // the layer groups listed under a drawing
};

std::vector<Bookmark> BookmarksOf(const std::vector<PdfPageNote>& pages, size_t pageCount) {
  std::vector<Bookmark> top;
  const PdfPageNote* previous = nullptr;
  for (size_t i = 0; i < pages.size() && i < pageCount; ++i) {
    const PdfPageNote& note = pages[i];
    if (note.drawing.empty()) {
      previous = nullptr;
      continue;
    }
    const bool sameDrawing = previous && previous->drawing == note.drawing && note.layerGroup >= 0 &&
                             previous->layerGroup >= 0 && !top.back().groups.count(note.layerGroup);
    if (!sameDrawing) top.push_back({note.drawing, i, {}, {}});
    if (note.layerGroup >= 0) {
      top.back().groups.insert(note.layerGroup);
      top.back().kids.push_back({note.groupTitle, i, {}, {}});
    }
    previous = &note;
  }
  return top;
}

// Links `items` under `parent` (/First, /Last, /Count, all open); gives the
// number of items visible below the parent.
int LinkBookmarks(QPDF& pdf, const std::vector<Bookmark>& items, QPDFObjectHandle parent,
                  const std::vector<QPDFPageObjectHelper>& pages) {
  int visible = 0;
  QPDFObjectHandle last;
  for (const Bookmark& b : items) {
    QPDFObjectHandle item = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    item.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(b.title));
    item.replaceKey("/Parent", parent);
    item.replaceKey("/Dest", QPDFObjectHandle::newArray({pages[b.page].getObjectHandle(),
                                                         QPDFObjectHandle::newName("/Fit")}));
    if (last.isInitialized()) {
      last.replaceKey("/Next", item);
      item.replaceKey("/Prev", last);
    } else {
      parent.replaceKey("/First", item);
    }
    last = item;
    ++visible;
    if (!b.kids.empty()) visible += LinkBookmarks(pdf, b.kids, item, pages);
  }
  if (last.isInitialized()) {
    parent.replaceKey("/Last", last);
    parent.replaceKey("/Count", QPDFObjectHandle::newInteger(visible));
  }
  return visible;
}

void AddPageLabels(QPDF& pdf, const std::vector<PdfPageNote>& notes, size_t pageCount) {
  QPDFNumberTreeObjectHelper labels = QPDFNumberTreeObjectHelper::newEmpty(pdf);
  for (size_t i = 0; i < pageCount; ++i) {
    QPDFObjectHandle label = QPDFObjectHandle::newDictionary();
    if (i < notes.size() && !notes[i].label.empty()) {
      label.replaceKey("/P", QPDFObjectHandle::newUnicodeString(notes[i].label));  // the text alone
    } else {
      label.replaceKey("/S", QPDFObjectHandle::newName("/D"));
      label.replaceKey("/St", QPDFObjectHandle::newInteger(static_cast<long long>(i) + 1));
    }
    labels.insert(static_cast<long long>(i), label);
  }
  pdf.getRoot().replaceKey("/PageLabels", labels.getObjectHandle());
}

}  // namespace

namespace {

// `read` hands the PDF to libqpdf: from memory, or from a file read as needed.
util::Status WriteWithOutline(const std::function<void(QPDF&)>& read, const std::vector<PdfPageNote>& notes,
                              const PdfDocumentInfo& info, QIODevice& out) {
  try {
    QPDF pdf;
    // Nothing of libqpdf's reaches our standard streams (the CUPS filter's
    // standard output is the PDF itself).
    std::shared_ptr<QPDFLogger> quiet = QPDFLogger::create();
    auto discard = std::make_shared<Pl_Discard>();
    quiet->setInfo(discard);
    quiet->setWarn(discard);
    quiet->setError(discard);
    pdf.setLogger(quiet);
    pdf.setSuppressWarnings(true);
    read(pdf);

    const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
    const std::vector<Bookmark> bookmarks = BookmarksOf(notes, pages.size());
    QPDFObjectHandle root = pdf.getRoot();
    if (!bookmarks.empty()) {
      QPDFObjectHandle outlines = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
      outlines.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
      LinkBookmarks(pdf, bookmarks, outlines, pages);
      root.replaceKey("/Outlines", outlines);
      root.replaceKey("/PageMode", QPDFObjectHandle::newName("/UseOutlines"));
    }
    if (!pages.empty()) AddPageLabels(pdf, notes, pages.size());

    QPDFObjectHandle trailer = pdf.getTrailer();
    if (!trailer.getKey("/Info").isDictionary())
      trailer.replaceKey("/Info", pdf.makeIndirectObject(QPDFObjectHandle::newDictionary()));
    QPDFObjectHandle docInfo = trailer.getKey("/Info");
    docInfo.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(info.title));
    docInfo.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString(info.creator));

    DevicePipeline sink(out);
    QPDFWriter writer(pdf);
    writer.setOutputPipeline(&sink);
    // The streams are copied byte for byte: no decoding, no recompressing.
    writer.setDecodeLevel(qpdf_dl_none);
    writer.setCompressStreams(false);
    // The same run gives the same file.
    writer.setDeterministicID(true);
    writer.write();
    if (!sink.Failed()) return util::Status();
    return util::Status::Failure("a write failed");
  } catch (const std::bad_alloc&) {
    return util::Status::Failure("there is not enough memory to finish the PDF");
  } catch (const std::exception& e) {
    return util::Status::Failure(e.what());
  }
}

}  // namespace

util::Status WritePdfWithOutline(const char* data, size_t size, const std::vector<PdfPageNote>& notes,
                                 const PdfDocumentInfo& info, QIODevice& out) {
  return WriteWithOutline([&](QPDF& pdf) { pdf.processMemoryFile("PDF", data, size); }, notes, info, out);
}

util::Status WritePdfFileWithOutline(const std::string& path, const std::vector<PdfPageNote>& notes,
                                     const PdfDocumentInfo& info, QIODevice& out) {
  return WriteWithOutline([&](QPDF& pdf) { pdf.processFile(path.c_str()); }, notes, info, out);
}

}  // namespace platform
