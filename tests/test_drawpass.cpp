// The draw pass: orders, filters and transforms, on the recording canvas.
#include <algorithm>
#include <cmath>

#include "RenderFixture.h"
#include "TestSupport.h"
#include "jww/jwwunit_draw.h"
#include "jww/PageWindow.h"

namespace {

// Each pen colour number gets its own colour, so the calls tell which entity drew.
TColor Mark(int pen) { return Rgb(pen, 100, 200); }

class DrawPassTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    Page(100, 100, 10);
    for (int p = 1; p <= 9; ++p) Attr().SetPen(p, Mark(p), 0.1, 0.2);
    InitTestDrawing(d, 600);
  }
  // Pen numbers of the drawn calls, in order (one per call).
  std::vector<int> Pens() const {
    std::vector<int> out;
    for (const auto& c : canvas.calls) out.push_back(static_cast<int>(RedOf(c.pen)));
    return out;
  }
  TJwwSen Line(int pen, int group, int layer, double y = 50) {
    TJwwSen s = MakeLine(10, y, 20, y, group, layer);
    s.PenColor = static_cast<uint16_t>(pen);
    return s;
  }
  DrawEnd Draw(PrintOrder order = PrintOrder::AsStored, LayerFilter layers = LayerFilter()) {
    d.BuildBlockInstances();
    DrawDrawingArgs args;
    args.Order = order;
    args.Layers = layers;
    return d.DrawDrawing(canvas, args);
  }
  // The whole drawing on a page turned by `rotation` radians.
  void DrawTurned(double rotation) {
    DrawDrawingArgs args;
    args.Rotation = rotation;
    d.DrawDrawing(canvas, args);
  }
  TJwwData d;
};

}  // namespace

TEST_F(DrawPassTest, LayerGroupFilterAndOrders) {
  Add(d.Entities, Line(1, 0xF, 0xF));
  Add(d.Entities, Line(2, 3, 1));
  Add(d.Entities, Line(3, 0, 0));
  Add(d.Entities, Line(4, 3, 0));
  Draw(PrintOrder::AsStored, LayerFilter::OfGroup(3));
  EXPECT_EQ(Pens(), (std::vector<int>{2, 4}));
  canvas.calls.clear();
  Draw(PrintOrder::ByLayer);
  EXPECT_EQ(Pens(), (std::vector<int>{3, 4, 2, 1}));  // layer index 0, 0x30, 0x31, 0xFF
  canvas.calls.clear();
  Draw(PrintOrder::ByLayerReverse);
  EXPECT_EQ(Pens(), (std::vector<int>{1, 2, 4, 3}));  // F-F first although stored first anyway
  // Reverse order with a group: the print run passes 15 - g, which lands on g.
  canvas.calls.clear();
  Draw(PrintOrder::ByLayerReverse, LayerFilter::OfGroup(15 - 3));
  EXPECT_EQ(Pens(), (std::vector<int>{2, 4}));
  canvas.calls.clear();
  LayerFilter layerOneOfEveryGroup;
  layerOneOfEveryGroup.Layer = 1;
  Draw(PrintOrder::AsStored, layerOneOfEveryGroup);
  EXPECT_EQ(Pens(), (std::vector<int>{2}));
  // A damaged record's group beyond F is no layer of the by-layer passes
  // (and writes nothing outside their tables).
  Add(d.Entities, Line(5, 0xFF, 0xFF));
  for (PrintOrder order : {PrintOrder::ByLayer, PrintOrder::ByLayerReverse}) {
    canvas.calls.clear();
    Draw(order);
    EXPECT_EQ(Pens().size(), 4u);
  }
}

TEST_F(DrawPassTest, KindsAreDrawnInAFixedOrder) {
  Add(d.Entities, Line(1, 0, 0));
  TJwwEnko arc = MakeArc(50, 50, 5, 0, 1);
  arc.PenColor = 2;
  Add(d.Entities, arc);
  TJwwTen point = MakePoint(60, 60);
  point.PenColor = 3;
  Add(d.Entities, point);
  TJwwSolid solid = MakeSolid(30, 30, 40, 30, 40, 40, 30, 40);
  solid.PenColor = 4;  // stored after the line, drawn before it
  Add(d.Entities, solid);
  Draw();
  const std::vector<int> pens = Pens();
  ASSERT_GE(pens.size(), 4u);
  EXPECT_EQ(pens.front(), 4);
  EXPECT_EQ(canvas.calls.front().op, "polygon");
  EXPECT_EQ(pens[1], 1);
  EXPECT_EQ(pens[2], 2);
  EXPECT_EQ(pens.back(), 3);
  EXPECT_EQ(canvas.calls[1].brushStyle, BrushStyle::Clear);  // the brush is cleared after solids
}

TEST_F(DrawPassTest, HiddenLayersAlsoThroughBlockInstances) {
  Add(d.Entities, Line(1, 2, 5));
  TJwwBlock insert = MakeInsert(1, 0, 0);
  insert.LayerGroup = 2;
  insert.Layer = 5;
  Add(d.Entities, insert);
  TJwwBlockDef def;
  def.Number = 1;
  Add(def.Entities, Line(6, 0, 0));
  d.BlockDefs = {def};
  Attr().SetLayerState(0x25, 3);
  Draw();
  EXPECT_TRUE(canvas.calls.empty());
  // Members follow their insertion: one drawn on a hidden layer inside an
  // insertion on a shown layer prints in its own pen colour, not the background.
  Attr().SetLayerState(0x25, 1);
  Attr().SetLayerState(0x00, 3);
  canvas.calls.clear();
  Draw();
  EXPECT_EQ(Pens(), (std::vector<int>{1, 6}));
  Attr().SetLayerState(0x00, 1);
  Attr().SetLayerState(0x25, 3);
  // With own layers the contents are judged by their own layer instead.
  d.Entities.Blocks[0].PenStyle = 0x40;
  canvas.calls.clear();
  Draw();
  EXPECT_EQ(Pens(), (std::vector<int>{6}));
  // A block instance without a definition draws nothing.
  d.Entities.Blocks[0].BlockNumber = 99;
  d.Entities.Blocks[0].PenStyle = 0;
  Attr().SetLayerState(0x25, 1);
  canvas.calls.clear();
  Draw();
  EXPECT_EQ(Pens(), (std::vector<int>{1}));
  // Nested blocks follow the outermost insertion (probe nested-blocks): a
  // block of insertions on shown layers, inserted on a hidden layer, prints
  // nothing; on a display-only layer all of it prints grey.
  TJwwBlockDef outer;
  outer.Number = 2;
  Add(outer.Entities, MakeInsert(1, 0, 0));  // on layer 0-0, shown
  d.BlockDefs.push_back(outer);
  d.Entities.Blocks[0].BlockNumber = 2;
  Attr().SetLayerState(0x25, 3);
  canvas.calls.clear();
  Draw();
  EXPECT_EQ(Pens(), (std::vector<int>{}));
  Attr().SetLayerState(0x25, 2);
  Attr().SetLayerState(0x00, 3);  // the inner insertion's own layer, hidden, changes nothing
  Attr().SetGreyColor(Mark(9));
  canvas.calls.clear();
  Draw();
  EXPECT_EQ(Pens(), (std::vector<int>{9, 9}));
  Attr().SetLayerState(0x00, 1);
}

TEST_F(DrawPassTest, AuxiliaryLinesAndTemporaryPoints) {
  TJwwSen auxStyle = Line(1, 0, 0);
  auxStyle.PenStyle = 9;
  Add(d.Entities, auxStyle);
  Add(d.Entities, Line(9, 0, 0, 60));
  Add(d.Entities, MakePoint(50, 50, true));
  Draw();
  EXPECT_TRUE(canvas.calls.empty());  // auxiliary lines off, temporary points never
  Attr().SetPrintAuxLines(true);
  Draw();
  const std::vector<int> pens = Pens();
  EXPECT_NE(std::find(pens.begin(), pens.end(), 1), pens.end());  // the dotted auxiliary style
  EXPECT_NE(std::find(pens.begin(), pens.end(), 9), pens.end());  // the auxiliary pen
  EXPECT_TRUE(canvas.Of("polygon").empty());                        // still no temporary point
}

TEST_F(DrawPassTest, AbortAndTheDrawingLimitEndAPage) {
  for (int i = 0; i < 100; ++i) Add(d.Entities, Line(1, 0, 0, 1 + i * 0.5));
  // Polls: after the (empty) text and solid lists, then after each line.
  int polls = 0;
  {
    const UnitGval::AbortCheckScope stopAtFifthPoll([&polls] { return ++polls > 4; });
    EXPECT_EQ(Draw(), DrawEnd::Stopped);
  }
  EXPECT_EQ(canvas.calls.size(), 3u);  // the answer after the third line stops the page
  canvas.calls.clear();
  EXPECT_EQ(Draw(), DrawEnd::Finished);
  EXPECT_EQ(canvas.calls.size(), 100u);
  // A page that asks for more entities than its limit (block contents
  // counted one by one) ends there as a finished page marked cut.
  TJwwBlockDef def;
  def.Number = 1;
  for (int i = 0; i < 10; ++i) Add(def.Entities, Line(2, 0, 0, 60 + i));
  d.BlockDefs = {def};
  for (int i = 0; i < 10; ++i) Add(d.Entities, MakeInsert(1, 0, 0));
  d.BuildBlockInstances();
  DrawDrawingArgs limited;
  limited.MaxDrawn = 150;
  canvas.calls.clear();
  EXPECT_EQ(d.DrawDrawing(canvas, limited), DrawEnd::Cut);
  EXPECT_EQ(canvas.calls.size(), 150u);
  EXPECT_EQ(Draw(), DrawEnd::Finished);
}

TEST_F(DrawPassTest, EntityTransformsAndPens) {
  Page(100, 100, 10);
  UnitGval::PageWindow.Xmin = UnitGval::PageWindow.Ymin = -50;
  UnitGval::PageWindow.Xmax = UnitGval::PageWindow.Ymax = 50;
  // A line on a page turned by -pi/2: (0,0)-(10,0) is drawn as (0,0)-(0,-10).
  TJwwSen l = MakeLine(0, 0, 10, 0);
  l.PenWidth = 35;  // 0.35 mm whatever the pen, in a drawing of 1/100 mm widths
  Add(d.Entities, l);
  d.MaxDrawWidth = -300;
  d.BuildBlockInstances();
  DrawTurned(-M_PI / 2);
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].points[0].x, 500);
  EXPECT_EQ(canvas.calls[0].points[1].x, 500);
  EXPECT_EQ(canvas.calls[0].points[1].y, 600);
  EXPECT_EQ(canvas.calls[0].penWidth, 4);  // 3.5 px, halves to even
  canvas.calls.clear();
  d.Entities.Lines[0].PenWidth = 0;
  d.DrawDrawing(canvas, {});
  EXPECT_EQ(canvas.calls[0].penWidth, 1);  // the pen's 0.1 mm
  // In a drawing of printer-dot widths the pen's width wins over the
  // entity's (probe width-dots: widths 10 to 200 on pen 2 all print pen 2's
  // 4 px at 600 dpi); so for arcs and points.
  d.MaxDrawWidth = 100;
  d.Entities.Lines[0].PenWidth = 200;
  TJwwEnko ring = MakeArc(0, 0, 3, 0, 2 * M_PI, true);
  ring.PenWidth = 200;
  Add(d.Entities, ring);
  TJwwTen dot = MakePoint(0, 0);
  dot.PenWidth = 200;
  Add(d.Entities, dot);
  canvas.calls.clear();
  d.DrawDrawing(canvas, {});
  auto pointWidth = [&] {
    int32_t lo = INT32_MAX, hi = INT32_MIN;
    const auto polygons = canvas.Of("polygon");
    for (const DevicePoint& p : polygons.at(0).points) lo = std::min(lo, p.x), hi = std::max(hi, p.x);
    return hi - lo;
  };
  for (const auto& call : canvas.Of("line")) EXPECT_EQ(call.penWidth, 1);
  EXPECT_LE(pointWidth(), 6);  // the pen's width and point radius: 0.25 mm round
  d.MaxDrawWidth = -300;
  canvas.calls.clear();
  d.DrawDrawing(canvas, {});
  for (const auto& call : canvas.Of("line")) EXPECT_EQ(call.penWidth, 20);
  EXPECT_GE(pointWidth(), 22);
  d.Entities.Arcs.clear();
  d.Entities.Points.clear();
  d.Entities.Order.resize(1);

  // A full circle goes over from 0 to 2 pi whatever it stores.
  InitTestDrawing(d, 600);
  TJwwEnko circle = MakeArc(0, 0, 10, 1.0, 0.5, true);
  Add(d.Entities, circle);
  canvas.calls.clear();
  Draw();
  const auto chords = canvas.Of("line");
  ASSERT_EQ(chords.size(), 72u);
  EXPECT_EQ(chords.front().points[0].x, 600);  // starts at angle 0: (10, 0)
  EXPECT_EQ(chords.front().points[0].y, 500);
  EXPECT_EQ(chords.back().points[1].x, 600);

  // Mark angle through a turned block: 0.5 + 0.3.
  TJwwTen mark = MakePoint(1, 1);
  mark.PenStyle = 100;
  mark.Angle = 0.5;
  mark.Code = -4;
  BlockTransform t;
  t.A11 = std::cos(0.3);
  t.A12 = -std::sin(0.3);
  t.A21 = std::sin(0.3);
  t.A22 = std::cos(0.3);
  EXPECT_NEAR(PointMarkGeometry(mark, t).Angle, 0.8, 1e-12);
  t.A11 = -1;  // mirrored: the angle turns by half a turn
  t.A12 = t.A21 = 0;
  t.A22 = 1;
  EXPECT_NEAR(PointMarkGeometry(mark, t).Angle, 0.5 + 2 * M_PI, 1e-12);
  mark.PenStyle = 1;
  const PointMark plain = PointMarkGeometry(mark, t);
  EXPECT_EQ(plain.Code, 0);
  EXPECT_EQ(plain.Angle, 0);
  EXPECT_EQ(plain.Scale, 1);
}

TEST_F(DrawPassTest, SolidsOwnColourGreyLayersAndArcSolids) {
  TJwwSolid own = MakeSolid(10, 10, 20, 10, 20, 20, 10, 20);
  own.PenColor = 10;
  own.SolidColor = Rgb(1, 2, 3);
  own.Layer = 4;
  Add(d.Entities, own);
  Draw();
  EXPECT_EQ(canvas.calls.at(0).brush, Rgb(1, 2, 3));
  Attr().SetLayerState(4, 2);
  canvas.calls.clear();
  Draw();
  EXPECT_EQ(canvas.calls.at(0).brush, Attr().GetGreyColor());
  // An arc-shaped solid (style 105) is a ring band, never four corners.
  InitTestDrawing(d, 600);
  TJwwSolid ring = MakeSolid(50, 50, 10, 1, 0, 0, M_PI, 8);
  ring.PenStyle = 105;
  Add(d.Entities, ring);
  canvas.calls.clear();
  Draw();
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].points.size(), 146u);

  // A solid in a pen's colour is outlined with the pen at its width, and
  // prints larger by that width (probe solids: pens of 2 to 12 px); a width
  // stored on the solid is not used. A solid of its own colour is not grown.
  InitTestDrawing(d, 600);
  Attr().SetPen(3, Mark(3), 0.5, 0.2);
  TJwwSolid inPen = MakeSolid(10, 10, 20, 10, 20, 20, 10, 20);
  inPen.PenColor = 3;
  inPen.PenWidth = 90;
  Add(d.Entities, inPen);
  Add(d.Entities, own);
  canvas.calls.clear();
  Draw();
  ASSERT_EQ(canvas.calls.size(), 2u);
  EXPECT_EQ(canvas.calls[0].penWidth, 5);
  EXPECT_EQ(canvas.calls[1].penWidth, 0);
}

TEST(PageWindowComputation, TheThreeMethods) {
  TJwwData d;
  InitTestDrawing(d, 600);
  jwwunit::DrawingExtents = {0, 0, 400, 200};
  PageWindowRequest r;
  r.PrintMethod = PrintMethod::FitToPage;
  r.PageWidthPx = 3300;
  r.PageHeightPx = 2400;
  r.PageWidthMm = 279.4;
  r.OffsetX = 10;
  EXPECT_EQ(ComputePageWindow(d, r), 0);
  const UnitGval::TPageWindow& w = UnitGval::PageWindow;
  EXPECT_DOUBLE_EQ(w.Scale, 3300.0 / 404);
  EXPECT_DOUBLE_EQ((w.Xmin + w.Xmax) / 2, 210);  // centred on (200, 100) plus the offset
  EXPECT_DOUBLE_EQ((w.Ymin + w.Ymax) / 2, 100);
  // Turned a quarter clockwise, the fit takes the turned drawing, 200 wide and 400 high.
  r.RotationAngle = 90;
  r.OffsetX = 0;
  EXPECT_DOUBLE_EQ(ComputePageWindow(d, r), -M_PI / 2);
  EXPECT_DOUBLE_EQ(w.Scale, 2400.0 / 404);
  EXPECT_NEAR((w.Xmin + w.Xmax) / 2, 100, 1e-9);  // (200, 100) turned to (100, -200)
  EXPECT_NEAR((w.Ymin + w.Ymax) / 2, -200, 1e-9);
  r.RotationAngle = 0;
  r.OffsetX = 10;

  // Given scale: a scale of 0 prints at 1; the offset is the centre.
  r.PrintMethod = PrintMethod::GivenScale;
  r.PrintScale = 0;
  r.RotationAngle = 90;
  EXPECT_DOUBLE_EQ(ComputePageWindow(d, r), -M_PI / 2);
  EXPECT_DOUBLE_EQ(w.Scale, 3300 / 279.4);
  EXPECT_DOUBLE_EQ((w.Xmin + w.Xmax) / 2, 10);

  // The drawing's own settings: scale, origin and the turn from the setting's units digit.
  r.PrintMethod = PrintMethod::DrawingSettings;
  d.PrinterScale = 2;
  d.PrinterOriginX = 5;
  d.PrinterSetting = 21;
  EXPECT_DOUBLE_EQ(ComputePageWindow(d, r), -M_PI / 2);
  EXPECT_DOUBLE_EQ(w.Scale, 3300 * 2 / 279.4);
  EXPECT_DOUBLE_EQ((w.Xmin + w.Xmax) / 2, 5);
  d.PrinterSetting = 12;
  EXPECT_DOUBLE_EQ(ComputePageWindow(d, r), M_PI / 2);
  d.PrinterSetting = -1;
  EXPECT_DOUBLE_EQ(ComputePageWindow(d, r), 0);
  d.PrinterScale = -3;  // a stored magnification of 0 or less prints at 1
  ComputePageWindow(d, r);
  EXPECT_DOUBLE_EQ(w.Scale, 3300 / 279.4);

  // Fit with nothing to fit: centred at magnification 1, no division by zero.
  jwwunit::DrawingExtents = {5, 5, 5, 5};
  r.PrintMethod = PrintMethod::FitToPage;
  r.OffsetX = 0;
  ComputePageWindow(d, r);
  EXPECT_DOUBLE_EQ(w.Scale, 3300 / 279.4);
  EXPECT_DOUBLE_EQ((w.Xmin + w.Xmax) / 2, 5);
  jwwunit::DrawingExtents = {0, 5, 100, 5};  // all on one horizontal line
  ComputePageWindow(d, r);
  EXPECT_TRUE(std::isfinite(w.Xmin) && std::isfinite(w.Ymax));
}

TEST_F(DrawPassTest, RotationNinetyDegreesClockwise) {
  // RotationAngle 90 gives -pi/2: the point (1, 0) is drawn at (0, -1).
  UnitGval::PageWindow.Xmin = UnitGval::PageWindow.Ymin = -50;
  UnitGval::PageWindow.Xmax = UnitGval::PageWindow.Ymax = 50;
  Add(d.Entities, MakeLine(0, 0, 1, 0));
  d.BuildBlockInstances();
  DrawTurned(-90 * M_PI / 180);
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].points[1].x, 500);
  EXPECT_EQ(canvas.calls[0].points[1].y, 510);
}
