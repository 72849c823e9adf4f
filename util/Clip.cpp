#include "util/Clip.h"

#include <cmath>

namespace util {

int IsOutside(double x, double y, double xmin, double ymin, double xmax, double ymax) {
  return ClipOutcode(x, y, xmin, ymin, xmax, ymax) != 0 ? 2 : 0;
}

// Moves one end onto the rectangle's edges, in the fixed order left, right,
// below, above. Every new point lies on the line through the given first
// point (x0, y0) with direction (dx, dy).
static void MoveEnd(double& x, double& y, int c, double x0, double y0, double dx, double dy,
                    double xmin, double ymin, double xmax, double ymax) {
  if ((c & kClipLeft) && std::fabs(dx) > 1e-12) {
    x = xmin;
    y = y0 + (xmin - x0) * dy / dx;
    c = ClipOutcode(x, y, xmin, ymin, xmax, ymax);
  }
  if ((c & kClipRight) && std::fabs(dx) > 1e-12) {
    x = xmax;
    y = y0 + (xmax - x0) * dy / dx;
    c = ClipOutcode(x, y, xmin, ymin, xmax, ymax);
  }
  if ((c & kClipBelow) && std::fabs(dy) > 1e-12) {
    y = ymin;
    x = x0 + (ymin - y0) * dx / dy;
    c = ClipOutcode(x, y, xmin, ymin, xmax, ymax);
  }
  if ((c & kClipAbove) && std::fabs(dy) > 1e-12) {
    y = ymax;
    x = x0 + (ymax - y0) * dx / dy;
  }
}

int ClipSegment(double& x1, double& y1, double& x2, double& y2,
                double xmin, double ymin, double xmax, double ymax) {
  const int c1 = ClipOutcode(x1, y1, xmin, ymin, xmax, ymax);
  const int c2 = ClipOutcode(x2, y2, xmin, ymin, xmax, ymax);
  if (c1 == 0 && c2 == 0) return 0;
  if ((c1 & c2) != 0) return 2;
  const double x0 = x1, y0 = y1;
  const double dx = x2 - x1, dy = y2 - y1;
  MoveEnd(x1, y1, c1, x0, y0, dx, dy, xmin, ymin, xmax, ymax);
  MoveEnd(x2, y2, c2, x0, y0, dx, dy, xmin, ymin, xmax, ymax);
  if (std::fabs(x2 - x1) >= 1e-12 || std::fabs(y2 - y1) >= 1e-12) return 1;
  return 2;
}

int ClipTest(double x1, double y1, double x2, double y2,
             double xmin, double ymin, double xmax, double ymax) {
  return ClipSegment(x1, y1, x2, y2, xmin, ymin, xmax, ymax);
}

}  // namespace util
