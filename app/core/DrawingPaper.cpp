#include "app/core/DrawingPaper.h"

#include <algorithm>
#include <cmath>

namespace {

struct Named {
  const char* name;
  double w, h;  // landscape
};
// A0..A4 by paper code; the multiples of A0 follow at codes 8..11.
const Named kSheets[] = {{"A0", 1189, 841}, {"A1", 841, 594}, {"A2", 594, 420}, {"A3", 420, 297},
                         {"A4", 297, 210}};
const Named kLarge[] = {{"2A", 1682, 1189}, {"3A", 2378, 1682}, {"4A", 3364, 2378}, {"5A", 4756, 3364}};
const Named kOthers[] = {{"A5", 210, 148}, {"B4", 364, 257}, {"B5", 257, 182}};

bool Holds(double sheetW, double sheetH, double w, double h) {
  return (w <= sheetW && h <= sheetH) || (w <= sheetH && h <= sheetW);
}

}  // namespace

bool DrawingSheet(int32_t code, Sheet& out) {
  const Named* n = nullptr;
  if (code >= 0 && code <= 4) n = &kSheets[code];
  if (code >= 8 && code <= 11) n = &kLarge[code - 8];
  if (!n) return false;
  out = {n->name, n->w, n->h};
  return true;
}

std::string PaperName(double widthMm, double heightMm) {
  const double lo = std::min(widthMm, heightMm), hi = std::max(widthMm, heightMm);
  auto near = [&](const Named& n) { return std::fabs(n.w - hi) <= 0.5 && std::fabs(n.h - lo) <= 0.5; };
  for (const Named& n : kSheets)
    if (near(n)) return n.name;
  for (const Named& n : kLarge)
    if (near(n)) return n.name;
  for (const Named& n : kOthers)
    if (near(n)) return n.name;
  return std::string();
}

bool SmallestSheetHolding(double widthMm, double heightMm, Sheet& out) {
  for (int code = 4; code >= 0; --code)
    if (Holds(kSheets[code].w, kSheets[code].h, widthMm, heightMm)) return DrawingSheet(code, out);
  for (const Named& n : kLarge)
    if (Holds(n.w, n.h, widthMm, heightMm)) {
      out = {n.name, n.w, n.h};
      return true;
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
