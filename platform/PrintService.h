// The print service: the page a print run draws on, and the printer helpers
// the run asks (name, resolution, paper and printable sizes, documents and
// pages). Three kinds of page: a CUPS printer, one PDF file, PNG files.
#pragma once

#include <memory>
#include <string>

#include "attr/UnitGraAtt.h"
#include "render/Canvas.h"

namespace platform {

// The page the PDF and PNG "printers" make, or what is asked of a printer.
struct PageSetup {
  double PaperWidthMm = 420, PaperHeightMm = 297;  // A3 landscape
  int Dpi = 600;
};

class PrintService : public UnitGraAtt::PrinterResolution {
 public:
  ~PrintService() override = default;

  // Shift-JIS; "<標準プリンタ>" when the system's default printer is used
  // because none was chosen.
  virtual std::string PrinterName() const = 0;
  virtual int PrinterDpiX() const = 0;
  virtual int PrinterDpiY() const = 0;
  virtual int PaperWidthPx() const = 0;
  virtual int PaperHeightPx() const = 0;
  virtual int PageWidthPx() const = 0;  // the printable area
  virtual int PageHeightPx() const = 0;

  // Sizes in mm rounded to 0.01 mm, halves up.
  double PaperWidthMm() const { return PxToMm(PaperWidthPx(), PrinterDpiX()); }
  double PaperHeightMm() const { return PxToMm(PaperHeightPx(), PrinterDpiY()); }
  double PageWidthMm() const { return PxToMm(PageWidthPx(), PrinterDpiX()); }
  double PageHeightMm() const { return PxToMm(PageHeightPx(), PrinterDpiY()); }
  static double PxToMm(int px, int dpi);

  // Begins a document; the title (Shift-JIS) is cut to 31 bytes without
  // splitting a character. False (see LastError) when nothing can be written.
  virtual bool BeginPrintDocument(const std::string& sjisTitle) = 0;
  virtual bool NewPrintPage() = 0;
  virtual bool EndPrintDocument() = 0;
  // Abandons the document in progress, keeping the pages already drawn.
  virtual void AbortPrintDocument() { EndPrintDocument(); }
  // The canvas of the current page (valid between Begin and End).
  virtual Canvas& PageCanvas() = 0;
  virtual int PagesPrinted() const = 0;

  const std::string& LastError() const { return error_; }

  int HorizontalDpi() const override { return PrinterDpiX(); }

 protected:
  std::string error_;
};

// The job title as the print service shows it: 31 bytes at most.
std::string PrintJobTitle(const std::string& sjisTitle);

// Every page of every document of the run into one PDF file.
std::unique_ptr<PrintService> MakePdfPrintService(const std::string& path, const PageSetup& setup);
// One PNG file per page: dir/page-0001.png, …
std::unique_ptr<PrintService> MakePngPrintService(const std::string& dir, const PageSetup& setup);
// A CUPS queue by name, or the default printer when the name is empty.
// Null (with the reason in `error`) when there is no such printer.
std::unique_ptr<PrintService> MakeCupsPrintService(const std::string& name, const PageSetup* request,
                                                   std::string& error);

}  // namespace platform
