#include <cmath>
#include <stdexcept>
#include <string>

#include "RenderFixture.h"
#include "JwwWriter.h"
#include "jww/PageWindow.h"
#include "render/TextVariables.h"

using namespace UnitGra;

namespace {
// A dashed line type for the tests: 2 mm stroke, 1 mm gap (row of type 2).
void DashType(TgraAttribute& a, double amplitude = 0) {
  const int row = TgraAttribute::LineTypeRowOf(2);
  a.SetLineTypeCount(row, 2);
  a.SetLineTypeAmplitude(row, amplitude);
  a.SetLineTypeElement(row, 0, 2.0);
  a.SetLineTypeElement(row, 1, -1.0);
  a.UpdateLineTypePeriod(row);
}
// Line type 2 as a pattern of dots of dotMm, one repeat of `dots` ("1001":
// a dot, two gaps, a dot), the way a drawing's own line types are loaded.
void DotType(TgraAttribute& a, const std::string& dots, double dotMm) {
  const int row = TgraAttribute::LineTypeRowOf(2);
  int n = 0;
  for (size_t i = 0; i < dots.size();) {
    size_t j = i;
    while (j < dots.size() && dots[j] == dots[i]) ++j;
    a.SetLineTypeElement(row, n++, (dots[i] == '1' ? 1.0 : -1.0) * static_cast<double>(j - i) * dotMm);
    i = j;
  }
  a.SetLineTypeCount(row, n);  // also clears the repeat
  a.SetLineTypeAmplitude(row, 0);
  a.UpdateLineTypePeriod(row);
  a.SetLineTypeRepeat(row, static_cast<int32_t>(dots.size()), dotMm);
}
// The page window of an A3 sheet printed at its own scale, landscape, at
// dpi (the device's whole pixels of the sheet).
void PlaceA3(int dpi, double centreX = 0, double centreY = 0) {
  TJwwData d;
  InitTestDrawing(d, 600);
  PageWindowRequest r;
  r.PrintMethod = PrintMethod::GivenScale;
  r.OffsetX = centreX;
  r.OffsetY = centreY;
  r.PageWidthPx = static_cast<int>(std::lround(420 * dpi / 25.4));
  r.PageHeightPx = static_cast<int>(std::lround(297 * dpi / 25.4));
  r.PageWidthMm = r.PageWidthPx * 25.4 / dpi;
  ComputePageWindow(d, r);
}
}  // namespace

TEST_F(RenderTest, ToDeviceRoundsHalvesAwayFromZero) {
  Page(100, 100, 2);
  const DevicePoint p = UnitGval::ToDevice(0.25, 0.25);  // 0.5 px
  EXPECT_EQ(p.x, 1);
  EXPECT_EQ(p.y, 200 - 1);
  const DevicePoint far = UnitGval::ToDevice(1e300, -1e300);  // saturates, no overflow
  EXPECT_EQ(far.x, INT32_MAX);
  EXPECT_EQ(far.y, INT32_MAX);
}

TEST_F(RenderTest, PenColourFromLayerStateAndWidthInPixels) {
  Page(100, 100, 24);
  Attr().SetLayerState(5, 2);
  Attr().SetLayerState(6, 3);
  SetLinePen(canvas, 0, 2, 20, 1);
  EXPECT_EQ(canvas.PenWidth(), 400);  // 480 px clamped
  EXPECT_EQ(canvas.PenColor(), Attr().GetPenColor(2));
  EXPECT_EQ(canvas.GetBrushStyle(), BrushStyle::Clear);
  SetLinePen(canvas, 5, 2, 0, 1);
  EXPECT_EQ(canvas.PenWidth(), 0);
  EXPECT_EQ(canvas.PenColor(), Attr().GetGreyColor());
  SetLinePen(canvas, 6, 2, -1, 1);
  EXPECT_EQ(canvas.PenWidth(), 0);
  EXPECT_EQ(canvas.PenColor(), Attr().GetBackgroundColor());
  EXPECT_EQ(DevicePenWidth(1.5 / 24), 2);   // 1.5 -> 2 (even)
  EXPECT_EQ(DevicePenWidth(2.5 / 24), 2);   // 2.5 -> 2 (even)
  EXPECT_EQ(DevicePenWidth(2.6 / 24), 3);
  EXPECT_EQ(DevicePenWidth(NAN), 0);
  SetFillBrush(canvas, 0, 3, 4);
  EXPECT_EQ(canvas.BrushColor(), Attr().GetPenColor(3));
  EXPECT_EQ(canvas.GetBrushStyle(), BrushStyle::ForwardDiagonal);
  SetBrushKind(canvas, Rgb(1, 2, 3), 9);
  EXPECT_EQ(canvas.GetBrushStyle(), BrushStyle::Clear);
  for (int k = 1; k <= 7; ++k) EXPECT_NE(BrushStyleOf(k), BrushStyle::Clear);
}

TEST_F(RenderTest, ClippedLinesAndEdges) {
  DrawClippedLine(canvas, -10, 50, 110, 50);
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].points[0].x, 0);
  EXPECT_EQ(canvas.calls[0].points[1].x, 1000);
  EXPECT_EQ(canvas.calls[0].points[0].y, 500);
  DrawClippedLine(canvas, 0, 0, 100, 0);  // on the bottom edge: invisible
  DrawClippedLine(canvas, 10, 200, 20, 300);
  DrawClippedLine(canvas, NAN, 0, 10, 10);
  EXPECT_EQ(canvas.calls.size(), 1u);

  // A3 at 600 dpi: the sheet's 9921 x 7016 px lie on a page of 1191 x 842
  // whole points (9925 x 7017 px), and lines print up to that page's edge,
  // 2 px past the sheet's sides and half a pixel past its top and bottom: a
  // frame drawn on the sheet's edge prints (probe sheet-edge).
  PlaceA3(600);
  canvas.calls.clear();
  const double px = 25.4 / 600;
  for (double out : {0.0, 1.5, 2.5}) DrawClippedLine(canvas, -210 - out * px, -100, -210 - out * px, 100);
  for (double out : {0.0, 0.5, 1.0}) DrawClippedLine(canvas, -100, 148.5 + out * px, 100, 148.5 + out * px);
  ASSERT_EQ(canvas.calls.size(), 4u);
  EXPECT_LT(canvas.calls[1].points[0].x, 0);  // off the device: only its width reaches the sheet
}

TEST_F(RenderTest, DashPhaseRunsOnAcrossJoinedSegments) {
  DashType(Attr());
  {
    UnitGra::PatternChainScope chain(2, 15);  // 15 mm hold five 3 mm periods: not stretched
    DrawPatternLine(canvas, 0, 2, 10, 50, 17.5, 50);
    DrawPatternLine(canvas, 0, 2, 17.5, 50, 25, 50);
  }
  RecordingCanvas whole;
  ResetPatternContinuation();
  DrawPatternLine(whole, 0, 2, 10, 50, 25, 50);
  // Dashes of the joined pair: 10-12, 13-15, 16-17.5 + 17.5-18, 19-21, 22-24.
  auto xs = [](const RecordingCanvas& c) {
    std::vector<std::pair<int, int>> out;
    for (const auto& call : c.Of("line")) out.push_back({call.points[0].x, call.points[1].x});
    return out;
  };
  const auto joined = xs(canvas);
  const auto single = xs(whole);
  ASSERT_EQ(single.size(), 5u);
  EXPECT_EQ(single[0], std::make_pair(100, 120));
  EXPECT_EQ(single[2], std::make_pair(160, 180));
  // The joint splits the third dash in two; every other dash is the same.
  ASSERT_EQ(joined.size(), 6u);
  EXPECT_EQ(joined[2], std::make_pair(160, 175));
  EXPECT_EQ(joined[3], std::make_pair(175, 180));
  EXPECT_EQ(joined[4], single[3]);
  EXPECT_EQ(joined[5], single[4]);
  EXPECT_EQ(UnitGval::PatternContinuation.LineType, 2);
}

// A line of its own holds a whole number of the pattern's repeats, starting
// and ending at the pattern's start; joined lines do not carry the phase over.
// Measured on the probes dash-counts and dash-short: the count is the line's
// length in whole device pixels over the repeat's (type 2 at exactly 3, 4,
// 9, 12 and 20 repeats holds 3, 4, 9, 12 and 20, at 2.99 two), and a line
// shorter than one repeat holds one, squeezed (type 6 at half a repeat: dash,
// gap, dot, gap, dash, each half as long).
TEST_F(RenderTest, EachLineIsFittedToWholeRepeats) {
  DashType(Attr());  // 2 mm dash, 1 mm gap
  DrawPatternLine(canvas, 0, 2, 10, 50, 20, 50);  // 10 mm: three repeats of 3.33 mm
  DrawPatternLine(canvas, 0, 2, 20, 50, 21, 50);  // under one repeat: one, squeezed
  const auto lines = canvas.Of("line");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].points[1].x, 122);  // 2 x 10/9 mm
  EXPECT_EQ(lines[2].points[0].x, 167);
  EXPECT_EQ(lines[2].points[1].x, 189);  // the last repeat's dash, then its gap to 20
  EXPECT_EQ(lines[3].points[0].x, 200);  // the next line starts a dash of its own
  EXPECT_EQ(lines[3].points[1].x, 207);  // 2/3 of its 1 mm
  EXPECT_DOUBLE_EQ(UnitGra::PatternStretch(2, 10), 10.0 / 9);
  EXPECT_DOUBLE_EQ(UnitGra::PatternStretch(2, 8.9), 8.9 / 6);  // two whole repeats, not three
  EXPECT_DOUBLE_EQ(UnitGra::PatternStretch(2, 2.9), 2.9 / 3);
  EXPECT_DOUBLE_EQ(UnitGra::PatternStretch(2, 0.2), 0.2 / 3);
  // Whole counts whose millimetres fall a hair short still hold them.
  EXPECT_DOUBLE_EQ(UnitGra::PatternStretch(2, 16.4 - 4.4), (16.4 - 4.4) / 12);
  EXPECT_DOUBLE_EQ(UnitGra::PatternStretch(2, 16.4 - 7.4), (16.4 - 7.4) / 9);
  EXPECT_DOUBLE_EQ(UnitGra::PatternStretch(1, 10), 1.0);  // solid

  // A line's repeats are counted between its ends in whole pixels of the
  // pattern grid: A3's whole-point page of 9925 px over 420 mm, 23.631 px/mm
  // where the device has 23.622 (probe dash-angles). Of two lines exactly 3
  // and 5 repeats long (80 px each), the one at 15 degrees holds 3, the one
  // at 55 degrees 4: its ends lie 399.8 px apart there.
  PlaceA3(600);
  const UnitGval::TPageWindow& w = UnitGval::PageWindow;
  EXPECT_NEAR(w.GridScale, 9925.0 / 420, 1e-9);
  DotType(Attr(), "1001", 20 * 25.4 / 600);
  const double repeat = 80 * 25.4 / 600;
  auto count = [&](double x, double y, double degrees, double repeats) {
    const double a = degrees * M_PI / 180, len = repeats * repeat;
    const double stretch = UnitGra::PatternStretch(2, x, y, x + len * std::cos(a), y + len * std::sin(a));
    return std::lround(len / (stretch * repeat));
  };
  EXPECT_EQ(count(-190, -125, 15, 3), 3);
  EXPECT_EQ(count(-140, -125, 55, 5), 4);
  // Each end's pixels are counted from the window's centre and cut toward
  // it, so a line across the centre loses one: 4 repeats from x -5 mm hold
  // 3 (-118.2 to 201.97 px: 118 + 201), from x 10 mm 4 (236.3 to 556.4).
  EXPECT_EQ(count(-5, -5, 0, 4), 3);
  EXPECT_EQ(count(10, -5, 0, 4), 4);
  // The page's centre, not the drawing's origin (probe dash-origin: a
  // drawing printed about (40, -30)).
  PlaceA3(600, 40, -30);
  EXPECT_EQ(count(-5, -5, 0, 4), 4);
  EXPECT_EQ(count(35, -5, 0, 4), 3);
  EXPECT_EQ(count(-100, -35, 90, 4), 3);
  // At 300 dpi the page's 4962.5 px are cut down to 4962 for the scale; the
  // line across the centre loses its pixel there too (probe dash-counts:
  // lines of 4 repeats of 16 and 32 dots from x -40 mm hold 3).
  PlaceA3(300);
  EXPECT_NEAR(w.GridScale, 4962.0 / 420, 1e-9);
  EXPECT_EQ(count(-5, -5, 0, 4), 3);
  EXPECT_EQ(count(10, -5, 0, 4), 4);
}

TEST_F(RenderTest, DashPhaseRestartsWhenTheChainBreaks) {
  DashType(Attr());
  UnitGra::PatternChainScope chain(2, 0);
  DrawPatternLine(canvas, 0, 2, 10, 50, 11, 50);   // ends inside the first dash
  DrawPatternLine(canvas, 1, 2, 11, 50, 20, 50);   // another layer: restarts
  DrawPatternLine(canvas, 1, 2, 30, 50, 40, 50);   // not joined: restarts
  const auto lines = canvas.Of("line");
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[1].points[0].x, 110);
  EXPECT_EQ(lines[1].points[1].x, 130);  // a full 2 mm dash from 11
  bool found = false;
  for (const auto& l : lines)
    if (l.points[0].x == 300) found = l.points[1].x == 320;
  EXPECT_TRUE(found);
}

TEST_F(RenderTest, PatternStartsAtThePageEdgeAndFinePatternsAreSolid) {
  DashType(Attr());
  // A line entering from outside starts its pattern 2.5 px past the page's
  // edge and holds whole repeats from there (probe dash-edge: type 2 with
  // 8.97 repeats on the sheet holds 9, at 3.0 three, whatever the pen).
  DrawPatternLine(canvas, 0, 2, -0.5, 50, 5.8, 50);  // 5.8 mm on the page, 6.05 from -2.5 px
  ASSERT_FALSE(canvas.calls.empty());
  EXPECT_EQ(canvas.calls[0].points[0].x, 0);
  EXPECT_EQ(canvas.calls[0].points[1].x, 18);  // the first dash from -2.5 px, cut at the edge
  EXPECT_EQ(canvas.Of("line").size(), 2u);  // two whole repeats
  EXPECT_EQ(canvas.calls[1].points[0].x, 28);

  canvas.calls.clear();
  Page(100, 100, 24);
  const int row = TgraAttribute::LineTypeRowOf(3);
  Attr().SetLineTypeCount(row, 2);
  Attr().SetLineTypeElement(row, 0, 0.025);
  Attr().SetLineTypeElement(row, 1, -0.025);
  Attr().UpdateLineTypePeriod(row);  // 0.05 mm = 1.2 px per period
  UnitGval::PatternContinuation.LineType = 77;
  DrawPatternLine(canvas, 0, 3, 10, 10, 20, 10);
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(UnitGval::PatternContinuation.LineType, 77);  // left unchanged
}

TEST_F(RenderTest, RandomLineZigZagsAndEndsOnItsEndPoint) {
  const int row = TgraAttribute::LineTypeRowOf(11);
  Attr().SetLineTypeCount(row, 3);
  Attr().SetLineTypeAmplitude(row, 1.0);
  Attr().SetLineTypeElement(row, 0, 2.0);
  Attr().SetLineTypeElement(row, 1, 0.0);
  Attr().SetLineTypeElement(row, 2, -2.0);
  Attr().UpdateLineTypePeriod(row);
  DrawPatternLine(canvas, 0, 11, 10, 50, 16, 50);
  const auto lines = canvas.Of("line");
  ASSERT_EQ(lines.size(), 4u);  // vertices at 12 (left), 12 (zero: on the line), 14 (right), 16
  EXPECT_EQ(lines[0].points[0].x, 100);
  EXPECT_EQ(lines[0].points[0].y, 500);
  EXPECT_EQ(lines[0].points[1].x, 120);
  EXPECT_EQ(lines[0].points[1].y, 490);  // 1 mm to the left of +x is up
  EXPECT_EQ(lines[1].points[1].y, 500);
  EXPECT_EQ(lines[2].points[1].y, 510);
  EXPECT_EQ(lines[3].points[1].x, 160);
  EXPECT_EQ(lines[3].points[1].y, 500);

  // Each dot of a zig-zag is a vertex of its own, so a run of dots holds the
  // amplitude, and takes whole device pixels, cut down (probe random-pitches:
  // dots of 2.8 to 56.7 px print 2 to 56 px apart).
  canvas.calls.clear();
  ResetPatternContinuation();
  UnitGraAtt::ZigZagToElements(Attr(), row, 0xF0F0F0F0u, 0.25 / UnitGraAtt::kZigZagDot);  // 2.5 px dots
  DrawPatternLine(canvas, 0, 11, 10, 50, 20, 50);
  const auto zig = canvas.Of("line");
  ASSERT_GE(zig.size(), 6u);
  EXPECT_EQ(zig[0].points[1].x, 102);
  EXPECT_EQ(zig[1].points[1].x, 104);
  EXPECT_EQ(zig[0].points[1].y, 490);
  EXPECT_EQ(zig[3].points[1].y, 490);  // four dots up
  EXPECT_EQ(zig[4].points[1].y, 510);

  // On a slanted line a dot takes whole pixels on the line's longer axis,
  // fewer the more it slants (probes zigzag-angles and zigzag-slopes): dots
  // of 28 px (20 px dashed dots) step 28 px level and upright, 24 at a slope
  // of 1/2, 20 at 45 degrees.
  Attr().SetLineTypeAmplitude(row, 1e-9);
  UnitGraAtt::ZigZagToElements(Attr(), row, 0xF0F0F0F0u, 2.0);  // 28 px dots
  // The k-th vertex (a piece's end) of a zig-zag from (ax, ay) to (bx, by).
  auto vertexOf = [&](double ax, double ay, double bx, double by, size_t k) {
    canvas.calls.clear();
    ResetPatternContinuation();
    DrawPatternLine(canvas, 0, 11, ax, ay, bx, by);
    const auto steps = canvas.Of("line");
    return k < steps.size() ? steps[k].points[1] : DevicePoint{-1, -1};
  };
  auto vertex = [&](double x2, double y2, size_t k) { return vertexOf(10, 10, x2, y2, k); };
  EXPECT_EQ(vertex(40, 10, 1).x, 156);
  EXPECT_EQ(vertex(10, 40, 1).y, 900 - 56);
  const DevicePoint half = vertex(40, 25, 1), steep = vertex(25, 40, 1);  // steep: the same slope on the y axis
  EXPECT_EQ(half.x, 148);
  EXPECT_EQ(half.y, 900 - 24);
  EXPECT_EQ(steep.x, 124);
  EXPECT_EQ(steep.y, 900 - 48);
  EXPECT_EQ(vertex(30, 30, 2).x, 160);
  // A pitch of 10 printer dots at 600 dpi (20.08 px dashed dots) at 33
  // degrees: 23 px on the longer axis (zigzag-slopes-10), where 1.4 - 0.4 s
  // would give 22.
  Page(200, 200, 600 / 25.4);
  UnitGraAtt::ZigZagToElements(Attr(), row, 0xF0F0F0F0u, 0.85);
  const double a = 33 * M_PI / 180, x2 = 10 + 60 * std::cos(a), y2 = 10 + 60 * std::sin(a);
  EXPECT_EQ(vertex(x2, y2, 3).x - vertex(x2, y2, 1).x, 2 * 23);

  // A vertex leaves the line along the shorter axis, not square to it, and
  // to the same side whichever way the line runs: up on a shallow line, left
  // on a steep one (probes zigzag-slopes and zigzag-ways). The dots of 24 px
  // on the longer axis of a line of slope 1/2 put the first vertex 10 px (the
  // amplitude) above the point 24 px along, not 4.5 px to its left as well.
  Page(100, 100, 10);
  Attr().SetLineTypeAmplitude(row, 1.0);
  UnitGraAtt::ZigZagToElements(Attr(), row, 0xF0F0F0F0u, 2.0);
  auto at = [](DevicePoint p, int x, int y) { return p.x == x && p.y == y; };
  EXPECT_TRUE(at(vertexOf(10, 10, 40, 25, 0), 124, 1000 - 100 - 12 - 10));
  EXPECT_TRUE(at(vertexOf(40, 25, 10, 10, 0), 400 - 24, 1000 - 250 + 12 - 10));  // backwards: still up
  EXPECT_TRUE(at(vertexOf(10, 10, 25, 40, 0), 100 + 12 - 10, 1000 - 100 - 24));   // steep: to the left
  // An exactly level or upright line runs left to right or upwards however
  // it was drawn (probe line-kinds: the sides of a square drawn round it).
  EXPECT_EQ(vertexOf(40, 10, 10, 10, 0).x, 100 + 28);
  EXPECT_EQ(vertexOf(10, 40, 10, 10, 0).y, 1000 - 100 - 28);
  // A line crossing the page's edge is cut to the page on its longer axis
  // only, and a cut line runs the way that axis grows (probe zigzag-edge):
  // a shallow line from 10 mm past the right edge starts at its end on the
  // page; a steep one through the same edge keeps its dots from its start
  // 3 mm past it (26 px dots on y from 200 px, where from the crossing at
  // 38.3 mm they would start 183 px later).
  EXPECT_EQ(vertexOf(110, 50, 60, 45, 0).x, 600 + 27);  // 27 px dots at a slope of 1/10
  EXPECT_EQ((800 - vertexOf(103, 20, 97, 60, 0).y) % 26, 0);
}

TEST_F(RenderTest, ZigZagCurvesRunOnQuarterChords) {
  // A zig-zag curve takes chords of a quarter of a dashed curve's turn (0.2
  // rad up to a radius of 49 mm), each drawn as a zig-zag line of its own
  // that starts with the dot after the one the last chord ended in (probes
  // zigzag-curves and zigzag-circles). Two dots up, two down; 28 px dots
  // level; 10 px amplitude; r 20 mm, 200 px.
  const int row = TgraAttribute::LineTypeRowOf(11);
  Attr().SetLineTypeAmplitude(row, 1.0);
  UnitGraAtt::ZigZagToElements(Attr(), row, 0xCCCCCCCCu, 2.0);
  DrawPatternArc(canvas, 0, 11, Circle(50, 50, 20), BlockTransform::Identity());
  const auto lines = canvas.Of("line");
  ASSERT_GE(lines.size(), 3u);
  auto at = [&](size_t i, int x1, int y1, int x2, int y2) {
    const auto& p = lines[i].points;
    return p[0].x == x1 && p[0].y == y1 && p[1].x == x2 && p[1].y == y2;
  };
  // The first chord, 40 px up: one 27 px dot (a slope of 1/10), its vertex
  // 10 px to the left of the line, then on to the chord's end at 0.2 rad.
  EXPECT_TRUE(at(0, 700, 500, 687, 473));
  EXPECT_TRUE(at(1, 687, 473, 696, 460));
  // The second chord goes on with the third dot, one down: to the right.
  EXPECT_TRUE(at(2, 696, 460, 698, 435));
  EXPECT_EQ(lines.size(), 31u * 2 + 1);

  // Chords wholly off the page are left out and use up no dots; a chord
  // running off along its longer axis is cut at the edge and runs the way
  // that axis grows: here the one from 1.2 to 1.4 rad starts at its end on
  // the page, with the first dot: up, 10 px above the chord (310 there).
  canvas.calls.clear();
  DrawPatternArc(canvas, 0, 11, Circle(93.5, 50, 20), BlockTransform::Identity());
  const auto cut = canvas.Of("line");
  ASSERT_FALSE(cut.empty());
  EXPECT_EQ(cut[0].points[0].x, 969);
  EXPECT_EQ(cut[0].points[0].y, 303);
  EXPECT_EQ(cut[0].points[1].x, 969 + 25);
  EXPECT_EQ(cut[0].points[1].y, 300);
  // The next chord, from the same point leftwards, goes on with the third
  // dot (down) however the cut one ran (probe zigzag-edge).
  ASSERT_GE(cut.size(), 3u);
  EXPECT_EQ(cut[2].points[1].x, 969 - 27);
  EXPECT_EQ(cut[2].points[1].y, 311);
}

TEST_F(RenderTest, PointListsRejectBatchAndSplit) {
  UnitGval::PointList = {{-5, 10}, {-3, 20}, {-1, 30}};
  DrawPointListOpen(canvas);
  EXPECT_TRUE(canvas.calls.empty());
  UnitGval::PointList = {{-5, 10}, {-3, 20}, {5, 30}};
  DrawPointListOpen(canvas);
  EXPECT_EQ(canvas.Of("polyline").size(), 1u);

  canvas.calls.clear();
  UnitGval::PointList = {{10, 10}, {20, 10}, {20, 20}, {10, 20}, {10, 30}};
  DrawPointListOpen(canvas);
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].points.size(), 5u);

  // Out of the page and back: the visible runs are separate polylines.
  canvas.calls.clear();
  UnitGval::PointList = {{10, 10}, {20, 10}, {20, 200}, {30, 200}, {30, 10}, {40, 10}};
  DrawPointListOpen(canvas);
  ASSERT_EQ(canvas.calls.size(), 3u);
  EXPECT_EQ(canvas.calls[0].points.size(), 3u);  // 10,10 20,10 and the cut at the top
  EXPECT_EQ(canvas.calls[1].points.size(), 2u);  // entering: flushed as soon as it is cut
  EXPECT_EQ(canvas.calls[2].points.size(), 2u);
}

TEST_F(RenderTest, ClosedFiguresFillOrFallBackToOutlines) {
  UnitGval::PointList = {{10, 10}, {20, 10}, {15, 20}};
  DrawPointListClosed(canvas);
  ASSERT_EQ(canvas.Of("polygon").size(), 1u);
  UnitGval::PointList = {{10, 10}, {20, 10}};
  DrawPointListClosed(canvas);
  EXPECT_EQ(canvas.calls.size(), 1u);

  canvas.calls.clear();
  UnitGval::PointList = {{10, 10}, {10 + 1000.1, 10}, {15, 20}};  // 10001 px first edge
  DrawPointListClosed(canvas);
  EXPECT_TRUE(canvas.Of("polygon").empty());
  EXPECT_FALSE(canvas.Of("polyline").empty());
  UnitGval::PointList = {{10, 10}, {10 + 999.9, 10}, {15, 20}};  // 9999 px: still filled
  DrawPointListClosed(canvas);
  EXPECT_EQ(canvas.Of("polygon").size(), 1u);
}

TEST_F(RenderTest, SharedValuesHaveScopesAndOneReset) {
  // A figure starts on an empty point list and leaves it empty, even when it fails.
  UnitGval::PointList = {{1, 1}};
  try {
    UnitGval::PointListScope figure;
    EXPECT_TRUE(UnitGval::PointList.empty());
    UnitGval::PointList = {{1, 1}, {2, 2}};
    throw std::runtime_error("the figure fails");
  } catch (const std::runtime_error&) {
  }
  EXPECT_TRUE(UnitGval::PointList.empty());

  // An abort check lasts as long as its scope and gives the one before back.
  {
    const UnitGval::AbortCheckScope outer([] { return true; });
    {
      const UnitGval::AbortCheckScope inner([] { return false; });
      EXPECT_FALSE(UnitGval::AbortRequested());
    }
    EXPECT_TRUE(UnitGval::AbortRequested());
  }
  EXPECT_FALSE(UnitGval::AbortRequested());

  // The reset puts every shared value back to its start.
  const UnitGval::AbortCheckScope stop([] { return true; });
  UnitGval::SetClock([]() -> int64_t { return 7; });
  UnitGval::PageWindow = {1, 2, 3, 4, 5, 6, 7};
  UnitGval::PointList = {{1, 1}};
  UnitGval::DevicePointList = {{1, 1}};
  UnitGval::PatternContinuation = {1, 2, 3, 4, 5, 6};
  UnitGval::PatternChain = {true, 2};
  UnitGval::ImagesNotDrawn = {"a.png"};
  UnitGval::CurrentFileName = UnitGval::DrawTimeText = UnitGval::MemoLine1 = UnitGval::MemoLine2 = "x";
  UnitGval::HeaderPrintScale = UnitGval::CurrentGroupScale = 2;
  UnitGval::CurrentFileDate = 3;
  UnitGval::TextTurn.Angle = 1;
  UnitGval::ResetSharedValues();
  const UnitGval::TPageWindow& w = UnitGval::PageWindow;
  EXPECT_EQ(std::vector<double>({w.Xmin, w.Ymin, w.Xmax, w.Ymax, w.Scale, 1.0 * w.PageWidth, 1.0 * w.PageHeight}),
            std::vector<double>({0, 0, 0, 0, 1, 0, 0}));
  EXPECT_TRUE(UnitGval::PointList.empty() && UnitGval::DevicePointList.empty() && UnitGval::ImagesNotDrawn.empty());
  const UnitGval::TPatternContinuation& pc = UnitGval::PatternContinuation;
  EXPECT_TRUE(pc.LayerIndex == -1 && pc.LineType == -1 && pc.EndX == 0 && pc.EndY == 0 && pc.ElementIndex == 0 &&
              pc.Offset == 0);
  EXPECT_TRUE(!UnitGval::PatternChain.Active && UnitGval::PatternChain.Stretch == 1);
  const TextVariableSources t = CurrentTextVariableSources();
  EXPECT_TRUE(t.FilePath.empty() && t.DrawTime.empty() && t.MemoLine1.empty() && t.MemoLine2.empty());
  EXPECT_TRUE(t.PrintFactor == 1 && t.GroupScale == 1 && t.FileTime == 0);
  EXPECT_NE(t.Now, 7);  // the system clock again
  EXPECT_TRUE(std::isnan(UnitGval::TextTurn.Angle));
  EXPECT_FALSE(UnitGval::AbortRequested());
}

// A patterned circle, arc or ellipse prints as a chain of chords, each a
// whole number of the pattern's dots, as the CAD program prints it. Measured
// on the probes dash-curves and curve-radii-2/6 (600 dpi): the chords step
// the curve by 0.8 rad over the dots of the repeat up to a radius of about
// 48 mm, half that up to 130 mm; along a chord each dot keeps its device
// length on the chord's longer axis; a chord takes every dot it starts (the
// last one cut at its end) and the next chord goes on with the dot after.
TEST_F(RenderTest, PatternedCurvesAreChordsOfWholeDots) {
  DotType(Attr(), "1001", 2);  // 20 px dots on this 10 px/mm page
  DrawPatternArc(canvas, 0, 2, Circle(50, 50, 20), BlockTransform::Identity());
  const auto lines = canvas.Of("line");
  ASSERT_GE(lines.size(), 3u);
  auto is = [](const RecordingCanvas::Call& c, DevicePoint a, DevicePoint b) {
    return c.points[0].x == a.x && c.points[0].y == a.y && c.points[1].x == b.x && c.points[1].y == b.y;
  };
  // Chords of 0.2 rad: (700, 500), (696, 460), (684, 422), (665, 387) ...
  // The first takes two dots (40 px on y): the dot drawn, the gap.
  EXPECT_TRUE(is(lines[0], {700, 500}, {698, 480}));
  // The second (38 px) goes on with the gap, then a dot cut at the vertex:
  // the repeat is neither restarted nor stretched per chord.
  EXPECT_TRUE(is(lines[1], {690, 440}, {684, 422}));
  // The third starts with the dot after that one: a whole 20 px dot.
  EXPECT_TRUE(is(lines[2], {684, 422}, {673, 402}));
  EXPECT_EQ(lines.size(), 31u);  // 32 chords round the circle (the last one short)

  // A larger radius (60 mm, 1200 px): chords of half the angle, here 0.4 rad
  // over the 8 dots of a repeat, so the first 7-dot dash turns at 0.05 rad.
  canvas.calls.clear();
  Page(200, 200, 20);
  DotType(Attr(), "11111110", 1);
  DrawPatternArc(canvas, 0, 2, Circle(100, 100, 60), BlockTransform::Identity());
  const auto big = canvas.Of("line");
  ASSERT_GE(big.size(), 3u);
  EXPECT_TRUE(is(big[0], {3200, 2000}, {3199, 1940}));
  EXPECT_TRUE(is(big[1], {3199, 1940}, {3194, 1880}));
  EXPECT_EQ(big.size(), 142u);

  // The bands go by the radius on the paper, whatever the resolution: 600
  // px are 60 mm on a device of 10 px per mm (a 0.05 rad step for 8 dots),
  // where at 600 dpi they would be 25 mm (0.1 rad).
  canvas.calls.clear();
  Page(200, 200, 10);
  UnitGval::PageWindow.PxPerPaperMm = 10;
  DrawPatternArc(canvas, 0, 2, Circle(100, 100, 60), BlockTransform::Identity());
  const auto paper = canvas.Of("line");
  ASSERT_GE(paper.size(), 2u);
  EXPECT_TRUE(is(paper[0], {1600, 1000}, {1599, 970}));  // the first chord, whole in the first dash

  // A chord's dots are counted on its longer axis in whole pixels of the
  // pattern grid, here 10.04 px/mm on a device of 10, each end's distance
  // from the window's centre cut toward it. The first chord of r 20.2 mm
  // about y 49.94 mm runs from -0.60 to 39.69 px on the grid: 0 to 39, two
  // dots, where ends rounded (-1 to 40) or the device's pixels (499 to 540)
  // make 41, three. The second chord so starts in the gap, not on a dot.
  canvas.calls.clear();
  Page(100, 100, 10);
  UnitGval::PageWindow.GridScale = 10.04;
  DotType(Attr(), "1001", 2);
  DrawPatternArc(canvas, 0, 2, Circle(50, 49.94, 20.2), BlockTransform::Identity());
  const auto cut = canvas.Of("line");
  ASSERT_GE(cut.size(), 2u);
  EXPECT_EQ(cut[0].points[0].y, 501);
  EXPECT_EQ(cut[1].points[0].y, 441);  // a dot past the second chord's start (460)
}
