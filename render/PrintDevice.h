// The printer page a print run draws on, as the run sees it: resolution,
// paper and printable sizes, documents and pages, and the page's canvas.
// The platform layer provides the real ones (CUPS printer, PDF, PNG).
#pragma once

#include <string>

#include "attr/UnitGraAtt.h"
#include "render/Canvas.h"
#include "util/Status.h"

// The page the PDF and PNG "printers" make, or what is asked of a printer.
struct PageSetup {
  double PaperWidthMm = 420, PaperHeightMm = 297;  // A3 landscape
  int Dpi = 600;
};

// The papers a page may be made on: each side 10..5000 mm (a sheet 5 m long
// at most, and nothing smaller than a label). Every program that takes a
// paper size refuses any other.
constexpr double kMinPaperMm = 10, kMaxPaperMm = 5000;
inline bool PaperSizeAllowed(double widthMm, double heightMm) {
  return widthMm >= kMinPaperMm && heightMm >= kMinPaperMm && widthMm <= kMaxPaperMm && heightMm <= kMaxPaperMm;
}

class PrintDevice : public UnitGraAtt::PrinterResolution {
 public:
  ~PrintDevice() override = default;

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
  // splitting a character. Each of these fails, saying why, when what it
  // should write cannot be written.
  virtual util::Status BeginPrintDocument(const std::string& sjisTitle) = 0;
  virtual util::Status NewPrintPage() = 0;
  virtual util::Status EndPrintDocument() = 0;
  // Completes what the device writes (a PDF file is put in place here).
  virtual util::Status Finish() { return util::Status(); }
  // True when no page reaches the output before Finish (one PDF file).
  virtual bool WritesAtFinish() const { return false; }
  // Ends the output unwritten after a run that failed midway (for want of
  // memory, say): an earlier file at its path stays. Pages already sent
  // (PNG files, printer jobs) stay sent.
  virtual void AbandonOutput() {}
  // Abandons the document in progress, keeping the pages already drawn.
  virtual void AbortPrintDocument() { (void)EndPrintDocument(); }
  // What the page just begun shows: the drawing file (its path, bytes as on
  // disk) and, on a page per layer group, the group's number 0..15 and name
  // (Shift-JIS); -1 and "" for the whole drawing. A PDF keeps these as its
  // bookmarks and page labels; other devices need not listen.
  virtual void PageShows(const std::string& /*drawingPath*/, int /*layerGroup*/,
                         const std::string& /*sjisGroupName*/) {}
  // The canvas of the current page (valid between Begin and End).
  virtual Canvas& PageCanvas() = 0;
  // Pages begun, less any the device dropped unwritten at a stop (a PNG
  // page, held whole until it ends): the run leaves those out.
  virtual int PagesPrinted() const = 0;

  // The paper of the pages begun from now on (the sizes above answer it at
  // once). False when the device keeps its own paper (a printer).
  virtual bool SelectPaper(double /*widthMm*/, double /*heightMm*/) { return false; }
  // The installed face that prints a face a drawing asks for (Shift-JIS)
  // when that face is not installed and has no equivalent; empty when it
  // prints as asked or the device cannot tell.
  virtual std::string FaceUsedInstead(const std::string& /*sjisFace*/) { return std::string(); }

  int HorizontalDpi() const override { return PrinterDpiX(); }
};

// The job title as the print service shows it: 31 bytes at most, never
// splitting a double-byte character.
std::string PrintJobTitle(const std::string& sjisTitle);
