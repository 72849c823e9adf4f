#include "app/core/DrawingPaper.h"

#include <algorithm>
#include <cmath>

namespace {

// The sheets by paper code: A0..A4 at 0..4, the multiples of A0 at 8..11.
const char* const kByCode[] = {"A0", "A1", "A2", "A3", "A4", nullptr, nullptr, nullptr, "2A", "3A", "4A", "5A"};

bool Holds(const NamedPaper& n, double w, double h) {
  return (w <= n.LongMm && h <= n.ShortMm) || (w <= n.ShortMm && h <= n.LongMm);
}

Sheet SheetOf(const NamedPaper& n) { return {n.Name, n.LongMm, n.ShortMm}; }

}  // namespace

bool DrawingSheet(int32_t code, Sheet& out) {
  if (code < 0 || code >= static_cast<int32_t>(sizeof kByCode / sizeof kByCode[0]) || !kByCode[code]) return false;
  out = SheetOf(*FindNamedPaper(kByCode[code]));
  return true;
}

std::string PaperName(double widthMm, double heightMm) {
  const NamedPaper* n = NamedPaperOfSize(widthMm, heightMm);
  return n ? n->Name : std::string();
}

bool SmallestSheetHolding(double widthMm, double heightMm, Sheet& out) {
  for (const char* name : {"A4", "A3", "A2", "A1", "A0", "2A", "3A", "4A", "5A"}) {
    const NamedPaper& n = *FindNamedPaper(name);
    if (Holds(n, widthMm, heightMm)) {
      out = SheetOf(n);
      return true;
    }
  }
  return false;
}

double SheetRatio(double sheetWidthMm, double sheetHeightMm, double paperWidthMm, double paperHeightMm) {
  if (!(sheetWidthMm > 0 && sheetHeightMm > 0 && paperWidthMm > 0 && paperHeightMm > 0)) return 1;
  return std::min(paperWidthMm / sheetWidthMm, paperHeightMm / sheetHeightMm);
}

bool SheetTurned(PrintMethod method, int32_t printerSetting, double rotationDegrees) {
  if (method == PrintMethod::DrawingSettings) {
    const int units = printerSetting % 10;  // with the sign of the setting, as the page window reads it
    return units == 1 || units == 2;
  }
  if (!std::isfinite(rotationDegrees)) return false;
  const double quarter = std::fmod(std::fabs(rotationDegrees), 180.0);
  return quarter > 45 && quarter < 135;
}
