#include "PrimitivePage.h"

#include <cmath>

#include "attr/UnitGraAtt.h"
#include "render/UnitGra.h"

using namespace UnitGra;

void DrawPrimitivePage(Canvas& canvas, const std::string& imagePath) {
  TgraAttribute& a = UnitGraAtt::GraAttribute();
  const UnitGval::TPageWindow& w = UnitGval::PageWindow;
  // Lay the sheet out on 420 x 297 mm, whatever the window.
  const double sx = (w.Xmax - w.Xmin) / 420, sy = (w.Ymax - w.Ymin) / 297;
  auto X = [&](double x) { return w.Xmin + x * sx; };
  auto Y = [&](double y) { return w.Ymin + y * sy; };
  const BlockTransform id = BlockTransform::Identity();
  ResetPatternContinuation();

  // Frame, and the nine line types with the eight pens.
  SetLinePen(canvas, 0, 2, 0.5, 1);
  {
    UnitGval::PointListScope frame;
    UnitGval::PointList = {{X(10), Y(10)}, {X(410), Y(10)}, {X(410), Y(287)}, {X(10), Y(287)}, {X(10), Y(10)}};
    DrawPointListOpen(canvas);
  }
  for (int t = 1; t <= 9; ++t) {
    SetLinePen(canvas, 0, t <= 8 ? t : 9, a.GetPenWidth(t <= 8 ? t : 2), t);
    DrawPatternLine(canvas, 0, t, X(20), Y(270 - t * 8), X(150), Y(270 - t * 8));
  }
  // Random lines and double-length types, a joined polyline of dashes.
  for (int t = 11; t <= 19; ++t) {
    SetLinePen(canvas, 0, 2, 0.18, t);
    DrawPatternLine(canvas, 0, t, X(20), Y(185 - (t - 11) * 8), X(150), Y(185 - (t - 11) * 8));
  }
  SetLinePen(canvas, 0, 6, 0.3, 5);
  DrawPatternLine(canvas, 0, 5, X(20), Y(100), X(60), Y(120));
  DrawPatternLine(canvas, 0, 5, X(60), Y(120), X(100), Y(100));
  DrawPatternLine(canvas, 0, 5, X(100), Y(100), X(150), Y(120));

  // Curves.
  SetLinePen(canvas, 0, 1, 0.3, 1);
  EllipseArc curve;
  curve.CenterX = X(190);
  curve.CenterY = Y(250);
  curve.Radius = 15 * sx;
  curve.Sweep = 3 * M_PI / 2;
  DrawEllipseArc(canvas, curve);
  curve.CenterX = X(230);
  curve.Flatness = 0.5;
  curve.Tilt = M_PI / 6;
  DrawEllipseT(canvas, curve, id);
  SetLinePen(canvas, 0, 3, 0.25, 6);
  curve.CenterX = X(270);
  curve.Flatness = 1;
  curve.Tilt = 0;
  curve.Sweep = 2 * M_PI;
  DrawPatternArc(canvas, 0, 6, curve, id);
  const int codes[4] = {101, 105, 106, 111};
  const double hs[4] = {0, 8 * sx, 8 * sx, 3};
  for (int i = 0; i < 4; ++i) {
    SetLinePen(canvas, 0, 5, 0.2, 1);
    SetFillBrush(canvas, 0, 4 + i, 1);
    EllipseArc band;
    band.CenterX = X(190 + i * 40);
    band.CenterY = Y(205);
    band.Radius = 15 * sx;
    band.Flatness = 0.7;
    band.Tilt = 0.2;
    band.Start = 0.3;
    band.Sweep = 4.5;
    DrawArcSolid(canvas, codes[i], band, hs[i], id);
  }

  // The seven fill kinds.
  for (int k = 1; k <= 7; ++k) {
    SetLinePen(canvas, 0, 2, 0.1, 1);
    SetFillBrush(canvas, 0, k, k);
    FillRotatedRect(canvas, X(180 + (k - 1) * 30), Y(150), X(200 + (k - 1) * 30), Y(170), 0.1 * k);
  }

  // Points and every mark.
  const int marks[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, -1, -2, -3, -4, -5, -6, -7, 42};
  int i = 0;
  PointMarkArgs point;
  for (int code : marks) {
    point.X = X(190 + (i % 10) * 22);
    point.Y = Y(115 - (i / 10) * 22);
    point.MarkCode = code;
    point.MarkScale = 1.5;
    point.MarkAngle = 0.3 * i;
    point.PenNumber = 1 + i % 8;
    DrawPointMark(canvas, point);
    ++i;
  }
  PointMarkArgs temporary;
  temporary.X = X(410);
  temporary.Y = Y(65);
  temporary.Temporary = true;
  temporary.PenNumber = 2;
  DrawPointMark(canvas, temporary);

  // Images: upright, cropped, turned, and one too small to show.
  if (!imagePath.empty()) {
    auto image = [&](double x1, double y1, double x2, double y2) {
      PlacedImage placed;
      placed.Path = imagePath;
      placed.X1 = X(x1);
      placed.Y1 = Y(y1);
      placed.X2 = X(x2);
      placed.Y2 = Y(y2);
      return placed;
    };
    DrawImage(canvas, image(20, 20, 80, 65));
    PlacedImage cropped = image(90, 20, 150, 65);
    cropped.Crop.Left = cropped.Crop.Bottom = 0.25;
    cropped.Crop.Width = 0.5;
    DrawImage(canvas, cropped);
    PlacedImage turned = image(190, 20, 250, 65);
    turned.AngleDegrees = 30;
    DrawImage(canvas, turned);
    PlacedImage small = image(300, 30, 300.4, 40);
    small.AngleDegrees = 15;
    DrawImage(canvas, small);
  }
  // Text in the device font, until texts are laid out in full.
  FontSpec f;
  f.Height = static_cast<int32_t>(5 * w.Scale * sy);
  f.FaceName = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ ゴシック
  canvas.SetFont(f);
  canvas.SetPenColor(0);
  const DevicePoint at = UnitGval::ToDevice(X(300), Y(60));
  canvas.TextOut(at.x, at.y, "Kestrovan \x88\xf3\x8d\xfc");  // 印刷
}
