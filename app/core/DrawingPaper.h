// The sheet a drawing is drawn on, as its header stores it, and the paper
// a print run puts each drawing on: the paper given, the drawing's own
// sheet, or the given paper with the drawing reduced (or enlarged) by the
// ratio of its sheet to that paper.
#pragma once

#include <cstdint>
#include <string>

#include "app/core/PaperSize.h"
#include "app/core/PrintSettings.h"
#include "jww/PageWindow.h"

// The CAD program's sheets are landscape: the long side across.
struct Sheet {
  std::string Name;  // "A1", "2A", …
  double WidthMm = 0, HeightMm = 0;
};

// The sheet of a header's paper code (0..4 = A0..A4, 8..11 = 2A..5A).
// False for codes that name no sheet we can put on a page (the 10 m, 50 m
// and 100 m sheets, and unknown codes).
bool DrawingSheet(int32_t paperCode, Sheet& out);

// The name of a paper of that size in either orientation ("A3", "B4"),
// within 0.5 mm; empty for any other size.
std::string PaperName(double widthMm, double heightMm);

// The smallest of A4, A3, A2, A1, A0 (and 2A..5A) that holds widthMm x
// heightMm, turned to whichever orientation holds it; false when none does.
bool SmallestSheetHolding(double widthMm, double heightMm, Sheet& out);

// The ratio that brings a sheet, as it lands on the page (across x down),
// onto a paper: the smaller of the two side ratios, so the whole sheet fits
// (A1 onto A3 is 0.4994, the office's "50 %").
double SheetRatio(double sheetWidthMm, double sheetHeightMm, double paperWidthMm, double paperHeightMm);

// Whether the drawing lands turned a quarter on the page (its sheet then
// stands upright): the drawing's own print setting for print method 0,
// else the rotation given (degrees).
bool SheetTurned(PrintMethod method, int32_t printerSetting, double rotationDegrees);
