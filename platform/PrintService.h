// The print service: the page a print run draws on, and the printer helpers
// the run asks (name, resolution, paper and printable sizes, documents and
// pages). Three kinds of page: a CUPS printer, one PDF file, PNG files.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QImage>

class QPrinter;
#include <vector>

#include "render/PrintDevice.h"
#include "util/Status.h"

namespace platform {

// The page the PDF and PNG "printers" make is a PageSetup; the service
// itself is the PrintDevice of the core.
using PrintService = PrintDevice;

// Every page of every document of the run into one PDF file, with a
// bookmark per drawing and page labels. Its title (UTF-8) is `title`, else
// the drawing's name when it holds one drawing, else the file's own name.
std::unique_ptr<PrintService> MakePdfPrintService(const std::string& path, const PageSetup& setup,
                                                  const std::string& title = std::string());
// A PNG or preview page is drawn whole in memory, 4 bytes a pixel: a page of
// a drawing's own paper (SelectPaper) that would take more than this is
// drawn at the highest lower resolution that keeps it within.
constexpr uint64_t kMostRasterPageBytes = uint64_t{1} << 30;
// One PNG file per page: dir/page-0001.png, …
std::unique_ptr<PrintService> MakePngPrintService(const std::string& dir, const PageSetup& setup);
// Pages that draw nothing (for listing what a run would print).
std::unique_ptr<PrintService> MakeListingPrintService(const PageSetup& setup);
// Pages kept in memory (for a preview); every page is appended to `pages`.
std::unique_ptr<PrintService> MakeImagePrintService(const PageSetup& setup, std::vector<QImage>* pages);
// A CUPS queue by name, or the default printer when the name is empty;
// fails when there is no such printer. `adjust`, when given, sets the
// printer's own choices (copies, duplex, tray) on its QPrinter.
util::Result<std::unique_ptr<PrintService>> MakeCupsPrintService(const std::string& name,
                                                                 const PageSetup* request,
                                                                 const std::function<void(QPrinter&)>& adjust = {});

}  // namespace platform
