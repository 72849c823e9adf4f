// Clipping of points and segments against the page rectangle.
#pragma once

namespace util {

enum ClipBits { kClipLeft = 1, kClipRight = 2, kClipBelow = 4, kClipAbove = 8 };

// Outside code; a point on an edge (within 1e-12 inside it) counts as outside.
inline int ClipOutcode(double x, double y, double xmin, double ymin, double xmax, double ymax) {
  int c = 0;
  if (x - xmin < 1e-12) c |= kClipLeft;
  if (x - xmax > -1e-12) c |= kClipRight;
  if (y - ymin < 1e-12) c |= kClipBelow;
  if (y - ymax > -1e-12) c |= kClipAbove;
  return c;
}

// 2 when the point is outside (or on an edge), else 0.
int IsOutside(double x, double y, double xmin, double ymin, double xmax, double ymax);

// Clips the segment in place: 0 wholly inside (unchanged), 1 clipped and
// visible, 2 invisible.
int ClipSegment(double& x1, double& y1, double& x2, double& y2,
                double xmin, double ymin, double xmax, double ymax);

// ClipSegment on copies: the caller's points stay as they are.
int ClipTest(double x1, double y1, double x2, double y2,
             double xmin, double ymin, double xmax, double ymax);

}  // namespace util
