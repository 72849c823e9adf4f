// Paper sizes by name ("A3", "B4", …) or as "WxHmm".
#pragma once

#include <string>

struct PaperSize {
  double WidthMm = 0, HeightMm = 0;  // portrait: width <= height for named sizes
};

// False for a name or size it does not know (sizes must be positive and at
// most 5000 mm).
bool ParsePaperSize(const std::string& text, PaperSize& out);
