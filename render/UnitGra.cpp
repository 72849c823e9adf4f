// Pens, brushes, clipped and patterned lines, and the point-list drawers.
#include "render/UnitGra.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "attr/UnitGraAtt.h"
#include "util/Clip.h"
#include "util/Geometry.h"
#include "util/Numeric.h"

using UnitGval::PageWindow;

namespace UnitGra {

BrushStyle BrushStyleOf(int fillKind) {
  switch (fillKind) {
    case 1: return BrushStyle::Solid;
    case 2: return BrushStyle::Horizontal;
    case 3: return BrushStyle::Vertical;
    case 4: return BrushStyle::ForwardDiagonal;
    case 5: return BrushStyle::BackwardDiagonal;
    case 6: return BrushStyle::Cross;
    case 7: return BrushStyle::DiagonalCross;
    default: return BrushStyle::Clear;
  }
}

TColor ResolveColor(int layerIndex, int penNumber) {
  const TgraAttribute& a = UnitGraAtt::GraAttribute();
  switch (a.GetLayerState(layerIndex)) {
    case 2: return a.GetGreyColor();
    case 3: return a.GetBackgroundColor();
    default: return a.GetPenColor(penNumber);
  }
}

int32_t DevicePenWidth(double widthMm) {
  double w = widthMm * PageWindow.Scale;
  if (!(w > 0)) w = 0;  // also NaN
  if (w > 400) w = 400;
  return util::RoundHalfEven(w);  // halves to the even neighbour
}

void SetLinePen(Canvas& canvas, int layerIndex, int penNumber, double width, int /*lineType*/) {
  canvas.SetBrushStyle(BrushStyle::Clear);
  canvas.SetPenColor(ResolveColor(layerIndex, penNumber));
  canvas.SetPenWidth(DevicePenWidth(width));
}

void SetFillBrush(Canvas& canvas, int layerIndex, int penNumber, int fillKind) {
  canvas.SetBrushColor(ResolveColor(layerIndex, penNumber));
  canvas.SetBrushStyle(BrushStyleOf(fillKind));
}

void SetBrushKind(Canvas& canvas, TColor color, int fillKind) {
  canvas.SetBrushColor(color);
  canvas.SetBrushStyle(BrushStyleOf(fillKind));
}

void DeviceLine(Canvas& canvas, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  canvas.MoveTo(x1, y1);
  canvas.LineTo(x2, y2);
}

namespace {

// Lines are cut at the window grown to the device's whole page, so that a
// frame drawn on the sheet's very edge prints the half of its width that
// falls on the sheet.
int Clip(double& x1, double& y1, double& x2, double& y2) {
  const double gx = PageWindow.ClipGrowX, gy = PageWindow.ClipGrowY;
  return util::ClipSegment(x1, y1, x2, y2, PageWindow.Xmin - gx, PageWindow.Ymin - gy, PageWindow.Xmax + gx,
                           PageWindow.Ymax + gy);
}

// A patterned line is cut at the page grown by this many device pixels, as
// the CAD program's printer cuts it: the part it fits its repeats to and
// starts its pattern at reaches that far past the sheet's edge.
constexpr double kPatternClipPx = 2.5;

int ClipPatterned(double& x1, double& y1, double& x2, double& y2) {
  const double m = PageWindow.Scale > 0 ? kPatternClipPx / PageWindow.Scale : 0;
  return util::ClipSegment(x1, y1, x2, y2, PageWindow.Xmin - m, PageWindow.Ymin - m, PageWindow.Xmax + m,
                           PageWindow.Ymax + m);
}

int Outcode(const PointD& p) {
  const double gx = PageWindow.ClipGrowX, gy = PageWindow.ClipGrowY;
  return util::ClipOutcode(p.x, p.y, PageWindow.Xmin - gx, PageWindow.Ymin - gy, PageWindow.Xmax + gx,
                           PageWindow.Ymax + gy);
}

bool Finite(double a, double b, double c, double d) {
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

}  // namespace

void DrawClippedLine(Canvas& canvas, double x1, double y1, double x2, double y2) {
  if (!Finite(x1, y1, x2, y2)) return;
  if (Clip(x1, y1, x2, y2) == 2) return;
  const DevicePoint a = UnitGval::ToDevice(x1, y1), b = UnitGval::ToDevice(x2, y2);
  DeviceLine(canvas, a.x, a.y, b.x, b.y);
}

void ResetPatternContinuation() { UnitGval::PatternContinuation = UnitGval::TPatternContinuation(); }

namespace {

// The stretch of a line of lengthMm that is lengthPx long where its repeats
// are counted.
double StretchFor(int lineType, double lengthMm, double lengthPx) {
  const TgraAttribute& attr = UnitGraAtt::GraAttribute();
  if (attr.GetLineTypeCount(lineType) == 0) return 1;
  const double repeatPx = attr.GetLineTypeRepeatPx(lineType, PageWindow.Scale);
  const double repeatMm = attr.GetLineTypeRepeatMm(lineType);
  if (!(repeatPx > 0) || !(repeatMm > 0) || !(lengthMm > 0) || !std::isfinite(lengthMm) ||
      !std::isfinite(lengthPx))
    return 1;
  // As many whole repeats as fit, stretched to fill the line; a line shorter
  // than one repeat holds one, squeezed into it.
  const double n = std::floor(lengthPx / repeatPx + 1e-9);
  return lengthMm / ((n >= 1 ? n : 1) * repeatMm);
}

}  // namespace

double PatternStretch(int lineType, double lengthMm) {
  // The length in whole device pixels over the repeat in the printer's
  // whole-pixel dots, so a line of exactly n repeats holds n.
  return StretchFor(lineType, lengthMm, std::floor(lengthMm * PageWindow.Scale + 0.5));
}

double PatternStretch(int lineType, double x1, double y1, double x2, double y2) {
  // Counted as the printer counts: the distance between the line's ends in
  // whole pixels of the pattern grid (measured on the probe dash-angles:
  // lines of 4 repeats at 0 to 90 degrees, 0.6 px short to 0.6 px long,
  // hold 3 or 4 repeats by this rule, all 114, at 600 and 300 dpi).
  const PointD span = UnitGval::PatternGridSpan(x1, y1, x2, y2);
  return StretchFor(lineType, util::Distance(x1, y1, x2, y2), std::sqrt(span.x * span.x + span.y * span.y));
}

PatternChainScope::PatternChainScope(int lineType, double lengthMm) : saved_(UnitGval::PatternChain) {
  UnitGval::PatternChain.Active = true;
  UnitGval::PatternChain.Stretch = lengthMm > 0 ? PatternStretch(lineType, lengthMm) : 1;
}

PatternChainScope::~PatternChainScope() { UnitGval::PatternChain = saved_; }

namespace {

// Where a random (zig-zag) line or chord is laid, as the printer lays it
// (probes zigzag-edge, zigzag-curves and zigzag-ways): false when nothing of
// it is drawn, as for a line wholly off the page. The line is cut to the
// page (grown by kPatternClipPx) on its longer axis only: a steep line
// through a side edge, or a level one through the top, is drawn whole from
// its start, its dots past the edge lost. A line so cut, and an exactly
// level or upright one, runs the way its longer axis grows: from the cut
// edge or its other end, whichever way it was drawn.
bool ZigZagOnPage(double& x1, double& y1, double& x2, double& y2) {
  double cx1 = x1, cy1 = y1, cx2 = x2, cy2 = y2;
  if (Clip(cx1, cy1, cx2, cy2) == 2) return false;
  const bool shallow = std::fabs(x2 - x1) > std::fabs(y2 - y1);
  const double m = PageWindow.Scale > 0 ? kPatternClipPx / PageWindow.Scale : 0;
  const double far = std::numeric_limits<double>::max();
  const int cut = shallow ? util::ClipSegment(x1, y1, x2, y2, PageWindow.Xmin - m, -far, PageWindow.Xmax + m, far)
                          : util::ClipSegment(x1, y1, x2, y2, -far, PageWindow.Ymin - m, far, PageWindow.Ymax + m);
  if (cut == 2) return false;
  const bool backwards = shallow ? x2 < x1 : y2 < y1;
  const bool levelOrUpright = shallow ? y1 == y2 : x1 == x2;
  if (backwards && (cut == 1 || levelOrUpright)) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  return true;
}

// The pixels a zig-zag's dot of dotMm (its elements are one dot each) takes
// on the longer axis of a line whose shorter axis is `slope` of its longer,
// both in whole pixels of the pattern grid. The printer lays a dot as whole
// device pixels there, cut down: floor(d * (1.404 - 0.398 s)), d the dashed
// line's dot in pixels (a zig-zag's dot is kZigZagDot of them) and s the
// slope, so 1.404 dashed dots on a level or upright line, falling to 1.006
// at 45 degrees. Measured on the probes zigzag-slopes (pitches of 4 to 20
// dots at every degree from 0 to 45: the 156 slopes whose dot was measured
// to 0.15 px all fit, the other 28 lie within 0.8 px), zigzag-angles (0 to
// 90 degrees) and zigzag-circles (all 378 chords of 8 to 51 px dots, where
// the slope of the chords' true ends misses 13). A dot under a pixel keeps
// its own length along the line.
double ZigZagDotPx(double dotMm, double slope) {
  const double px = std::fabs(dotMm) * PageWindow.Scale;
  const double major = std::floor(px / UnitGraAtt::kZigZagDot * (1.404 - 0.398 * slope));
  return major >= 1 ? major : px / std::sqrt(1 + slope * slope);
}

// A random (zig-zag) line from (x1, y1) to (x2, y2), from element u of its
// n elements e; returns the element the next joined segment starts with.
// Measured on the probes zigzag-slopes, zigzag-curves and zigzag-circles:
// - Each element is one dot (ZigZagDotPx) on the line's longer axis, its
//   end a vertex that leaves the line along the shorter axis by the
//   amplitude: a rising element up on a level or shallow line, to the left
//   on a steep one, whichever way the line runs (on a line at 30 degrees the
//   vertices stand 6 px above and below it at 600 dpi, 5.2 px square to it).
// - The dots are counted against the line's longer axis in whole pixels of
//   the pattern grid (UnitGval::PatternGridSpan): a vertex falls only short
//   of the end, and the last piece runs to the end on the line.
// - A joined segment starts with the dot after the one the last ended in,
//   whole: a cut dot is used up.
int DrawZigZagLine(Canvas& canvas, const double* e, int n, int u, double amplitude, double x1, double y1, double x2,
                   double y2) {
  const double ax = std::fabs(x2 - x1), ay = std::fabs(y2 - y1), longer = std::max(ax, ay);
  const PointD grid = UnitGval::PatternGridSpan(x1, y1, x2, y2);
  const double gx = std::fabs(grid.x), gy = std::fabs(grid.y), span = std::max(gx, gy);
  const double slope = span > 0 ? std::min(gx, gy) / span : 0.0;
  double dot[TgraAttribute::kMaxElements];
  double cycle = 0;  // the pixels of all n elements
  for (int i = 0; i < n; ++i) cycle += dot[i] = ZigZagDotPx(e[i], slope);
  // A pattern that makes no headway (its dots lost to underflow) or one of
  // absurdly many dots is drawn plain.
  if (!(longer > 0) || !(cycle > 0) || !(span / cycle * n < 1e7)) {
    DrawClippedLine(canvas, x1, y1, x2, y2);
    return u;
  }
  const bool shallow = span > 0 ? gx > gy : ax > ay;  // at 45 degrees, steep
  const double riseX = shallow ? 0 : -amplitude, riseY = shallow ? amplitude : 0;
  const double stepX = (x2 - x1) / longer, stepY = (y2 - y1) / longer;  // per mm on the longer axis
  double qx = x1, qy = y1;  // the last vertex
  for (double at = dot[u]; at < span; at += dot[u]) {
    const double side = e[u] > 0 ? 1 : e[u] < 0 ? -1 : 0;
    const double mm = at / PageWindow.Scale;
    const double vx = x1 + stepX * mm + side * riseX, vy = y1 + stepY * mm + side * riseY;
    DrawClippedLine(canvas, qx, qy, vx, vy);
    qx = vx;
    qy = vy;
    if (++u >= n) u = 0;
  }
  DrawClippedLine(canvas, qx, qy, x2, y2);
  return u + 1 < n ? u + 1 : 0;
}

}  // namespace

bool DrawnSolid(int lineType) {
  const TgraAttribute& attr = UnitGraAtt::GraAttribute();
  return attr.GetLineTypeCount(lineType) == 0 || !(attr.GetLineTypePeriod(lineType) * PageWindow.Scale > 2);
}

void DrawPatternLine(Canvas& canvas, int layerIndex, int lineType, double x1, double y1, double x2, double y2) {
  if (DrawnSolid(lineType)) {
    DrawClippedLine(canvas, x1, y1, x2, y2);
    return;
  }
  const TgraAttribute& attr = UnitGraAtt::GraAttribute();
  const int n = attr.GetLineTypeCount(lineType);
  if (!Finite(x1, y1, x2, y2)) return;
  const UnitGval::TPatternChain& chain = UnitGval::PatternChain;
  const double amplitude = attr.GetLineTypeAmplitude(lineType);
  const bool random = std::fabs(amplitude) >= 1e-14;
  if (random ? !ZigZagOnPage(x1, y1, x2, y2) : ClipPatterned(x1, y1, x2, y2) == 2) return;

  // Within a figure the pattern runs on across joined segments; a line of
  // its own starts at the pattern's start and is fitted to its visible length.
  UnitGval::TPatternContinuation& pc = UnitGval::PatternContinuation;
  int u = 0;
  double m = 0;
  // A zig-zag's chords run on from the dot the last chord drawn ended in,
  // even where that one was cut and turned at the edge (probe zigzag-edge).
  const bool joined = random || (std::fabs(pc.EndX - x1) < 1e-14 && std::fabs(pc.EndY - y1) < 1e-14);
  if (chain.Active && pc.LayerIndex == layerIndex && pc.LineType == lineType && joined) {
    u = pc.ElementIndex;
    m = pc.Offset;
  }
  double e[TgraAttribute::kMaxElements];
  attr.GetLineTypePattern(lineType, e);
  if (u < 0 || u >= n) {
    u = 0;
    m = 0;
  }
  const auto ended = [&](int element, double offset) {
    pc = {layerIndex, lineType, x2, y2, element, offset};
  };
  if (random) {
    ended(DrawZigZagLine(canvas, e, n, u, amplitude, x1, y1, x2, y2), 0);
    return;
  }
  const double length = util::Distance(x1, y1, x2, y2);
  const double stretch = chain.Active ? chain.Stretch : PatternStretch(lineType, x1, y1, x2, y2);
  double period = 0;
  for (int i = 0; i < n; ++i) period += std::fabs(e[i] *= stretch);
  // A pattern that makes no headway along the segment (its lengths lost to
  // underflow or to the rounding of far-off coordinates) is drawn plain.
  if (!(period > 0) || !(length / period < 1e7)) {
    DrawClippedLine(canvas, x1, y1, x2, y2);
    return;
  }

  double r = length;
  const double theta = util::VectorAngle(x2 - x1, y2 - y1);
  const double cs = std::cos(theta), sn = std::sin(theta);
  double cx = x1, cy = y1;  // current base point
  for (;;) {
    double len = std::fabs(e[u]) - m;
    if (len < 0) len = 0;
    if (len > r) len = r;
    const double nx = cx + len * cs, ny = cy + len * sn;
    if (e[u] >= 0) DrawClippedLine(canvas, cx, cy, nx, ny);
    cx = nx;
    cy = ny;
    r -= len;
    if (r <= 1e-14) {
      m += len;
      break;
    }
    m = 0;
    if (++u >= n) u = 0;
  }
  ended(u, m);
}

namespace {

bool AllBeyondOneEdge(const std::vector<PointD>& points) {
  int code = 15;
  for (const PointD& p : points) {
    code &= Outcode(p);
    if (code == 0) return false;
  }
  return true;
}

void FlushPolyline(Canvas& canvas, std::vector<DevicePoint>& list) {
  if (list.size() > 1) canvas.Polyline(list.data(), list.size());
  list.clear();
}

}  // namespace

void DrawPointListOpen(Canvas& canvas) {
  const std::vector<PointD>& pts = UnitGval::PointList;
  std::vector<DevicePoint>& dev = UnitGval::DevicePointList;
  if (pts.size() < 2 || AllBeyondOneEdge(pts)) return;
  dev.clear();
  for (size_t j = 1; j < pts.size(); ++j) {
    double x1 = pts[j - 1].x, y1 = pts[j - 1].y, x2 = pts[j].x, y2 = pts[j].y;
    if (!Finite(x1, y1, x2, y2)) {
      FlushPolyline(canvas, dev);
      continue;
    }
    const int result = Clip(x1, y1, x2, y2);
    if (result == 2) {
      FlushPolyline(canvas, dev);
      continue;
    }
    if (dev.empty()) dev.push_back(UnitGval::ToDevice(x1, y1));
    dev.push_back(UnitGval::ToDevice(x2, y2));
    if (result == 1) FlushPolyline(canvas, dev);
  }
  FlushPolyline(canvas, dev);
}

void DrawPointListClosed(Canvas& canvas) {
  std::vector<PointD>& pts = UnitGval::PointList;
  std::vector<DevicePoint>& dev = UnitGval::DevicePointList;
  if (pts.size() < 3 || AllBeyondOneEdge(pts)) return;
  for (const PointD& p : pts)
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
  // A figure whose first edge is huge on the device loses its fill: its
  // unclipped points would not fit the device's coordinates.
  if (util::Distance(pts[0].x, pts[0].y, pts[1].x, pts[1].y) * PageWindow.Scale > 10000) {
    pts.push_back(pts[0]);
    DrawPointListOpen(canvas);
    return;
  }
  dev.clear();
  for (const PointD& p : pts) dev.push_back(UnitGval::ToDevice(p.x, p.y));
  canvas.Polygon(dev.data(), dev.size());
  dev.clear();
}

}  // namespace UnitGra
