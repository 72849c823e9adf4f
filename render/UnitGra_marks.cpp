// Points, point marks and the rotated rectangle.
#include <cmath>

#include "render/UnitGra.h"
#include "attr/UnitGraAtt.h"
#include "util/Geometry.h"

namespace UnitGra {

void FillRotatedRect(Canvas& canvas, double x1, double y1, double x2, double y2, double angle) {
  UnitGval::PointListScope scope;
  std::vector<PointD>& pts = UnitGval::PointList;
  const double xs[4] = {x1, x2, x2, x1}, ys[4] = {y1, y1, y2, y2};
  for (int i = 0; i < 4; ++i)
    pts.push_back({util::RotateX(xs[i], ys[i], x1, y1, angle), util::RotateY(xs[i], ys[i], x1, y1, angle)});
  DrawPointListClosed(canvas);
}

namespace {

constexpr double kDeg = util::kPi / 180;

// Mark coordinates (u, v) in mm before scale, turned by the mark angle about the point.
struct MarkFrame {
  double x, y, s, angle;
  PointD At(double u, double v) const {
    return {x + util::RotateX(u * s, v * s, 0, 0, angle), y + util::RotateY(u * s, v * s, 0, 0, angle)};
  }
  PointD Polar(double radius, double degrees) const {
    return At(radius * std::cos(degrees * kDeg), radius * std::sin(degrees * kDeg));
  }
};

void Segment(Canvas& c, const PointD& a, const PointD& b) { DrawClippedLine(c, a.x, a.y, b.x, b.y); }

void Polygon(Canvas& c, std::initializer_list<PointD> points) {
  UnitGval::PointListScope scope;
  UnitGval::PointList.assign(points.begin(), points.end());
  DrawPointListClosed(c);
}

void Triangle(Canvas& c, const MarkFrame& f) { Polygon(c, {f.At(0, 0), f.At(-7.5, 1.25), f.At(-7.5, -1.25)}); }
void Square(Canvas& c, const MarkFrame& f) {
  Polygon(c, {f.At(-1.25, -1.25), f.At(1.25, -1.25), f.At(1.25, 1.25), f.At(-1.25, 1.25)});
}

}  // namespace

void DrawPointMark(Canvas& canvas, const PointMarkArgs& point) {
  const double x = point.X, y = point.Y, markScale = point.MarkScale, markAngle = point.MarkAngle;
  const int markCode = point.MarkCode, penNumber = point.PenNumber, layerIndex = point.LayerIndex;
  const int64_t colorOverride = point.ColorOverride;
  const TgraAttribute& attr = UnitGraAtt::GraAttribute();
  const double pixel = 1.0 / UnitGval::PageWindow.Scale;  // one device pixel in mm
  const bool override = colorOverride >= 0;
  const TColor overrideColor = static_cast<TColor>(colorOverride);
  auto pen = [&](double width) {
    SetLinePen(canvas, layerIndex, penNumber, width, 1);
    if (override) canvas.SetPenColor(overrideColor);
  };
  // Background fill (the page's colour) or the point's own pen colour.
  auto fill = [&](bool own) {
    if (own)
      SetFillBrush(canvas, layerIndex, penNumber, 1);
    else
      SetFillBrush(canvas, -1, -1, 1);
    if (override) canvas.SetBrushColor(overrideColor);
  };

  // A disc round the point, turned by `turn` (it matters only to the flattening).
  auto disc = [&](double radius, double turn) {
    EllipseArc e;
    e.CenterX = x;
    e.CenterY = y;
    e.Radius = radius;
    e.Tilt = turn;
    FillEllipse(canvas, e);
  };

  if (point.Temporary) {
    pen(0);
    disc(3 * pixel, 0);
    return;
  }
  const double width = point.Width100 != 0 ? point.Width100 * 0.01 : attr.GetPenWidth(penNumber);
  pen(width);
  const double s = markScale > 1e-8 ? markScale : 1.0;
  const MarkFrame f{x, y, s, markAngle};
  const double penWidth = attr.GetPenWidth(penNumber);

  // A code outside the table of marks (-3 among them) prints as an ordinary
  // point, as code 0 does.
  const bool mark = (markCode >= 1 && markCode <= 11) || (markCode <= -1 && markCode >= -7 && markCode != -3);
  switch (mark ? markCode : 0) {
    case 0: {
      pen(0);
      const double radius = std::max(width / 2 + attr.GetPointRadius(penNumber), pixel);
      fill(true);
      disc(radius, 0);
      return;
    }
    case 1: fill(false); Triangle(canvas, f); return;
    case 2: fill(false); Square(canvas, f); return;
    case 3: fill(false); disc(1.25 * s, markAngle); return;
    case 4:
    case -2: disc(1.25 * s, markAngle); return;
    case 5: pen(penWidth); fill(true); Square(canvas, f); return;
    case 6: pen(penWidth); fill(true); Triangle(canvas, f); return;
    case 7: pen(penWidth); fill(true); disc(1.25 * s, markAngle); return;
    case 8: {
      const double r = 1.25 * std::sqrt(2.0);
      const PointD c1 = f.At(r, 0), c2 = f.At(-r, 0);
      EllipseArc arc;
      arc.Radius = r * s;
      arc.Tilt = markAngle;
      arc.Sweep = 90 * kDeg;
      arc.CenterX = c1.x;
      arc.CenterY = c1.y;
      arc.Start = 90 * kDeg;
      DrawEllipseArc(canvas, arc);
      arc.CenterX = c2.x;
      arc.CenterY = c2.y;
      arc.Start = 270 * kDeg;
      DrawEllipseArc(canvas, arc);
      return;
    }
    case 9:
      Segment(canvas, f.At(0, 0), f.At(-7.5, 1.25));
      Segment(canvas, f.At(0, 0), f.At(-7.5, -1.25));
      return;
    case 10: Segment(canvas, f.Polar(2.5, 45), f.Polar(2.5, 225)); return;
    case 11: Triangle(canvas, f); return;
    case -1:
      Segment(canvas, f.At(0, 1.25), f.At(0, -1.25));
      Segment(canvas, f.Polar(1.25, 30), f.Polar(1.25, 210));
      Segment(canvas, f.Polar(1.25, 150), f.Polar(1.25, 330));
      return;
    case -4:
      Segment(canvas, f.At(0, 1.25), f.At(0, -1.25));
      Segment(canvas, f.At(-1.25, 0), f.At(1.25, 0));
      return;
    case -5: {
      const PointD q[4] = {f.At(-1.25, -1.25), f.At(1.25, -1.25), f.At(1.25, 1.25), f.At(-1.25, 1.25)};
      for (int i = 0; i < 4; ++i) Segment(canvas, q[i], q[(i + 1) % 4]);
      return;
    }
    case -6: {
      const PointD q[3] = {f.Polar(5.0 / 3, 90), f.Polar(5.0 / 3, 210), f.Polar(5.0 / 3, 330)};
      for (int i = 0; i < 3; ++i) Segment(canvas, q[i], q[(i + 1) % 3]);
      return;
    }
    case -7:
      Segment(canvas, f.Polar(1.25, 45), f.Polar(1.25, 225));
      Segment(canvas, f.Polar(1.25, 135), f.Polar(1.25, 315));
      return;
    default: return;
  }
}

}  // namespace UnitGra
