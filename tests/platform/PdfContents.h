// What a PDF holds besides its pages, read back with libqpdf.
#pragma once

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageLabelDocumentHelper.hh>
#include <string>
#include <vector>

// A PDF read back with libqpdf: bookmarks as "page title" (children
// indented), page labels, and the document's title and creator.
struct PdfContents {
  std::vector<std::string> bookmarks, labels;
  std::string title, creator;
};

inline PdfContents ReadPdf(const std::string& path) {
  QPDF pdf;
  pdf.processFile(path.c_str());
  std::vector<QPDFObjectHandle> pages;
  for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) pages.push_back(page.getObjectHandle());
  auto pageOf = [&](QPDFOutlineObjectHelper& o) {
    for (size_t i = 0; i < pages.size(); ++i)
      if (pages[i].getObjGen() == o.getDestPage().getObjGen()) return std::to_string(i + 1);
    return std::string("?");
  };
  PdfContents c;
  QPDFOutlineDocumentHelper outlines(pdf);
  for (QPDFOutlineObjectHelper& drawing : outlines.getTopLevelOutlines()) {
    c.bookmarks.push_back(pageOf(drawing) + " " + drawing.getTitle());
    for (QPDFOutlineObjectHelper& group : drawing.getKids())
      c.bookmarks.push_back("  " + pageOf(group) + " " + group.getTitle());
  }
  QPDFPageLabelDocumentHelper labels(pdf);
  for (size_t i = 0; i < pages.size(); ++i) {  // our labels are a prefix alone
    QPDFObjectHandle prefix = labels.getLabelForPage(static_cast<long long>(i)).getKey("/P");
    c.labels.push_back(prefix.isString() ? prefix.getUTF8Value() : "?");
  }
  QPDFObjectHandle info = pdf.getTrailer().getKey("/Info");
  c.title = info.getKey("/Title").getUTF8Value();
  c.creator = info.getKey("/Creator").getUTF8Value();
  return c;
}
