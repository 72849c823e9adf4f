// Texts: variables, escapes, trailing markers, size limits and placement.
#include <ctime>

#include "RenderFixture.h"
#include "TestSupport.h"
#include "jww/jwwunit_draw.h"
#include "render/TextVariables.h"
#include "util/CodePage.h"

using namespace UnitGra;

namespace {

int64_t LocalTime(int y, int mo, int d, int h, int mi, int s) {
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  tm.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&tm));
}

std::string Var(const std::string& name, const TextVariableSources& s) {
  const auto v = TextVariableValue(name, s);
  return v ? util::Cp932ToUtf8(*v) : std::string("<none>");
}

TextVariableSources Sources() {
  TextVariableSources s;
  s.FilePath = "/home/kenji/\xe7\x8f\xbe\xe5\xa0\xb4/abc\xe5\xb9\xb3\xe9\x9d\xa2.jww";  // /home/kenji/現場/abc平面.jww
  s.FileTime = LocalTime(2008, 5, 3, 9, 5, 7);
  s.Now = LocalTime(2024, 12, 30, 15, 0, 9);
  s.DrawTime = "1 : 02";
  s.MemoLine1 = "A";
  s.MemoLine2 = "B\r\nC";
  s.GroupScale = 100;
  s.PrintFactor = 2;
  return s;
}

std::vector<std::string> Texts(const RecordingCanvas& c) {
  std::vector<std::string> out;
  for (const auto& call : c.Of("text")) out.push_back(call.text);
  return out;
}

}  // namespace

TEST(TextVariables, PathsNamesAndMemo) {
  TextVariableSources s = Sources();
  EXPECT_EQ(Var("%F", s), s.FilePath);
  EXPECT_EQ(Var("%F1", s), "\xe7\x8f\xbe\xe5\xa0\xb4");  // the folder: 現場
  EXPECT_EQ(Var("$F2", s), "kenji");
  EXPECT_EQ(Var("%F9", s), "");                           // beyond the top: part 0 (no drive here)
  EXPECT_EQ(Var("%f", s), "abc\xe5\xb9\xb3\xe9\x9d\xa2.jww");
  EXPECT_EQ(Var("$f", s), "abc\xe5\xb9\xb3\xe9\x9d\xa2");
  EXPECT_EQ(Var("%f3", s), "abc");
  EXPECT_EQ(Var("%f4", s), "abc");                        // never half a kanji
  EXPECT_EQ(Var("%f5", s), "abc\xe5\xb9\xb3");
  s.FilePath = "/x/\xe5\xb9\xb3\xe9\x9d\xa2.jww";          // a name starting with a kanji
  EXPECT_EQ(Var("%f2", s), "\xe5\xb9\xb3");
  EXPECT_EQ(Var("%f1", s), "\xef\xbd\xa5");               // ･
  EXPECT_EQ(Var("%mm", s), "A\xef\xbd\xa5\xef\xbd\xa5" "B\r\nC");
  EXPECT_EQ(Var("%m1", s), "A");
  EXPECT_EQ(Var("$T", s), "1 : 02");
  EXPECT_EQ(Var("%X", s), "<none>");
  EXPECT_EQ(Var("plain", s), "<none>");
}

TEST(TextVariables, DatesTimesInEveryPadding) {
  const TextVariableSources s = Sources();
  EXPECT_EQ(Var("=F", s), "2008/05/03 09:05:07");
  EXPECT_EQ(Var("_F", s), "2008/ 5/ 3 09:05:07");
  EXPECT_EQ(Var("=f", s), "2008/05/03");
  EXPECT_EQ(Var("_f", s), "2008/ 5/ 3");
  EXPECT_EQ(Var("$j", s), "2024/12/30");
  EXPECT_EQ(Var("$y", s), "24");
  EXPECT_EQ(Var("=y", s), "08");
  EXPECT_EQ(Var("_y", s), " 8");
  EXPECT_EQ(Var("$m", s), "12");
  EXPECT_EQ(Var("_m", s), " 5");
  EXPECT_EQ(Var("=m", s), "05");
  EXPECT_EQ(Var("=d", s), "03");
  EXPECT_EQ(Var("$H", s), "15");
  EXPECT_EQ(Var("=H", s), "09");
  EXPECT_EQ(Var("_M", s), " 5");
  EXPECT_EQ(Var("%S", s), "09");
  EXPECT_EQ(Var("$h", s), "3");
  EXPECT_EQ(Var("%h", s), "03");
  EXPECT_EQ(Var("$n", s), "PM");
  EXPECT_EQ(Var("=n", s), "AM");
  EXPECT_EQ(Var("$N", s), "\xe5\xbe\x8c");  // 後
  EXPECT_EQ(Var("=N", s), "\xe5\x89\x8d");  // 前
  EXPECT_EQ(Var("$ma", s), "DEC");
  EXPECT_EQ(Var("=ma", s), "MAY");
  EXPECT_EQ(Var("$w", s), "\xe6\x9c\x88");  // 2024-12-30 is a Monday: 月
  EXPECT_EQ(Var("$wa", s), "MON");
  EXPECT_EQ(Var("=wa", s), "SAT");
  TextVariableSources noon = s;
  noon.Now = LocalTime(2024, 1, 2, 12, 30, 0);
  EXPECT_EQ(Var("$h", noon), "0");  // 12 o'clock reads 0
  noon.Now = LocalTime(2024, 1, 2, 0, 10, 0);
  EXPECT_EQ(Var("&h", noon), " 0");
}

TEST(TextVariables, JapaneseErasAtTheirBoundaries) {
  TextVariableSources s = Sources();
  s.Now = LocalTime(2019, 4, 30, 12, 0, 0);
  EXPECT_EQ(Var("$J", s), "\xe5\xb9\xb3\xe6\x88\x90" "31\xe5\xb9\xb4 4\xe6\x9c\x88" "30\xe6\x97\xa5");  // 平成31年 4月30日
  EXPECT_EQ(Var("$Y", s), "31");
  s.Now = LocalTime(2019, 5, 1, 12, 0, 0);
  EXPECT_EQ(Var("$J", s), "\xe4\xbb\xa4\xe5\x92\x8c" "1\xe5\xb9\xb4 5\xe6\x9c\x88 1\xe6\x97\xa5");  // 令和1年 5月 1日
  EXPECT_EQ(Var("%Y", s), "01");
  EXPECT_EQ(Var("&Y", s), " 1");
  s.Now = LocalTime(1989, 1, 7, 12, 0, 0);
  EXPECT_EQ(Var("$Y", s), "64");  // the last day of Showa
  s.FileTime = LocalTime(1989, 1, 8, 12, 0, 0);
  EXPECT_EQ(Var("=Y", s), "01");  // the first of Heisei
}

TEST(TextVariables, Scales) {
  TextVariableSources s = Sources();
  EXPECT_EQ(Var("%SS", s), "1/100");
  EXPECT_EQ(Var("%ss", s), "100");
  EXPECT_EQ(Var("%SP", s), "1/50");
  s.GroupScale = 0.5;
  EXPECT_EQ(Var("%SS", s), "2/1");
  EXPECT_EQ(Var("%ss", s), "2");
  s.GroupScale = 2.5;
  EXPECT_EQ(Var("%ss", s), "2.5");
  s.GroupScale = 0.3;
  EXPECT_EQ(Var("%SS", s), "3.3/1");
}

class TextTest : public RenderTest {
 protected:
  // The base line from (10, 10) to (x2, 10) with cells 3 mm high and 4 mm
  // wide and no gap; a test sets by name what it is about.
  static TextPlacement BaseLineTo(double x2) {
    TextPlacement p;
    p.X1 = p.Y1 = p.Y2 = 10;
    p.X2 = x2;
    p.Height = 3;
    p.Width = 4;
    return p;
  }
};

TEST_F(TextTest, CharactersInCellsAlongTheBaseLine) {
  // 10 px/mm: height 3 mm = 30 px, full width 4 mm; "A" takes half a cell.
  TextPlacement at = BaseLineTo(30);
  at.Spacing = 1;
  DrawJwwText(canvas, 0, "F", at, "A\x82\xa0" "B");
  const auto t = canvas.Of("text");
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].points[0].x, 100);
  EXPECT_EQ(t[0].points[0].y, 1000 - 130);  // the cell's top: 3 mm above the base line
  EXPECT_EQ(t[1].points[0].x, 100 + 25);    // (4 + 1) / 2 mm on
  EXPECT_EQ(t[2].points[0].x, 125 + 50);    // 4 + 1 mm after the full-width character
  EXPECT_EQ(canvas.Font().Height, 30);
  EXPECT_EQ(canvas.Font().Width, 20);
  EXPECT_EQ(canvas.Font().Escapement, 0);
}

TEST_F(TextTest, TooSmallTextsDrawAThreePixelLineLargeOnesPrint) {
  TextPlacement at = BaseLineTo(30);
  at.Height = 0.1;
  DrawJwwText(canvas, 0, "F", at, "tiny");  // 1 px high
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].op, "line");
  EXPECT_EQ(canvas.calls[0].penWidth, 3);
  canvas.calls.clear();
  at = BaseLineTo(10.4);
  DrawJwwText(canvas, 0, "F", at, "short");  // base line 4 px
  EXPECT_EQ(canvas.Of("text").size(), 0u);
  EXPECT_EQ(canvas.Of("line").size(), 1u);
  canvas.calls.clear();
  // Large titles are text however many pixels they take: 45 mm at 1200 dpi
  // is 2126 px high.
  at = BaseLineTo(60);
  at.Height = 101;
  at.Width = 102;
  DrawJwwText(canvas, 0, "F", at, "\x82\xa0");  // 1010 px high, 1020 px wide
  EXPECT_TRUE(canvas.Of("line").empty());
  ASSERT_EQ(canvas.Of("text").size(), 1u);
  EXPECT_EQ(canvas.Font().Height, 1010);
  EXPECT_EQ(canvas.Font().Width, 510);
  canvas.calls.clear();
  at = BaseLineTo(30);
  DrawJwwText(canvas, 0, "F", at, "");
  EXPECT_TRUE(canvas.calls.empty());
}

TEST_F(TextTest, BackwardTextRunsFromTheEndTurned) {
  TextPlacement at = BaseLineTo(30);
  at.Width = -4;
  DrawJwwText(canvas, 0, "F", at, "AB");
  const auto t = canvas.Of("text");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(canvas.Font().Escapement, 1800);
  EXPECT_EQ(t[0].points[0].x, 300);  // from (30, 10), turned: the cell's top is below
  EXPECT_EQ(t[0].points[0].y, 1000 - 70);
  EXPECT_EQ(t[1].points[0].x, 280);
}

TEST_F(TextTest, TrailingMarkers) {
  // "^2" narrows six letters by two half-width characters: 4/6.
  TextPlacement at = BaseLineTo(50);
  at.Width = 6;
  DrawJwwText(canvas, 0, "F", at, "ABCDEF^2");
  EXPECT_EQ(Texts(canvas).size(), 6u);
  EXPECT_EQ(canvas.Font().Width, 20);  // 6 mm x 4/6 / 2 = 2 mm = 20 px
  canvas.calls.clear();
  at = BaseLineTo(50);
  at.Width = 6;
  DrawJwwText(canvas, 0, "F", at, "AB^2");
  EXPECT_EQ(canvas.Font().Width, 30);  // 2 - 2 is not above 1: full width
  // A trailing "･" is dropped and its room spread over the gaps.
  canvas.calls.clear();
  at = BaseLineTo(50);
  DrawJwwText(canvas, 0, "F", at, "ABC\xa5");
  auto t = canvas.Of("text");
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[1].points[0].x - t[0].points[0].x, 20 + 10);  // (4 + 2) / 2 mm: spacing 2 x (2 + 0) / 2
  // Trailing "・"s likewise.
  canvas.calls.clear();
  at = BaseLineTo(50);
  DrawJwwText(canvas, 0, "F", at, "AB\x81\x45");
  t = canvas.Of("text");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[1].points[0].x - t[0].points[0].x, 20 + 40);  // spacing 2 x 4 / 1 = 8 mm, half of it
}

TEST_F(TextTest, EscapesChangeStyleColourAndPlacement) {
  Attr().SetPen(3, Rgb(0, 192, 0), 0.1, 0.1);
  TextPlacement at = BaseLineTo(50);
  DrawJwwText(canvas, 0, "F", at, "^!Bold^#plain");
  auto t = canvas.Of("text");
  ASSERT_EQ(t.size(), 9u);
  EXPECT_EQ(t[0].text, "B");
  EXPECT_EQ(t[4].text, "p");
  EXPECT_EQ(t[4].points[0].x, 100 + 4 * 20);  // runs continue where the last ended
  canvas.calls.clear();
  at = BaseLineTo(50);
  DrawJwwText(canvas, 0, "F", at, "a^$3b^*^!c");
  t = canvas.Of("text");
  ASSERT_EQ(t.size(), 5u);
  EXPECT_EQ(t[1].pen, Rgb(0, 192, 0));
  EXPECT_EQ(t[2].text, "^");  // after "^*" everything is drawn as written
  // "^u": half height, raised by h/2, then half an advance.
  canvas.calls.clear();
  at = BaseLineTo(50);
  at.Height = 4;
  DrawJwwText(canvas, 0, "F", at, "x^u2y");
  t = canvas.Of("text");
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[1].points[0].x, 120);
  EXPECT_EQ(t[1].points[0].y, 1000 - (100 + 20 + 20));  // top of a 2 mm cell raised 2 mm
  EXPECT_EQ(t[2].points[0].x, 140);
  // "^n" overstrikes the previous character, centred on it.
  canvas.calls.clear();
  at = BaseLineTo(50);
  at.Height = 4;
  DrawJwwText(canvas, 0, "F", at, "A^n/B");
  t = canvas.Of("text");
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[1].points[0].x, 100);  // moved back by 1 x (0 + 1) + 1 = 2 mm
  EXPECT_EQ(t[2].points[0].x, 120);
  // Variables are whole texts: "%f" inside a longer text is drawn as written.
  canvas.calls.clear();
  at = BaseLineTo(50);
  DrawJwwText(canvas, 0, "F", at, "x%f");
  EXPECT_EQ(Texts(canvas).size(), 3u);
}

TEST_F(TextTest, TurnedCharactersAndCornerTest) {
  TextPlacement at = BaseLineTo(30);
  DrawJwwText(canvas, 0, "@@F", at, "\x82\xa0");
  auto t = canvas.Of("text");
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(canvas.Font().Escapement, 1800);
  EXPECT_EQ(canvas.Font().FaceName, "F");
  EXPECT_EQ(t[0].points[0].x, 100 + 40);  // moved by the width along, the height down
  EXPECT_EQ(t[0].points[0].y, 1000 - 70 - 30);
  // A cell wholly off the page is not written; one with a corner inside is.
  canvas.calls.clear();
  TextRun cell;
  cell.Y = 50;
  cell.Height = 3;
  cell.Width = 4;
  cell.X = -5;
  DrawTextChar(canvas, 0, cell, "A");  // spans -5..-3 mm: outside
  cell.X = -1.5;
  DrawTextChar(canvas, 0, cell, "B");  // reaches 0.5 mm inside
  t = canvas.Of("text");
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].text, "B");
}

TEST_F(TextTest, TextEntitiesThroughTransforms) {
  TJwwMoji m = MakeText(10, 10, 30, 10, "AB");
  m.SizeX = 4;
  m.SizeY = 3;
  m.TextKind = 20005;
  EntityDrawContext c;
  c.canvas = &canvas;
  DrawTextEntity(c, m);
  EXPECT_EQ(canvas.Font().Weight, 700);
  EXPECT_EQ(canvas.Font().Height, 30);
  // Scaled by 2: twice the width, height and spacing.
  const BlockTransform id;
  BlockTransform twice;
  twice.A11 = twice.A22 = 2;
  TextPlacement local;
  local.X2 = 10;
  local.Width = 4;
  local.Height = 3;
  local.Spacing = 1;
  TextPlacement p = TextGeometry(twice, local);
  EXPECT_DOUBLE_EQ(p.Width, 8);
  EXPECT_DOUBLE_EQ(p.Height, 6);
  EXPECT_DOUBLE_EQ(p.Spacing, 2);
  // Mirrored: start and end swap so it still reads left to right.
  BlockTransform mirror;
  mirror.A11 = -1;
  p = TextGeometry(mirror, local);
  EXPECT_DOUBLE_EQ(p.X1, -10);
  EXPECT_DOUBLE_EQ(p.X2, 0);
  p = TextGeometry(id, local);
  EXPECT_DOUBLE_EQ(p.Width, 4);
  EXPECT_EQ(TextStyleFlags(30001), 3);
  EXPECT_EQ(TextStyleFlags(10000), 2);
  EXPECT_EQ(TextStyleFlags(5), 0);
  // Vertical writing: "@" before the face, width and height swapped.
  m.Flags = 0x20;
  m.TextKind = 0;
  canvas.calls.clear();
  DrawTextEntity(c, m);
  EXPECT_EQ(canvas.Font().FaceName[0], '@');
  EXPECT_EQ(canvas.Font().Height, 40);
  // Image references are no text.
  canvas.calls.clear();
  DrawTextEntity(c, MakeText(10, 10, 30, 10, "^@BMa.bmp,10"));
  EXPECT_TRUE(canvas.calls.empty());
}

TEST_F(TextTest, ImageReferencesTurnWithTheirBlock) {
  // Not in printer mode a placeholder frame shows where the image goes.
  Attr().SetPrintMode(false);
  EntityDrawContext c;
  c.canvas = &canvas;
  c.printMode = false;
  c.T.A11 = 0;
  c.T.A12 = -1;
  c.T.A21 = 1;
  c.T.A22 = 0;  // a quarter turn
  c.T.Tx = 50;
  c.T.Ty = 20;
  DrawImageEntity(c, MakeText(0, 0, 10, 0, "^@BM%TEMP%a.bmp,20,10"));
  const auto frame = canvas.Of("polygon");
  ASSERT_EQ(frame.size(), 1u);
  // The 20 x 10 box from (50, 20), turned by 90 degrees: it runs up the page.
  EXPECT_EQ(frame[0].points[0].x, 500);
  EXPECT_EQ(frame[0].points[1].x, 500);
  EXPECT_EQ(frame[0].points[1].y, 1000 - 400);
  EXPECT_EQ(frame[0].brushStyle, BrushStyle::BackwardDiagonal);
}

namespace {
BlockTransform QuarterTurn() {
  BlockTransform t;
  t.A11 = 0;
  t.A12 = -1;
  t.A21 = 1;
  t.A22 = 0;
  return t;
}
// A dimension along x from the origin, its flag word and text flags as given.
TJwwSunpou Dimension(uint16_t flags, uint16_t textFlags, double length) {
  TJwwSunpou d;
  d.DimLine.EndX = length;
  d.DimText.PenWidth = flags;
  d.DimText.Flags = textFlags;
  return d;
}
std::string Value(uint16_t flags, uint16_t textFlags, double length = 1234.5) {
  return util::Cp932ToUtf8(DimensionValueText(Dimension(flags, textFlags, length), 1, QuarterTurn()));
}
}  // namespace

TEST(DimensionValues, TheFlagTableRowByRow) {
  EXPECT_EQ(Value(0x0002, 0), "1235");
  EXPECT_EQ(Value(0x2042, 0), "1,234.5");
  EXPECT_EQ(Value(0x20C2, 0), "1,234.50");
  EXPECT_EQ(Value(0x2082, 0), "1234.50");
  EXPECT_EQ(Value(0x20B2, 0), "1.23\xef\xbd\x8d");  // 1.23ｍ
  EXPECT_EQ(Value(0x0142, 0), "1,234");
  EXPECT_EQ(Value(0x0242, 0), "1,235");
  EXPECT_EQ(Value(0x0462, 0x0100), "R1,235mm");
  EXPECT_EQ(Value(0x0842, 0x0200), "1,235\xcf\x86");  // φ
  EXPECT_EQ(Value(0x2042, 0, 1200), "1,200");       // the zeros go, and the point with them
  EXPECT_EQ(Value(0x2042, 0, 1234.56), "1,234.56");
  EXPECT_EQ(Value(0x000A, 0), "\xef\xbc\x91\xef\xbc\x92\xef\xbc\x93\xef\xbc\x95");  // full width: １２３５
  EXPECT_EQ(Value(0x0002, 0, 0), "0");
  EXPECT_EQ(Value(0xF002, 0), "1234.5");  // decimal digit 15 wraps to 5
  // The group scale multiplies the measured length.
  EXPECT_EQ(util::Cp932ToUtf8(DimensionValueText(Dimension(0x0002, 0, 12.345), 100, QuarterTurn())), "1235");
  EXPECT_EQ(util::Cp932ToUtf8(DimensionValueText(Dimension(0x0002, 0, 10), -5, QuarterTurn())), "10");
  // The drawing's dimension settings: two decimals, separators unless the
  // fourth number's ten millions are 0; a header without settings has them.
  EXPECT_EQ(DrawingDimensionFlags({2002111, 5, 50150030, 11000000, 4100}), 0x2042);
  EXPECT_EQ(DrawingDimensionFlags({2002111, 5, 50150030, 1000000, 4100}), 0x2002);
  EXPECT_EQ(DrawingDimensionFlags({0, 0, 0, 0, 0}), 0x2042);
  EXPECT_EQ(util::Cp932ToUtf8(FormatDimensionValue(1234.56, 0x2002, 0)), "1234.56");
}

TEST_F(TextTest, DimensionsKeepOrRecomputeTheirText) {
  TJwwSunpou d = MakeDimension(10, 50, 40, 50, "30");
  d.DimText.SizeX = d.DimText.SizeY = 3;
  d.DimText.PenWidth = 0x0002;
  d.DimText.StartX = 10;
  d.DimText.EndX = 40;
  EntityDrawContext c;
  c.canvas = &canvas;
  DrawDimensionEntity(c, d);
  EXPECT_EQ(Texts(canvas), (std::vector<std::string>{"3", "0"}));  // unturned: the stored text
  EXPECT_EQ(canvas.Of("line").size(), 1u);                      // the dimension line only
  // Scaled by 2 in a block: measured anew, and centred on the dimension line.
  canvas.calls.clear();
  c.T.A11 = c.T.A22 = 2;
  c.T.Tx = -10;
  c.T.Ty = -50;
  DrawDimensionEntity(c, d);
  auto t = canvas.Of("text");
  EXPECT_EQ(Texts(canvas), (std::vector<std::string>{"6", "0"}));
  ASSERT_EQ(t.size(), 2u);
  // The line runs 10..70 mm; "60" is 6 mm wide (3 mm each at height 6): it starts at 37 mm.
  EXPECT_EQ(t[0].points[0].x, 370);
  // Without the automatic flag the stored text stays.
  d.DimText.PenWidth = 0;
  canvas.calls.clear();
  DrawDimensionEntity(c, d);
  EXPECT_EQ(Texts(canvas), (std::vector<std::string>{"3", "0"}));
  // SXF mode: extension lines and the first two points; auxiliary parts can be skipped.
  d.SxfMode = 1;
  d.AuxLine1.PenColor = 9;
  c.skipAuxiliary = true;
  c.T = BlockTransform();
  canvas.calls.clear();
  DrawDimensionEntity(c, d);
  EXPECT_EQ(canvas.Of("line").size(), 2u);       // AuxLine2 and the dimension line
  EXPECT_EQ(canvas.Of("polygon").size(), 2u);    // AuxPoint1 and AuxPoint2 only
}
