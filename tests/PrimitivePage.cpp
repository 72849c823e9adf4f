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
    DrawPatternLine(0, t, canvas, X(20), Y(270 - t * 8), X(150), Y(270 - t * 8));
  }
  // Random lines and double-length types, a joined polyline of dashes.
  for (int t = 11; t <= 19; ++t) {
    SetLinePen(canvas, 0, 2, 0.18, t);
    DrawPatternLine(0, t, canvas, X(20), Y(185 - (t - 11) * 8), X(150), Y(185 - (t - 11) * 8));
  }
  SetLinePen(canvas, 0, 6, 0.3, 5);
  DrawPatternLine(0, 5, canvas, X(20), Y(100), X(60), Y(120));
  DrawPatternLine(0, 5, canvas, X(60), Y(120), X(100), Y(100));
  DrawPatternLine(0, 5, canvas, X(100), Y(100), X(150), Y(120));

  // Curves.
  SetLinePen(canvas, 0, 1, 0.3, 1);
  DrawEllipseArc(canvas, X(190), Y(250), 15 * sx, 1, 0, 0, 3 * M_PI / 2);
  DrawEllipseT(canvas, X(230), Y(250), 15 * sx, 0.5, M_PI / 6, id);
  SetLinePen(canvas, 0, 3, 0.25, 6);
  DrawPatternArc(0, 6, canvas, X(270), Y(250), 15 * sx, 1, 0, 0, 2 * M_PI, id);
  const int codes[4] = {101, 105, 106, 111};
  const double hs[4] = {0, 8 * sx, 8 * sx, 3};
  for (int i = 0; i < 4; ++i) {
    SetLinePen(canvas, 0, 5, 0.2, 1);
    SetFillBrush(canvas, 0, 4 + i, 1);
    DrawArcSolid(canvas, codes[i], X(190 + i * 40), Y(205), 15 * sx, 0.7, 0.2, 0.3, 4.5, hs[i], id);
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
    DrawImage(canvas, imagePath, 0, ImageCrop(), X(20), Y(20), X(80), Y(65));
    DrawImage(canvas, imagePath, 0, ImageCrop{0.25, 0.25, 0.5}, X(90), Y(20), X(150), Y(65));
    DrawImage(canvas, imagePath, 30, ImageCrop(), X(190), Y(20), X(250), Y(65));
    DrawImage(canvas, imagePath, 15, ImageCrop(), X(300), Y(30), X(300.4), Y(40));
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
