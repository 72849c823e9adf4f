#include "platform/PrintService.h"

#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

#include "platform/Fonts.h"
#include "platform/ImageLoader.h"
#include "platform/PdfOutline.h"
#include "platform/QtCanvas.h"
#include "render/NoDrawCanvas.h"
#include "render/UnitGval.h"
#include "util/CodePage.h"
#include "util/Files.h"
#include "util/Messages.h"
#include "util/Sjis.h"

namespace platform {

namespace {

QString FromSjis(const std::string& s) { return QString::fromUtf8(util::Cp932ToUtf8(s).c_str()); }

int MmToPx(double mm, int dpi) { return static_cast<int>(std::lround(mm * dpi / 25.4)); }

std::string FontInstead(const std::string& sjisFace) {
  return FontUsedInstead(FromSjis(sjisFace)).toStdString();
}

// The PDF and PNG "printers": the whole paper is printable, and the device
// pixels are the paper in mm x dpi / 25.4 exactly.
class FilePrintServiceBase : public PrintService {
 public:
  explicit FilePrintServiceBase(const PageSetup& s)
      : setup_(s), widthPx_(MmToPx(s.PaperWidthMm, s.Dpi)), heightPx_(MmToPx(s.PaperHeightMm, s.Dpi)) {}
  int PrinterDpiX() const override { return setup_.Dpi; }
  int PrinterDpiY() const override { return setup_.Dpi; }
  int PaperWidthPx() const override { return widthPx_; }
  int PaperHeightPx() const override { return heightPx_; }
  int PageWidthPx() const override { return widthPx_; }
  int PageHeightPx() const override { return heightPx_; }
  int PagesPrinted() const override { return pages_; }
  // Pages begun from now on take this paper; 0 x 0 returns to the one given.
  bool SelectPaper(double widthMm, double heightMm) override {
    if (!(widthMm > 0 && heightMm > 0)) {
      widthMm = given_.PaperWidthMm;
      heightMm = given_.PaperHeightMm;
    }
    setup_.PaperWidthMm = widthMm;
    setup_.PaperHeightMm = heightMm;
    // A page held in memory whole gets the resolution given, or the highest
    // below it that keeps the page within what a page may take.
    setup_.Dpi = given_.Dpi;
    const double most = MostPagePixels();
    while (most > 0 && setup_.Dpi > 72 &&
           static_cast<double>(MmToPx(widthMm, setup_.Dpi)) * MmToPx(heightMm, setup_.Dpi) > most)
      setup_.Dpi = std::max(72, static_cast<int>(setup_.Dpi * std::sqrt(most / (static_cast<double>(
                                                              MmToPx(widthMm, setup_.Dpi)) *
                                                          MmToPx(heightMm, setup_.Dpi)))));
    widthPx_ = MmToPx(widthMm, setup_.Dpi);
    heightPx_ = MmToPx(heightMm, setup_.Dpi);
    return true;
  }
  std::string FaceUsedInstead(const std::string& sjisFace) override { return FontInstead(sjisFace); }

 protected:
  // The most pixels a page of another paper may have (0: no limit).
  virtual double MostPagePixels() const { return 0; }
  PageSetup setup_;
  const PageSetup given_ = setup_;
  int widthPx_, heightPx_;
  int pages_ = 0;
};

// Pages walked but not drawn, to list what a run would print: images and
// fonts are asked about as on the printed pages, so the warnings are theirs.
class ListingPrintService : public FilePrintServiceBase {
 public:
  using FilePrintServiceBase::FilePrintServiceBase;
  std::string PrinterName() const override { return "list"; }
  util::Status BeginPrintDocument(const std::string&) override {
    ++pages_;
    return util::Status();
  }
  util::Status NewPrintPage() override {
    ++pages_;
    return util::Status();
  }
  util::Status EndPrintDocument() override { return util::Status(); }
  Canvas& PageCanvas() override { return canvas_; }

 private:
  class ImageSizes : public NoDrawCanvas {
    bool ImageSize(const std::string& path, int32_t& width, int32_t& height) override {
      const QSize size = ImageFileSize(QString::fromStdString(path));
      width = size.width();
      height = size.height();
      return !size.isEmpty();
    }
  } canvas_;
};

// Passes a writer's bytes on to a file and remembers a write that failed (a
// full disk): Qt's writers do not look, and the file would otherwise be put
// in place cut short. With `stoppable`, a stop asked for fails the next
// write too, so a long encoding (a big PNG page) ends at once.
class CheckedWrites : public QIODevice {
 public:
  explicit CheckedWrites(QIODevice* to) : to_(to) { open(QIODevice::WriteOnly); }
  CheckedWrites(util::OutputFile* to, bool stoppable) : file_(to), stoppable_(stoppable) { open(QIODevice::WriteOnly); }
  bool Failed() const { return failed_; }
  bool Stopped() const { return stopped_; }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    if (failed_) return -1;
    if (stoppable_ && UnitGval::AbortRequested()) {
      stopped_ = failed_ = true;
      return -1;
    }
    if (file_)
      failed_ = !file_->Write(data, static_cast<size_t>(size));
    else
      failed_ = to_->write(data, size) != size;
    return failed_ ? -1 : size;
  }

 private:
  QIODevice* to_ = nullptr;
  util::OutputFile* file_ = nullptr;
  bool stoppable_ = false;
  bool failed_ = false, stopped_ = false;
};

// The Qt writer's PDF is kept in memory and written to the file once, with
// bookmarks and page labels added (PdfOutline), when the run is finished.
class PdfPrintService : public FilePrintServiceBase {
 public:
  PdfPrintService(const std::string& path, const PageSetup& s, const std::string& title)
      : FilePrintServiceBase(s), path_(path), title_(title) {}
  ~PdfPrintService() override { (void)Finish(); }

  std::string PrinterName() const override { return "PDF"; }

  // The documents' titles are not the file's: that is chosen when it is finished.
  util::Status BeginPrintDocument(const std::string& /*sjisTitle*/) override {
    if (open_) return NewPrintPage();  // one file holds every document of the run
    // Where the file will go is known before anything is drawn: a link
    // planted by another user, a device, a FIFO or a folder at the path (or
    // behind a link) is refused, never written through or replaced.
    const util::Result<std::string> target = util::OutputTarget(path_);
    if (!target) return target.GetStatus();
    if (util::IsOtherThanRegularFile(target.Value()))
      return util::Status::Failure("cannot write " + path_ + ": it is not a regular file");
    // Qt's pages go to a draft beside the target as they are drawn, not
    // into memory (a run of many drawings holds one page at a time); the
    // finished file is written from it and put in place only when complete,
    // so a failed run never leaves a broken file where a good one was.
    const util::Status drafted = OpenDraft();
    if (!drafted) return drafted;
    writer_ = std::make_unique<QPdfWriter>(draftChecked_.get());
    writer_->setResolution(setup_.Dpi);
    SetWriterPaper();
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(writer_.get())) {
      painter_.reset();
      writer_.reset();
      CloseDraft();
      return util::Status::Failure("cannot write " + path_);
    }
    open_ = true;
    StartPage();
    return util::Status();
  }

  util::Status NewPrintPage() override {
    if (!open_) return util::Status::Failure("no document is open for " + path_);
    canvas_->Flush();
    // The pages are on the disk as they are drawn: a disk that is full is
    // found at the page that did not fit, not when the run is over.
    if (draftChecked_->Failed() || !draft_->flush())
      return util::Status::Failure("cannot write " + path_ + ": a write failed (is the disk full?); an earlier file there is kept");
    // A page of another paper than the last (each drawing on its own sheet).
    if (setup_.PaperWidthMm != writerPaper_.PaperWidthMm || setup_.PaperHeightMm != writerPaper_.PaperHeightMm)
      SetWriterPaper();
    if (!writer_->newPage()) return util::Status::Failure("cannot add a page to " + path_);
    StartPage();
    return util::Status();
  }

  // Documents end as pages; the file is finished when the service is.
  util::Status EndPrintDocument() override {
    return open_ ? util::Status() : util::Status::Failure("no document is open for " + path_);
  }

  Canvas& PageCanvas() override { return *canvas_; }

  void PageShows(const std::string& drawingPath, int layerGroup, const std::string& sjisGroupName) override {
    if (!open_ || pages_ < 1) return;
    notes_.resize(static_cast<size_t>(pages_));
    PdfPageNote& note = notes_.back();
    // File names are UTF-8 bytes; any that are not show as U+FFFD.
    note.drawing = QFileInfo(QString::fromUtf8(drawingPath.c_str())).fileName().toStdString();
    note.layerGroup = layerGroup;
    note.label = note.drawing;
    if (layerGroup >= 0) {
      const QString number = QString::number(layerGroup & 15, 16).toUpper();
      // A group without a name is called as the settings page calls it.
      note.groupTitle = sjisGroupName.empty() ? QStringLiteral("[%1]レイヤグループ").arg(number).toStdString()
                                              : FromSjis(sjisGroupName).toStdString();
      note.label += " [" + number.toStdString() + "]";
    }
  }

  bool WritesAtFinish() const override { return true; }

  // Ends the file unwritten: an earlier file at its path stays as it was.
  void AbandonOutput() override {
    if (!open_) return;
    open_ = false;
    canvas_.reset();
    if (painter_) painter_->end();
    painter_.reset();
    writer_.reset();
    CloseDraft();
    notes_.clear();
  }

  util::Status Finish() override {
    if (!open_) return util::Status();
    open_ = false;
    canvas_.reset();
    bool ok = painter_->end();
    painter_.reset();
    writer_.reset();
    std::string why = "the PDF writer failed";
    const bool draftFailed = draftChecked_->Failed() || !draft_->flush();
    if (draftFailed) ok = false;
    draftChecked_.reset();
    draft_->close();
    // Read back from the disk as libqpdf needs it, and written again beside
    // the target, to be put in place when whole.
    file_ = std::make_unique<util::OutputFile>();
    if (ok) {
      const util::Status opened = file_->Open(path_);
      ok = opened.Ok();
      if (!ok) why = opened.Why();
    }
    checked_ = std::make_unique<CheckedWrites>(file_.get(), false);
    if (ok) {
      const util::Status written =
          WritePdfFileWithOutline(draftPath_, notes_, {DocumentTitle(), "Kestrovan " KESTROVAN_VERSION}, *checked_);
      ok = written.Ok();
      if (!ok) why = written.Why();
    }
    CloseDraft();
    util::Status done;
    if (!ok || checked_->Failed()) {
      // Cut short, or not made: the earlier file stays where it was.
      done = util::Status::Failure("cannot write " + path_ + ": " +
                                   (checked_->Failed() || draftFailed ? std::string("a write failed (is the disk full?)")
                                                                      : why) +
                                   "; an earlier file there is kept");
      file_->Cancel();
    } else if (const util::Status committed = file_->Commit(); !committed) {
      done = committed;
    }
    checked_.reset();
    file_.reset();
    notes_.clear();
    return done;
  }

 private:
  void SetWriterPaper() {
    const QPageSize size(QSizeF(setup_.PaperWidthMm, setup_.PaperHeightMm), QPageSize::Millimeter,
                         QString(), QPageSize::ExactMatch);
    writer_->setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writerPaper_ = setup_;
  }

  void StartPage() {
    ++pages_;
    // Qt rounds the page to whole points; map our exact pixel grid onto it.
    painter_->resetTransform();
    painter_->scale(static_cast<double>(writer_->width()) / widthPx_,
                    static_cast<double>(writer_->height()) / heightPx_);
    canvas_ = std::make_unique<QtCanvas>(painter_.get());
  }

  // The title given, else the drawing's name when the file holds one
  // drawing, else the file's own name without its extension.
  std::string DocumentTitle() const {
    if (!title_.empty()) return title_;
    std::string drawing;
    for (const PdfPageNote& note : notes_) {
      if (note.drawing.empty() || note.drawing == drawing) continue;
      if (!drawing.empty()) return QFileInfo(QString::fromUtf8(path_.c_str())).completeBaseName().toStdString();
      drawing = note.drawing;
    }
    return drawing.empty() ? QFileInfo(QString::fromUtf8(path_.c_str())).completeBaseName().toStdString() : drawing;
  }

  // The Qt writer's file: beside the target, of a unique name, removed when
  // the PDF is finished or fails.
  util::Status OpenDraft() {
    const util::Result<std::string> target = util::OutputTarget(path_);
    if (!target) return target.GetStatus();
    const util::Result<util::Draft> made = util::MakeDraftBeside(target.Value());
    if (!made) return made.GetStatus();
    draftPath_ = made.Value().Path;
    draftLock_ = made.Value().LockFd;
    draft_ = std::make_unique<QFile>(QString::fromStdString(draftPath_));
    if (!draft_->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
      CloseDraft();
      return util::Status::Failure("cannot write in the folder of " + path_);
    }
    draftChecked_ = std::make_unique<CheckedWrites>(draft_.get());
    return util::Status();
  }
  void CloseDraft() {
    draftChecked_.reset();
    draft_.reset();
    if (!draftPath_.empty()) std::remove(draftPath_.c_str());
    draftPath_.clear();
    if (draftLock_ >= 0) ::close(draftLock_);
    draftLock_ = -1;
  }

  std::string path_;
  std::string title_;
  std::vector<PdfPageNote> notes_;  // what each page shows
  std::unique_ptr<util::OutputFile> file_;
  std::unique_ptr<CheckedWrites> checked_;
  std::string draftPath_;
  int draftLock_ = -1;  // held while the draft is ours
  std::unique_ptr<QFile> draft_;                  // the Qt writer's output
  std::unique_ptr<CheckedWrites> draftChecked_;
  std::unique_ptr<QPdfWriter> writer_;
  std::unique_ptr<QPainter> painter_;
  std::unique_ptr<QtCanvas> canvas_;
  PageSetup writerPaper_;  // the paper of the writer's current page
  bool open_ = false;
};

// Pages drawn on an image in memory; each finished page goes to a sink (a
// PNG file, or a list for the preview). A stop asked for (the draw pass's
// abort check) drops the page in hand instead: a big page takes seconds to
// fill and to encode, and the stop acts within them. A page dropped is no
// longer counted in PagesPrinted, so the run knows it was not written.
class RasterPrintService : public FilePrintServiceBase {
 public:
  // The sink gets the page and its number from 1.
  using Sink = std::function<util::Status(const QImage& page, int number)>;
  RasterPrintService(const PageSetup& s, std::string name, std::function<util::Status()> prepare, Sink sink)
      : FilePrintServiceBase(s), name_(std::move(name)), prepare_(std::move(prepare)), sink_(std::move(sink)) {}
  ~RasterPrintService() override { (void)FlushPage(); }

  std::string PrinterName() const override { return name_; }
  util::Status BeginPrintDocument(const std::string&) override {
    if (prepare_) {
      const util::Status prepared = prepare_();
      if (!prepared) return prepared;
    }
    return StartPage();
  }
  util::Status NewPrintPage() override {
    const util::Status flushed = FlushPage();
    if (!flushed) return flushed;
    return StartPage();
  }
  util::Status EndPrintDocument() override { return FlushPage(); }
  Canvas& PageCanvas() override { return *canvas_; }

 protected:
  // A page is an image of 4 bytes a pixel: at most 1 GiB.
  double MostPagePixels() const override { return static_cast<double>(kMostRasterPageBytes / 4); }

 private:
  util::Status StartPage() {
    image_ = QImage(widthPx_, heightPx_, QImage::Format_RGB32);
    if (image_.isNull()) return util::Status::Failure("not enough memory for a page of that size and resolution");
    // White a band at a time: the first touch of a big page's memory takes
    // seconds, and a stop asked for meanwhile leaves the rest (the page is
    // then dropped). 0xff bytes are opaque white in this format.
    uchar* bits = image_.bits();
    const qsizetype bytes = image_.sizeInBytes();
    constexpr qsizetype kBand = qsizetype{8} << 20;
    filled_ = true;
    for (qsizetype at = 0; at < bytes && filled_; at += kBand) {
      filled_ = !UnitGval::AbortRequested();
      if (filled_) std::memset(bits + at, 0xff, static_cast<size_t>(std::min(kBand, bytes - at)));
    }
    const int dpm = static_cast<int>(std::lround(setup_.Dpi / 0.0254));
    image_.setDotsPerMeterX(dpm);
    image_.setDotsPerMeterY(dpm);
    painter_ = std::make_unique<QPainter>(&image_);
    canvas_ = std::make_unique<QtCanvas>(painter_.get());
    ++pages_;
    return util::Status();
  }

  util::Status FlushPage() {
    if (!painter_) return util::Status();
    canvas_.reset();
    painter_->end();
    painter_.reset();
    util::Status sunk;
    if (filled_ && !UnitGval::AbortRequested()) sunk = sink_(image_, pages_);
    // Dropped at a stop, before or while it was written.
    if (!filled_ || UnitGval::AbortRequested()) {
      sunk = util::Status();
      --pages_;
    }
    image_ = QImage();
    return sunk;
  }

  std::string name_;
  std::function<util::Status()> prepare_;
  Sink sink_;
  QImage image_;
  bool filled_ = false;  // the page was made white whole
  std::unique_ptr<QPainter> painter_;
  std::unique_ptr<QtCanvas> canvas_;
};

class CupsPrintService : public PrintService {
 public:
  CupsPrintService(const QPrinterInfo& info, bool chosen, const PageSetup* request,
                   const std::function<void(QPrinter&)>& adjust)
      : printer_(info, QPrinter::HighResolution), chosen_(chosen) {
    if (request) {
      printer_.setResolution(request->Dpi);
      const bool landscape = request->PaperWidthMm > request->PaperHeightMm;
      const QSizeF portrait(std::min(request->PaperWidthMm, request->PaperHeightMm),
                            std::max(request->PaperWidthMm, request->PaperHeightMm));
      printer_.setPageSize(QPageSize(portrait, QPageSize::Millimeter));
      printer_.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    }
    printer_.setFullPage(false);
    if (adjust) adjust(printer_);
  }
  ~CupsPrintService() override { (void)EndPrintDocument(); }

  std::string PrinterName() const override {
    if (!chosen_) return util::Utf8ToCp932(msg::kDefaultPrinter);
    return util::Utf8ToCp932(printer_.printerName().toStdString());
  }
  int PrinterDpiX() const override { return printer_.logicalDpiX(); }
  int PrinterDpiY() const override { return printer_.logicalDpiY(); }
  int PaperWidthPx() const override { return static_cast<int>(printer_.paperRect(QPrinter::DevicePixel).width()); }
  int PaperHeightPx() const override { return static_cast<int>(printer_.paperRect(QPrinter::DevicePixel).height()); }
  int PageWidthPx() const override { return static_cast<int>(printer_.pageRect(QPrinter::DevicePixel).width()); }
  int PageHeightPx() const override { return static_cast<int>(printer_.pageRect(QPrinter::DevicePixel).height()); }
  int PagesPrinted() const override { return pages_; }
  std::string FaceUsedInstead(const std::string& sjisFace) override { return FontInstead(sjisFace); }

  util::Status BeginPrintDocument(const std::string& sjisTitle) override {
    printer_.setDocName(FromSjis(PrintJobTitle(sjisTitle)));
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(&printer_)) {
      painter_.reset();
      return util::Status::Failure("the printer " + printer_.printerName().toStdString() + " does not accept the job");
    }
    canvas_ = std::make_unique<QtCanvas>(painter_.get());
    pages_ = 1;
    return util::Status();
  }
  util::Status NewPrintPage() override {
    if (!painter_) return util::Status::Failure("no job is open on the printer");
    canvas_->Flush();
    if (!printer_.newPage())
      return util::Status::Failure("the printer " + printer_.printerName().toStdString() + " took no further page");
    canvas_->Invalidate();
    ++pages_;
    return util::Status();
  }
  util::Status EndPrintDocument() override {
    if (!painter_) return util::Status();
    canvas_.reset();
    const bool ok = painter_->end();
    painter_.reset();
    if (!ok)
      return util::Status::Failure("the job could not be sent to the printer " + printer_.printerName().toStdString());
    return util::Status();
  }
  Canvas& PageCanvas() override { return *canvas_; }

 private:
  QPrinter printer_;
  bool chosen_;
  std::unique_ptr<QPainter> painter_;
  std::unique_ptr<QtCanvas> canvas_;
  int pages_ = 0;
};

}  // namespace

std::unique_ptr<PrintService> MakePdfPrintService(const std::string& path, const PageSetup& setup,
                                                  const std::string& title) {
  return std::make_unique<PdfPrintService>(path, setup, title);
}

std::unique_ptr<PrintService> MakeListingPrintService(const PageSetup& setup) {
  return std::make_unique<ListingPrintService>(setup);
}

std::unique_ptr<PrintService> MakePngPrintService(const std::string& dir, const PageSetup& setup) {
  return std::make_unique<RasterPrintService>(
      setup, "PNG",
      [dir]() {
        // The folder as the pages will find it: not through a link another user planted.
        const util::Result<std::string> target = util::OutputTarget(dir);
        if (!target) return target.GetStatus();
        if (QDir().mkpath(QString::fromUtf8(target.Value().c_str()))) return util::Status();
        return util::Status::Failure("cannot create the folder " + dir);
      },
      [dir](const QImage& page, int number) {
        const std::string file = dir + QString("/page-%1.png").arg(number, 4, 10, QChar('0')).toStdString();
        // Beside its name first, and put in place only when the whole page is
        // on the disk: a full disk leaves no cut-short page behind. A stop
        // ends the encoding at its next write.
        util::OutputFile out;
        if (const util::Status opened = out.Open(file); !opened) return opened;
        CheckedWrites checked(&out, true);
        const bool saved = page.save(&checked, "PNG") && !checked.Failed();
        if (saved) return out.Commit();
        out.Cancel();
        if (checked.Stopped()) return util::Status::Failure("stopped before " + file + " was written");
        return util::Status::Failure("cannot write " + file + " (is the disk full?)");
      });
}

std::unique_ptr<PrintService> MakeImagePrintService(const PageSetup& setup, std::vector<QImage>* pages) {
  return std::make_unique<RasterPrintService>(setup, "preview", nullptr,
                                              [pages](const QImage& page, int) {
                                                pages->push_back(page);
                                                return util::Status();
                                              });
}

util::Result<std::unique_ptr<PrintService>> MakeCupsPrintService(const std::string& name,
                                                                 const PageSetup* request,
                                                                 const std::function<void(QPrinter&)>& adjust) {
  QPrinterInfo info;
  if (name.empty()) {
    info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) return util::Status::Failure("no default printer is set up");
  } else {
    // Qt falls back to the default printer for an unknown name: check first.
    info = QPrinterInfo::printerInfo(QString::fromUtf8(name.c_str()));
    if (info.isNull()) return util::Status::Failure("there is no printer called " + name);
  }
  return std::unique_ptr<PrintService>(std::make_unique<CupsPrintService>(info, !name.empty(), request, adjust));
}

}  // namespace platform
