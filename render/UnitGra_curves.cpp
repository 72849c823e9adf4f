// Circles, arcs, ellipses and arc-shaped solids as point lists: 72 steps of
// their sweep, or more where a chord would stray over half a device pixel.
#include <algorithm>
#include <cmath>

#include "attr/UnitGraAtt.h"
#include "render/UnitGra.h"
#include "util/Clip.h"
#include "util/Geometry.h"

namespace UnitGra {
namespace {

constexpr int kSteps = 72;
// Enough for a chord error of half a pixel at a radius of about 4e7 pixels;
// curves larger still keep this many steps.
constexpr int kMaxSteps = 16384;

// The ellipse of an EllipseArc, with the sine and cosine of its tilt.
struct Ellipse {
  explicit Ellipse(const EllipseArc& a)
      : xc(a.CenterX), yc(a.CenterY), r(a.Radius), k(a.Flatness), tilt(a.Tilt), ct(std::cos(a.Tilt)),
        st(std::sin(a.Tilt)) {}
  double xc, yc, r, k, tilt;
  double ct, st;  // the tilt's cosine and sine, worked out once per curve

  // The point of parameter t, before any block transform: (u, v) turned by
  // the tilt about the origin (as RotateX/RotateY do), then moved to the centre.
  // cosT and sinT are the cosine and sine of t.
  PointD At(double cosT, double sinT) const {
    const double u = r * cosT, v = r * k * sinT;
    return {xc + (ct * (u - 0) - st * (v - 0)), yc + (st * (u - 0) + ct * (v - 0))};
  }
};

void Append(const PointD& p, const BlockTransform* t) {
  if (t)
    UnitGval::PointList.push_back({t->MapX(p.x, p.y), t->MapY(p.x, p.y)});
  else
    UnitGval::PointList.push_back(p);
}

// Walks the parameters from, from + step, from + 2 step, ... handing out
// their cosine and sine. Each step turns the last pair by the step's own
// rotation instead of calling sin and cos again: on a 72-step curve the
// difference from the direct values stays below 1e-14 of the radius.
class ParameterWalk {
 public:
  ParameterWalk(double from, double step)
      : c_(std::cos(from)), s_(std::sin(from)), stepC_(std::cos(step)), stepS_(std::sin(step)) {}
  double Cos() const { return c_; }
  double Sin() const { return s_; }
  void Next() {
    const double c = c_ * stepC_ - s_ * stepS_;
    s_ = s_ * stepC_ + c_ * stepS_;
    c_ = c;
  }

 private:
  double c_, s_, stepC_, stepS_;
};

// The full ring's parameters are always 0, π/36, 2π/36, ...: their cosines
// and sines are worked out once, by the same additions as any other run.
struct RingTable {
  double c[kSteps + 1], s[kSteps + 1];
  RingTable() {
    double a = 0;
    for (int i = 0; i <= kSteps; ++i) {
      c[i] = std::cos(a);
      s[i] = std::sin(a);
      a += util::kPi / 36;
    }
  }
};

const RingTable& Ring() {
  static const RingTable table;
  return table;
}

// count points from `from`, each step added to the previous parameter.
void AppendRun(const Ellipse& e, double from, double step, int count, const BlockTransform* t) {
  ParameterWalk w(from, step);
  for (int i = 0; i < count; ++i) {
    Append(e.At(w.Cos(), w.Sin()), t);
    w.Next();
  }
}

void AppendRing(const Ellipse& e, int count, const BlockTransform* t) {
  const RingTable& ring = Ring();
  for (int i = 0; i < count; ++i) Append(e.At(ring.c[i], ring.s[i]), t);
}

// The steps a sweep is flattened to: 72, or more for a curve so large on
// the device that a chord of 1/72 of the sweep would leave the true curve by
// more than half a pixel.
int CurveSteps(const Ellipse& e, double sweep, const BlockTransform* t) {
  double reach = std::max(std::fabs(e.r), std::fabs(e.r * e.k));
  if (t) reach *= std::max(std::hypot(t->A11, t->A21), std::hypot(t->A12, t->A22)) / std::fabs(t->W);
  const double radiusPx = reach * UnitGval::PageWindow.Scale;
  if (!std::isfinite(radiusPx) || !std::isfinite(sweep) || radiusPx <= 0.5) return kSteps;
  // A chord over the angle a leaves the circle by R (1 - cos(a / 2)).
  const double widest = 2 * std::acos(1 - 0.5 / radiusPx);
  const double steps = std::ceil(std::fabs(sweep) / widest);
  if (!(steps > kSteps)) return kSteps;
  return steps < kMaxSteps ? static_cast<int>(steps) : kMaxSteps;
}

void FullRing(const Ellipse& e, const BlockTransform* t, bool closed = false) {
  const int steps = CurveSteps(e, 2 * util::kPi, t);
  if (steps == kSteps)
    AppendRing(e, closed ? kSteps + 1 : kSteps, t);
  else
    AppendRun(e, 0, 2 * util::kPi / steps, closed ? steps + 1 : steps, t);
}
void FullRingClosed(const Ellipse& e, const BlockTransform* t) { FullRing(e, t, true); }
void Arc(const Ellipse& e, double start, double sweep, const BlockTransform* t) {
  const int steps = CurveSteps(e, sweep, t);
  AppendRun(e, start, sweep / steps, steps + 1, t);
}

// Where the tangents at the two ends of the arc meet, in drawing mm before
// the block transform; the centre when they are parallel.
PointD TangentMeet(const Ellipse& e, double start, double sweep) {
  const double a0 = start, a1 = start + sweep;
  const double p0x = e.r * std::cos(a0), p0y = e.r * e.k * std::sin(a0);
  const double p1x = e.r * std::cos(a1), p1y = e.r * e.k * std::sin(a1);
  const double d0x = -e.r * std::sin(a0), d0y = e.r * e.k * std::cos(a0);
  const double d1x = -e.r * std::sin(a1), d1y = e.r * e.k * std::cos(a1);
  const double den = d0x * d1y - d0y * d1x;
  const double scale = std::hypot(d0x, d0y) * std::hypot(d1x, d1y);
  if (!(std::fabs(den) > 1e-12 * scale)) return {e.xc, e.yc};
  const double s = ((p1x - p0x) * d1y - (p1y - p0y) * d1x) / den;
  const double mx = p0x + s * d0x, my = p0y + s * d0y;
  return {e.xc + (e.ct * mx - e.st * my), e.yc + (e.st * mx + e.ct * my)};
}

bool Equal(double a, double b) { return std::fabs(a - b) <= 1e-14; }

// True when the whole curve lies inside the page: the square round its
// larger radius, through the block transform, has all four corners inside
// (and finite). The curve lies within that square, and the page is convex.
bool WithinPage(const Ellipse& e, const BlockTransform& t) {
  const double reach = std::max(std::fabs(e.r), std::fabs(e.r * e.k));
  const UnitGval::TPageWindow& page = UnitGval::PageWindow;
  for (const double sx : {-1.0, 1.0}) {
    for (const double sy : {-1.0, 1.0}) {
      const double x = e.xc + sx * reach, y = e.yc + sy * reach;
      const double px = t.MapX(x, y), py = t.MapY(x, y);
      if (!std::isfinite(px) || !std::isfinite(py) ||
          util::ClipOutcode(px, py, page.Xmin, page.Ymin, page.Xmax, page.Ymax) != 0)
        return false;
    }
  }
  return true;
}

// The turn a patterned curve's chords take over one repeat of its pattern,
// by the radius on the paper of a curve radiusPx device pixels in radius
// (probe curve-bands at 600 dpi: 0.8 rad up to 49 mm, 0.4 from 50 to 124 mm,
// 0.28 from 126 to 140 mm; curve-radii-2 printed at 300 dpi keeps these
// millimetres). Larger curves keep 0.28.
double ChordTurn(double radiusPx) {
  const double pxPerMm = UnitGval::PageWindow.PxPerPaperMm > 0 ? UnitGval::PageWindow.PxPerPaperMm : 600 / 25.4;
  const double mm = radiusPx / pxPerMm;
  return mm < 49.5 ? 0.8 : mm < 125 ? 0.4 : 0.28;
}

// A zig-zag curve takes a quarter of that turn per chord, whatever its
// pattern and pitch (probes zigzag-curves, zigzag-circles and zigzag-ways:
// radii of 10 to 45 mm step 0.2 rad, 80 mm 0.1 rad, 130 mm 0.07 rad, at
// pitches of 4 to 20 dots).
constexpr double kZigZagChordsPerTurn = 4;

// A patterned curve as the CAD program's printer draws it: a chain of
// chords, each a whole number of the pattern's dots. Measured on the probes
// dash-curves and curve-radii-2/6 (600 dpi):
// - The chords step the curve's parameter by a fixed angle from its start
//   (the last chord takes what is left): 0.8 rad over the dots of the
//   pattern's repeat (type 2 of 4 dots: 0.2 rad, type 6 of 32: 0.025 rad)
//   for radii up to 49 mm, half that from 50 to 124 mm, 0.35 of it from 126
//   to 140 mm, whatever the radius within each band (on an ellipse, its
//   larger radius).
// - Along a chord the dots keep their device length, counted on the chord's
//   longer axis (a chord at 45 degrees draws its dots 1.41 times as long),
//   whose length runs between the chord's ends in whole pixels of the
//   pattern grid, each cut toward the window's centre
//   (UnitGval::PatternGridSpan; every chord of curve-radii-2, 703, and of
//   curve-bands, 1270, takes the dots this predicts; ends rounded on the
//   device predict 687 of the 703, ends rounded on the grid 700).
// - A chord takes as many dots as it starts, the last one cut at its end;
//   the next chord goes on with the dot after (the pattern is not fitted).
class ChordPattern {
 public:
  // False when the line type is not a pattern of whole dots.
  bool Load(int lineType) {
    const TgraAttribute& attr = UnitGraAtt::GraAttribute();
    repeatDots_ = attr.GetLineTypeRepeatDots(lineType);
    const double dotMm = attr.GetLineTypeDotMm(lineType);
    const int n = attr.GetLineTypeCount(lineType);
    if (repeatDots_ < 1 || !(dotMm > 0) || n < 1 || std::fabs(attr.GetLineTypeAmplitude(lineType)) >= 1e-14)
      return false;
    double e[TgraAttribute::kMaxElements];
    attr.GetLineTypePattern(lineType, e);
    dots_ = 0;
    for (int i = 0; i < n; ++i) {
      const double d = std::fabs(e[i]) / dotMm;
      const long whole = std::lround(d);
      if (!(std::fabs(d - static_cast<double>(whole)) < 1e-6) || dots_ + whole > kMaxDots) return false;
      for (long k = 0; k < whole; ++k) on_[dots_++] = e[i] >= 0;
    }
    if (dots_ < 1) return false;
    dotPx_ = std::floor(dotMm * UnitGval::PageWindow.Scale + 0.5);
    if (!(dotPx_ >= 1)) dotPx_ = 1;
    return true;
  }

  // The chord step for a curve of radius radiusPx device pixels.
  double Step(double radiusPx) const { return ChordTurn(radiusPx) / repeatDots_; }

  // One chord from a to b (drawing mm, through any block transform).
  void Chord(Canvas& canvas, const PointD& a, const PointD& b) {
    const UnitGval::TPageWindow& w = UnitGval::PageWindow;
    // Its longer axis in whole pixels of the pattern grid (not the device's,
    // which are a little larger).
    const PointD span = UnitGval::PatternGridSpan(a.x, a.y, b.x, b.y);
    const double major = std::max(std::fabs(span.x), std::fabs(span.y));
    // A chord of more dots than the counters below hold (a curve of absurd
    // radius) draws none.
    if (!(major > 0) || !(major / dotPx_ < 1e18)) return;
    const double count = std::ceil(major / dotPx_);
    // Only the dots of the part on the page are drawn (a chord may be huge).
    double x1 = a.x, y1 = a.y, x2 = b.x, y2 = b.y;
    if (util::ClipSegment(x1, y1, x2, y2, w.Xmin - w.ClipGrowX, w.Ymin - w.ClipGrowY, w.Xmax + w.ClipGrowX,
                          w.Ymax + w.ClipGrowY) != 2) {
      const bool alongX = std::fabs(b.x - a.x) >= std::fabs(b.y - a.y);
      const auto param = [&](double x, double y) { return alongX ? (x - a.x) / (b.x - a.x) : (y - a.y) / (b.y - a.y); };
      const double from = std::max(0.0, std::floor(std::min(param(x1, y1), param(x2, y2)) * major / dotPx_));
      const double to = std::min(count, std::ceil(std::max(param(x1, y1), param(x2, y2)) * major / dotPx_));
      if (from >= 0 && from < to) {
        const long first = static_cast<long>(from), end = static_cast<long>(to);
        for (long j = first; j < end;) {
          const bool on = on_[(phase_ + j) % dots_];
          long k = j + 1;
          while (k < end && on_[(phase_ + k) % dots_] == on) ++k;
          if (on) {
            const double t0 = static_cast<double>(j) * dotPx_ / major;
            const double t1 = std::min(static_cast<double>(k) * dotPx_ / major, 1.0);
            DrawClippedLine(canvas, a.x + (b.x - a.x) * t0, a.y + (b.y - a.y) * t0, a.x + (b.x - a.x) * t1,
                            a.y + (b.y - a.y) * t1);
          }
          j = k;
        }
      }
    }
    phase_ = (phase_ + static_cast<long>(std::fmod(count, static_cast<double>(dots_)))) % dots_;
  }

 private:
  static constexpr long kMaxDots = 32 * 32;
  bool on_[kMaxDots] = {};
  long dots_ = 0, phase_ = 0;
  int32_t repeatDots_ = 0;
  double dotPx_ = 1;
};

}  // namespace

void FillEllipse(Canvas& canvas, const EllipseArc& ellipse) {
  UnitGval::PointListScope scope;
  FullRing(Ellipse(ellipse), nullptr);
  DrawPointListClosed(canvas);
}

void DrawEllipseArc(Canvas& canvas, const EllipseArc& arc) {
  UnitGval::PointListScope scope;
  Arc(Ellipse(arc), arc.Start, arc.Sweep, nullptr);
  DrawPointListOpen(canvas);
}

void DrawEllipseT(Canvas& canvas, const EllipseArc& ellipse, const BlockTransform& t) {
  UnitGval::PointListScope scope;
  FullRing(Ellipse(ellipse), &t);
  DrawPointListClosed(canvas);
}

void DrawEllipseArcT(Canvas& canvas, const EllipseArc& arc, const BlockTransform& t) {
  UnitGval::PointListScope scope;
  Arc(Ellipse(arc), arc.Start, arc.Sweep, &t);
  DrawPointListOpen(canvas);
}

void DrawArcSolid(Canvas& canvas, int code, const EllipseArc& arc, double h, const BlockTransform& t) {
  UnitGval::PointListScope scope;
  const Ellipse e(arc);
  const double xc = arc.CenterX, yc = arc.CenterY, r = arc.Radius, k = arc.Flatness;
  const double start = arc.Start, sweep = arc.Sweep;
  switch (code) {
    case 101:
      if (Equal(h, 100)) {
        FullRing(e, &t);
      } else {
        Arc(e, start, sweep, &t);
        if (Equal(h, 0))
          Append({xc, yc}, &t);  // sector
        else if (!Equal(h, 5))
          Append(TangentMeet(e, start, sweep), &t);  // tangent cap; 5 is the segment
      }
      DrawPointListClosed(canvas);
      break;
    case 111:
      if (Equal(h, 100))
        FullRingClosed(e, &t);
      else
        Arc(e, start, sweep, &t);
      DrawPointListOpen(canvas);
      break;
    case 105:
    case 106: {
      Arc(e, start, sweep, &t);
      // The inner edge: radius h; for 106 the band keeps its width round the
      // ellipse (with no inner radius the inner edge is the centre either way).
      double inner = k;
      if (code == 106 && h != 0) inner = (k * r - r) / h + 1;
      EllipseArc innerEdge = arc;
      innerEdge.Radius = h;
      innerEdge.Flatness = inner;
      Arc(Ellipse(innerEdge), start + sweep, -sweep, &t);
      DrawPointListClosed(canvas);
      break;
    }
    default:
      break;
  }
}

void DrawPatternArc(Canvas& canvas, int layerIndex, int lineType, const EllipseArc& given, const BlockTransform& t) {
  // A mirrored curve is a curve of its own on the page, running counter-
  // clockwise there like any other: from the image of its end to the image
  // of its start, so its pattern starts at that new start.
  EllipseArc arc = given;
  if (t.A11 * t.A22 - t.A12 * t.A21 < 0) {
    arc.Start += arc.Sweep;
    arc.Sweep = -arc.Sweep;
  }
  const Ellipse e(arc);
  const double start = arc.Start, sweep = arc.Sweep;
  const int steps = CurveSteps(e, sweep, &t);
  ParameterWalk w(start, sweep / steps);
  const auto next = [&] {  // the next point, through the block transform
    const PointD local = e.At(w.Cos(), w.Sin());
    w.Next();
    return PointD{t.MapX(local.x, local.y), t.MapY(local.x, local.y)};
  };
  if (DrawnSolid(lineType) && std::isfinite(start) && std::isfinite(sweep) && WithinPage(e, t)) {
    // Nothing to clip and no pattern to continue: each point goes to the
    // device once, the same chords as line by line.
    for (int i = 0; i <= steps; ++i) {
      const PointD p = next();
      const DevicePoint d = UnitGval::ToDevice(p.x, p.y);
      if (i == 0)
        canvas.MoveTo(d.x, d.y);
      else
        canvas.LineTo(d.x, d.y);
    }
    return;
  }
  // The curve's larger radius on the device, and its chords of `step` rad
  // from its start (the last takes what is left), each handed to `chord`
  // through the block transform. False, drawing nothing, for a step too
  // fine to matter on the device (or a huge sweep): such a curve draws no
  // differently from the flattened one.
  double reach = std::max(std::fabs(e.r), std::fabs(e.r * e.k));
  reach *= std::max(std::hypot(t.A11, t.A21), std::hypot(t.A12, t.A22)) / std::fabs(t.W);
  const double reachPx = reach * UnitGval::PageWindow.Scale;
  const auto chords = [&](double step, const auto& chord) {
    const double whole = std::fabs(sweep);
    if (!(step > 0) || !(whole / step <= kMaxSteps)) return false;
    const double dir = sweep < 0 ? -1 : 1;
    const auto at = [&](double angle) {
      const PointD local = e.At(std::cos(angle), std::sin(angle));
      return PointD{t.MapX(local.x, local.y), t.MapY(local.x, local.y)};
    };
    PointD prev = at(start);
    for (int i = 1;; ++i) {
      const double done = i * step;
      const bool last = !(done < whole - 1e-9);
      const PointD p = at(last ? start + sweep : start + dir * done);
      chord(prev, p);
      prev = p;
      if (last) return true;
    }
  };
  const bool patterned = !DrawnSolid(lineType) && std::isfinite(start) && std::isfinite(sweep);
  ChordPattern pattern;
  if (patterned && pattern.Load(lineType) &&
      chords(pattern.Step(reachPx), [&](const PointD& a, const PointD& b) { pattern.Chord(canvas, a, b); }))
    return;
  // The chords are one figure: the pattern runs on round the curve from its
  // start, at the pattern's own lengths (curves are not fitted as lines are).
  PatternChainScope chain(lineType, 0);
  // A zig-zag runs on round coarse chords, each a zig-zag line of its own
  // (its dots and vertices laid as on a straight line) that starts with the
  // dot after the one the last chord ended in; the curve starts with the
  // pattern's first dot.
  if (patterned && std::fabs(UnitGraAtt::GraAttribute().GetLineTypeAmplitude(lineType)) >= 1e-14) {
    ResetPatternContinuation();
    if (chords(ChordTurn(reachPx) / kZigZagChordsPerTurn, [&](const PointD& a, const PointD& b) {
          DrawPatternLine(canvas, layerIndex, lineType, a.x, a.y, b.x, b.y);
        }))
      return;
  }
  PointD prev = next();
  for (int i = 1; i <= steps; ++i) {
    const PointD p = next();
    DrawPatternLine(canvas, layerIndex, lineType, prev.x, prev.y, p.x, p.y);
    prev = p;
  }
}

}  // namespace UnitGra
