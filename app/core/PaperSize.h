// Paper sizes by name ("A3", "B4", …) or as "WxHmm".
#pragma once

#include <string>

struct PaperSize {
  double WidthMm = 0, HeightMm = 0;  // portrait: width <= height for named sizes
};

// False for a name or size it does not know, or a size no page may have
// (PaperSizeAllowed: each side 10..5000 mm).
bool ParsePaperSize(const std::string& text, PaperSize& out);

// The papers known by name: A0..A5, B4 and B5 (JIS), and the multiples of
// A0 the CAD program draws on, 2A..5A.
struct NamedPaper {
  const char* Name;
  double LongMm, ShortMm;
};
// By name, in any letter case; null for a name not known.
const NamedPaper* FindNamedPaper(const std::string& name);
// The paper of that size in either orientation, within 0.5 mm; null for any other.
const NamedPaper* NamedPaperOfSize(double widthMm, double heightMm);
