#include <cmath>
#include <filesystem>
#include <fstream>

#include "RenderFixture.h"
#include "jww/jwwtype.h"

using namespace UnitGra;

namespace {
const BlockTransform kId = BlockTransform::Identity();
const double kPi = M_PI;
}  // namespace

TEST_F(RenderTest, CurvesHaveFixedPointCounts) {
  FillEllipse(canvas, Circle(50, 50, 10));
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].op, "polygon");
  EXPECT_EQ(canvas.calls[0].points.size(), 72u);
  EXPECT_TRUE(UnitGval::PointList.empty());

  canvas.calls.clear();
  DrawEllipseArc(canvas, Arc(Circle(50, 50, 10), 0, kPi / 2));
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].points.size(), 73u);
  EXPECT_EQ(canvas.calls[0].points.front().x, 600);
  EXPECT_EQ(canvas.calls[0].points.back().y, 400);

  // A negative sweep runs clockwise.
  canvas.calls.clear();
  DrawEllipseArc(canvas, Arc(Circle(50, 50, 10), 0, -kPi / 2));
  EXPECT_EQ(canvas.calls[0].points.back().y, 600);

  // Through a block transform: scaled 2 in x.
  canvas.calls.clear();
  BlockTransform t;
  t.A11 = 2;
  DrawEllipseArcT(canvas, Arc(Circle(20, 50, 10), 0, kPi), t);
  EXPECT_EQ(canvas.calls[0].points.front().x, 600);  // (30, 50) -> (60, 50)
  EllipseArc flat = Circle(20, 50, 10);
  flat.Flatness = 0.5;
  DrawEllipseT(canvas, flat, t);
  EXPECT_EQ(canvas.calls.back().points.size(), 72u);

  // A large circle takes more steps, so that no chord strays more than half a
  // pixel from the curve: 100 mm at 10 px per mm.
  canvas.calls.clear();
  Page(1000, 1000, 10);
  DrawEllipseArc(canvas, Arc(Circle(500, 500, 100), 0, 2 * kPi));
  const auto& ring = canvas.calls[0].points;
  ASSERT_GT(ring.size(), 73u);
  const double chordAngle = 2 * kPi / static_cast<double>(ring.size() - 1);
  EXPECT_LE(1000 * (1 - std::cos(chordAngle / 2)), 0.5);
}

// Arc points step by rotation rather than fresh sines; on a large tilted
// ellipse, for any start and sweep (negative, past a full turn), every point
// must stay on the pixel the direct formula gives.
TEST_F(RenderTest, ArcPointsMatchTheDirectFormula) {
  Page(100000, 100000, 10);
  const double xc = 50000, yc = 50000, r = 40000, k = 0.6, tilt = 0.3;
  for (double start : {0.0, 1.0, -2.5, 7.0}) {
    for (double sweep : {kPi / 3, -kPi / 2, 2 * kPi, 9.0}) {
      canvas.calls.clear();
      EllipseArc arc = Arc(Circle(xc, yc, r), start, sweep);
      arc.Flatness = k;
      arc.Tilt = tilt;
      DrawEllipseArc(canvas, arc);
      ASSERT_EQ(canvas.calls.size(), 1u);
      const auto& points = canvas.calls[0].points;
      ASSERT_GT(points.size(), 73u);  // far more than 72 steps at this size
      const double steps = static_cast<double>(points.size() - 1);
      for (size_t i = 0; i < points.size(); ++i) {
        const double t = start + sweep * static_cast<double>(i) / steps;
        const double u = r * std::cos(t), v = r * k * std::sin(t);
        const DevicePoint want = UnitGval::ToDevice(xc + std::cos(tilt) * u - std::sin(tilt) * v,
                                                    yc + std::sin(tilt) * u + std::cos(tilt) * v);
        EXPECT_LE(std::abs(points[i].x - want.x), 1) << start << " " << sweep << " " << i;
        EXPECT_LE(std::abs(points[i].y - want.y), 1) << start << " " << sweep << " " << i;
      }
    }
  }
}

TEST_F(RenderTest, ArcSolidCodes) {
  auto count = [&](int code, double h, double sweep) {
    canvas.calls.clear();
    DrawArcSolid(canvas, code, Arc(Circle(50, 50, 10), 0, sweep), h, kId);
    return canvas.calls.empty() ? 0u : canvas.calls[0].points.size();
  };
  EXPECT_EQ(count(101, 100, kPi / 2), 72u);
  EXPECT_EQ(count(101, 0, kPi / 2), 74u);  // sector: the centre closes it
  EXPECT_EQ(canvas.calls[0].points.back().x, 500);
  EXPECT_EQ(count(101, 5, kPi / 2), 73u);  // segment
  EXPECT_EQ(count(101, 1, kPi / 2), 74u);  // tangent cap: tangents meet at (60, 60)
  EXPECT_EQ(canvas.calls[0].points.back().x, 600);
  EXPECT_EQ(canvas.calls[0].points.back().y, 400);
  EXPECT_EQ(count(101, 1, kPi), 74u);  // parallel tangents: the centre
  EXPECT_EQ(canvas.calls[0].points.back().x, 500);
  EXPECT_EQ(canvas.calls[0].points.back().y, 500);
  EXPECT_EQ(count(111, 100, 0.1), 73u);
  EXPECT_EQ(canvas.calls[0].op, "polyline");
  EXPECT_EQ(canvas.calls[0].points.front().x, canvas.calls[0].points.back().x);
  EXPECT_EQ(count(111, 3, kPi), 73u);
  EXPECT_EQ(count(99, 3, kPi), 0u);

  // Ring bands: the inner edge runs back from the end; radii 8 x 3 (106) or 8 x 4 (105).
  EllipseArc band = Arc(Circle(50, 50, 10), 0, kPi / 2);
  band.Flatness = 0.5;
  canvas.calls.clear();
  DrawArcSolid(canvas, 106, band, 8, kId);
  ASSERT_EQ(canvas.calls[0].points.size(), 146u);
  EXPECT_EQ(canvas.calls[0].points[73].x, 500);
  EXPECT_EQ(canvas.calls[0].points[73].y, 500 - 30);
  EXPECT_EQ(canvas.calls[0].points[145].x, 500 + 80);
  canvas.calls.clear();
  DrawArcSolid(canvas, 105, band, 8, kId);
  EXPECT_EQ(canvas.calls[0].points[73].y, 500 - 40);
  canvas.calls.clear();
  DrawArcSolid(canvas, 106, band, 0, kId);  // no inner radius
  ASSERT_EQ(canvas.calls[0].points.size(), 146u);
  EXPECT_EQ(canvas.calls[0].points[100].x, 500);
}

TEST_F(RenderTest, PatternedCircleIsOneContinuousDashChain) {
  const int row = TgraAttribute::LineTypeRowOf(2);
  Attr().SetLineTypeCount(row, 2);
  Attr().SetLineTypeElement(row, 0, 1.0);
  Attr().SetLineTypeElement(row, 1, -1.0);
  Attr().UpdateLineTypePeriod(row);
  DrawPatternArc(canvas, 0, 2, Circle(50, 50, 10), kId);
  // About 62.8 mm of line at 2 mm per period: some 31 dashes (joints split a few).
  const size_t dashes = canvas.Of("line").size();
  EXPECT_GE(dashes, 31u);
  EXPECT_LE(dashes, 31u + 72u / 2);
  EXPECT_NEAR(UnitGval::PatternContinuation.EndX, 60, 1e-9);
  // Mirrored (through a block turned over in y), an arc from 60 degrees
  // sweeping 200 runs from the image of its end, at 100 degrees on the page,
  // round to the image of its start at 300 (probe dash-mirrored).
  canvas.calls.clear();
  UnitGra::EllipseArc arc = Circle(0, 0, 10);
  arc.Start = 60 * kPi / 180;
  arc.Sweep = 200 * kPi / 180;
  BlockTransform mirror;
  mirror.A22 = -1;
  mirror.Tx = mirror.Ty = 50;
  DrawPatternArc(canvas, 0, 2, arc, mirror);
  const auto mirrored = canvas.Of("line");
  ASSERT_FALSE(mirrored.empty());
  EXPECT_EQ(mirrored.front().points[0].x, 500 + std::lround(100 * std::cos(100 * kPi / 180)));
  EXPECT_EQ(mirrored.front().points[0].y, 500 - std::lround(100 * std::sin(100 * kPi / 180)));
  EXPECT_NEAR(UnitGval::PatternContinuation.EndX, 50 + 10 * std::cos(300 * kPi / 180), 1e-9);
  // Without a pattern it is 72 chords, clipped where they cross the page's edge.
  canvas.calls.clear();
  DrawPatternArc(canvas, 0, 1, Circle(50, 50, 10), kId);
  EXPECT_EQ(canvas.Of("line").size(), 72u);
  EXPECT_EQ(canvas.calls.front().points[0].x, 600);
  EXPECT_EQ(canvas.calls.back().points[1].x, 600);
  canvas.calls.clear();
  DrawPatternArc(canvas, 0, 1, Circle(95, 50, 10), kId);
  const auto chords = canvas.Of("line");
  EXPECT_EQ(chords.size(), canvas.calls.size());
  EXPECT_GT(chords.size(), 30u);
  EXPECT_LT(chords.size(), 72u);
  for (const auto& c : chords)
    for (const DevicePoint& p : c.points) EXPECT_LE(p.x, 1000);
}

namespace {
// A mark in pen 1 on the point (50, 50).
PointMarkArgs MarkAt50(int code, double scale = 1, double angle = 0) {
  PointMarkArgs m;
  m.X = m.Y = 50;
  m.MarkCode = code;
  m.MarkScale = scale;
  m.MarkAngle = angle;
  return m;
}
}  // namespace

TEST_F(RenderTest, PointsAndTemporaryPoints) {
  Page(100, 100, 24);
  Attr().SetPen(2, Rgb(10, 20, 30), 0, 0);
  PointMarkArgs point = MarkAt50(0);
  point.PenNumber = 2;
  DrawPointMark(canvas, point);
  ASSERT_EQ(canvas.calls.size(), 1u);
  const auto& dot = canvas.calls[0];
  EXPECT_EQ(dot.op, "polygon");
  EXPECT_EQ(dot.brushStyle, BrushStyle::Solid);
  EXPECT_EQ(dot.brush, Rgb(10, 20, 30));
  for (const DevicePoint& p : dot.points) EXPECT_LE(std::hypot(p.x - 1200, p.y - 1200), 1.5);

  canvas.calls.clear();
  point.Temporary = true;
  point.MarkCode = 5;
  point.Width100 = 300;
  DrawPointMark(canvas, point);
  const auto& temp = canvas.calls.at(0);
  EXPECT_EQ(temp.brushStyle, BrushStyle::Clear);
  EXPECT_EQ(temp.points.size(), 72u);
  EXPECT_EQ(temp.points[0].x, 1203);  // radius 3 device pixels whatever the pen
  EXPECT_EQ(temp.penWidth, 0);
}

TEST_F(RenderTest, MarksAreBuiltAroundThePoint) {
  // -4 at scale 2: arms of 2.5 mm; turned by 45 degrees it becomes an x.
  DrawPointMark(canvas, MarkAt50(-4, 2));
  auto lines = canvas.Of("line");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].points[0].y, 500 - 25);
  EXPECT_EQ(lines[0].points[1].y, 500 + 25);
  EXPECT_EQ(lines[1].points[0].x, 500 - 25);
  canvas.calls.clear();
  DrawPointMark(canvas, MarkAt50(-4, 2, kPi / 4));
  lines = canvas.Of("line");
  EXPECT_EQ(lines[0].points[0].x, 500 - 18);  // 2.5 mm at 135 degrees
  EXPECT_EQ(lines[0].points[0].y, 500 - 18);

  // 1: an arrowhead 7.5 long, 2.5 wide, tip on the point, filled with the background.
  canvas.calls.clear();
  DrawPointMark(canvas, MarkAt50(1));
  ASSERT_EQ(canvas.calls.size(), 1u);
  const auto& arrow = canvas.calls[0];
  EXPECT_EQ(arrow.op, "polygon");
  EXPECT_EQ(arrow.brush, Attr().GetBackgroundColor());
  EXPECT_EQ(arrow.points[0].x, 500);
  EXPECT_EQ(arrow.points[1].x, 500 - 75);
  EXPECT_EQ(arrow.points[1].y, 500 - 13);  // 12.5 px rounds away from zero
  EXPECT_EQ(arrow.points[2].y, 500 + 12);

  // 4 and -2 draw the same outline circle.
  canvas.calls.clear();
  DrawPointMark(canvas, MarkAt50(4, 1.5));
  DrawPointMark(canvas, MarkAt50(-2, 1.5));
  ASSERT_EQ(canvas.calls.size(), 2u);
  EXPECT_EQ(canvas.calls[0].points.size(), canvas.calls[1].points.size());
  EXPECT_EQ(canvas.calls[0].points[0].x, canvas.calls[1].points[0].x);
  EXPECT_EQ(canvas.calls[0].brushStyle, BrushStyle::Clear);

  // A colour override replaces pen and brush colours.
  canvas.calls.clear();
  PointMarkArgs overridden = MarkAt50(5);
  overridden.ColorOverride = Rgb(1, 2, 3);
  DrawPointMark(canvas, overridden);
  EXPECT_EQ(canvas.calls[0].pen, Rgb(1, 2, 3));
  EXPECT_EQ(canvas.calls[0].brush, Rgb(1, 2, 3));

  // A code outside the table of marks, -3 with them, is an ordinary point
  // (probe point-codes): the dot of code 0, not a mark's circle of 1.25 mm.
  canvas.calls.clear();
  DrawPointMark(canvas, MarkAt50(0, 2));
  const auto dot = canvas.calls;
  ASSERT_EQ(dot.size(), 1u);
  for (int code : {12, 20, 99, -3, -8}) {
    canvas.calls.clear();
    DrawPointMark(canvas, MarkAt50(code, 2));
    ASSERT_EQ(canvas.calls.size(), 1u) << code;
    const auto& pts = canvas.calls[0].points;
    ASSERT_EQ(pts.size(), dot[0].points.size()) << code;
    for (size_t i = 0; i < pts.size(); ++i)
      EXPECT_TRUE(pts[i].x == dot[0].points[i].x && pts[i].y == dot[0].points[i].y) << code;
    EXPECT_EQ(canvas.calls[0].penWidth, dot[0].penWidth) << code;
  }

  // Every code draws something and leaves the point list empty.
  for (int code : {2, 3, 6, 7, 8, 9, 10, 11, -1, -5, -6, -7}) {
    canvas.calls.clear();
    DrawPointMark(canvas, MarkAt50(code, 1, 0.3));
    EXPECT_FALSE(canvas.calls.empty()) << code;
    EXPECT_TRUE(UnitGval::PointList.empty()) << code;
  }
}

class ImageTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    dir = jwwtype::TempFolder().Value() + "images/";
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "photo.jpeg") << "x";
    std::ofstream(dir + "Plan.BMP") << "x";
    canvas.images = {{dir + "photo.jpeg", 400, 300}, {dir + "Plan.BMP", 100, 100}};
    UnitGval::CurrentFileName = dir + "drawing.jww";
  }
  std::string dir;
};

TEST_F(ImageTest, KindsFolderRetryAndCrop) {
  EXPECT_TRUE(IsAcceptedImageKind("a.jpeg"));
  EXPECT_TRUE(IsAcceptedImageKind("a.TIF"));
  EXPECT_FALSE(IsAcceptedImageKind("a.bmp2"));
  EXPECT_FALSE(IsAcceptedImageKind("bmp"));
  // Found by name in the drawing's folder, also after a Windows path and in another case.
  EXPECT_EQ(FindImageFile("photo.jpeg"), dir + "photo.jpeg");
  EXPECT_EQ(FindImageFile("C:\\jww\\photo.jpeg"), dir + "photo.jpeg");
  EXPECT_EQ(FindImageFile("plan.bmp"), dir + "Plan.BMP");
  EXPECT_EQ(FindImageFile("missing.png"), "");

  // Crop width 0.5, left 0.25, bottom 0 at a 40 x 20 mm placement.
  PlacedImage cropped = ImageAt("photo.jpeg", 10, 10, 50, 30);
  cropped.Crop.Left = 0.25;
  cropped.Crop.Width = 0.5;
  DrawImage(canvas, cropped);
  ASSERT_EQ(canvas.Of("image").size(), 1u);
  const ImagePlacement p = canvas.Of("image")[0].image;
  EXPECT_EQ(p.SrcLeft, 100);
  EXPECT_EQ(p.SrcWidth, 200);
  EXPECT_EQ(p.SrcHeight, 100);  // 400 x 0.5 x 0.5
  EXPECT_EQ(p.SrcTop, 200);     // from the bottom of the image upward
  EXPECT_EQ(p.DstLeft, 100);
  EXPECT_EQ(p.DstTop, 700);
  EXPECT_EQ(p.DstWidth, 400);
  EXPECT_EQ(p.DstHeight, 200);
  EXPECT_EQ(p.AngleDegrees, 0);

  canvas.calls.clear();
  PlacedImage turned = ImageAt("photo.jpeg", 10, 10, 50, 30);
  turned.Crop.Width = 0;
  turned.AngleDegrees = 360;
  DrawImage(canvas, turned);
  EXPECT_EQ(canvas.Of("image")[0].image.AngleDegrees, 0);  // 360 is upright
  EXPECT_EQ(canvas.Of("image")[0].image.SrcWidth, 400);    // crop width 0 means all
  turned.AngleDegrees = 30;
  DrawImage(canvas, turned);
  EXPECT_EQ(canvas.Of("image")[1].image.AngleDegrees, 30);
  EXPECT_EQ(canvas.Of("image")[1].image.PivotX, 100);
  EXPECT_EQ(canvas.Of("image")[1].image.PivotY, 900);
}

TEST_F(ImageTest, SmallOffPageAndUnreadableImages) {
  // 4 px wide: a white box with a 0.5 mm outline instead of the picture.
  PlacedImage narrow = ImageAt("photo.jpeg", 10, 10, 10.4, 30);
  narrow.AngleDegrees = 30;
  DrawImage(canvas, narrow);
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].op, "polygon");
  EXPECT_EQ(canvas.calls[0].brush, Rgb(255, 255, 255));
  EXPECT_EQ(canvas.calls[0].pen, Attr().GetBackgroundColor());
  EXPECT_EQ(canvas.calls[0].penWidth, 5);
  // 1.5 px wide, off the page, or of another kind: nothing, and no file is opened.
  canvas.calls.clear();
  canvas.imageSizeQueries = 0;
  DrawImage(canvas, ImageAt("photo.jpeg", 10, 10, 10.15, 30));
  DrawImage(canvas, ImageAt("photo.jpeg", 200, 200, 240, 230));
  DrawImage(canvas, ImageAt("photo.bmp2", 10, 10, 50, 30));
  EXPECT_TRUE(canvas.calls.empty());
  EXPECT_EQ(canvas.imageSizeQueries, 0);
  // Missing or unreadable files draw nothing.
  std::ofstream(dir + "broken.png") << "x";
  DrawImage(canvas, ImageAt("broken.png", 10, 10, 50, 30));
  DrawImage(canvas, ImageAt("none.png", 10, 10, 50, 30));
  EXPECT_TRUE(canvas.calls.empty());
  // Hostile crop values saturate instead of overflowing.
  PlacedImage hostile = ImageAt("photo.jpeg", 10, 10, 50, 30);
  hostile.Crop.Left = hostile.Crop.Bottom = hostile.Crop.Width = 1e300;
  DrawImage(canvas, hostile);
  EXPECT_EQ(canvas.Of("image").size(), 1u);
}
