// What makes a finished PDF worth keeping beyond its pages: one bookmark per
// drawing (with a child per layer-group page), page labels, and the
// document's title and creator. The Qt writer cannot write bookmarks, so
// libqpdf reads the finished file once and writes it again with them; the
// pages' own streams are copied as they are.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "util/Status.h"

class QIODevice;

namespace platform {

// What one page shows (UTF-8 texts).
struct PdfPageNote {
  std::string drawing;     // the drawing's file name; empty: the page has no bookmark
  int layerGroup = -1;     // 0..15 on a page per layer group
  std::string groupTitle;  // the group page's bookmark title
  std::string label;       // the page label; empty: the page's number
};

struct PdfDocumentInfo {
  std::string title, creator;  // UTF-8
};

// Writes the PDF in pdf[0..size) to `out` with bookmarks and labels for its
// pages (pages[i] for page i; pages past the list have neither) and the
// document information. A page that shows a drawing other than the page
// before it, or a group already listed under the drawing, begins a new
// drawing bookmark. Fails, saying why, when the PDF cannot be read or `out`
// refuses a write.
util::Status WritePdfWithOutline(const char* pdf, size_t size, const std::vector<PdfPageNote>& pages,
                                 const PdfDocumentInfo& info, QIODevice& out);
// The same for the PDF in the file at `path`, read as needed rather than held whole.
util::Status WritePdfFileWithOutline(const std::string& path, const std::vector<PdfPageNote>& pages,
                                     const PdfDocumentInfo& info, QIODevice& out);

}  // namespace platform
