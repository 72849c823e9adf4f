#include "render/PrintDevice.h"

#include <cmath>

#include "util/Sjis.h"

double PrintDevice::PxToMm(int px, int dpi) {
  if (dpi <= 0) return 0;
  return std::floor(static_cast<long double>(px) * 2540 / dpi + 0.5L) / 100.0;
}

std::string PrintJobTitle(const std::string& sjisTitle) { return util::SjisTruncate(sjisTitle, 31); }
