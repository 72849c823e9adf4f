#include "util/Geometry.h"

#include <cmath>

#include "util/Sjis.h"

namespace util {

double RotateX(double x, double y, double cx, double cy, double angle) {
  return cx + std::cos(angle) * (x - cx) - std::sin(angle) * (y - cy);
}

double RotateY(double x, double y, double cx, double cy, double angle) {
  return cy + std::sin(angle) * (x - cx) + std::cos(angle) * (y - cy);
}

double VectorAngle(double dx, double dy) {
  if (std::fabs(dx) < 1e-14 && std::fabs(dy) < 1e-14) return 0.0;
  double a = std::atan2(dy, dx);
  if (a < 0) a += 2 * kPi;
  return a;
}

double Distance(double x1, double y1, double x2, double y2) {
  return std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
}

double TextLength(std::string_view text, double w, double s) {
  double length = 0;
  size_t i = 0;
  while (i < text.size()) {
    const size_t n = SjisCharLength(text, i);
    const double share = n == 2 ? 1.0 : 0.5;
    length += w * share;
    i += n;
    if (i < text.size()) length += s * share;
  }
  return length;
}

}  // namespace util
