#include <gtest/gtest.h>

#include <cmath>

#include "RenderFixture.h"
#include "TestSupport.h"
#include "jww/DrawDrawingArgs.h"
#include "render/UnitGval.h"

namespace {

TJwwBlockDef Def(int32_t number, const std::string& name) {
  TJwwBlockDef def;
  def.Number = number;
  def.Name = name;
  def.LayerGroup = 2;
  def.Layer = 5;
  return def;
}

}  // namespace

TEST(BlockInstances, NestedInsertionsAccumulateTheirTransforms) {
  // One insertion of A at (100, 0) turned a quarter; A inserts B twice.
  TJwwData src;
  InitTestDrawing(src, 600);
  Add(src.Entities, MakeInsert(1, 100, 0, 1, 1, M_PI / 2));
  TJwwBlockDef a = Def(1, "A");
  Add(a.Entities, MakeInsert(2, 10, 0));
  Add(a.Entities, MakeInsert(2, 0, 5, 2, 2));
  TJwwBlockDef b = Def(2, "B");
  Add(b.Entities, MakeLine(0, 0, 1, 0));
  src.BlockDefs = {a, b};
  TJwwData d;
  ASSERT_TRUE(LoadBytes(d, WriteJww(src)));
  ASSERT_EQ(d.BlockInstances.size(), 3u);
  const TJwwBlockInstance& top = d.BlockInstances[0];
  EXPECT_EQ(top.Depth, 0);
  EXPECT_EQ(top.Parent, -1);
  EXPECT_EQ(top.DefName, "A");
  const TJwwBlockInstance& b1 = d.BlockInstances[1];
  const TJwwBlockInstance& b2 = d.BlockInstances[2];
  EXPECT_EQ(b1.Depth, 1);
  EXPECT_EQ(b1.Parent, 0);
  EXPECT_EQ(b1.DefIndex, 1);
  // (10, 0) in A lands at (100, 10); B's own matrix is the identity.
  EXPECT_NEAR(b1.TranslateX, 100, 1e-12);
  EXPECT_NEAR(b1.TranslateY, 10, 1e-12);
  EXPECT_NEAR(b1.M12, -1, 1e-12);
  EXPECT_NEAR(b1.M21, 1, 1e-12);
  // (0, 5) lands at (95, 0) and the second B is scaled 2 inside the turned A.
  EXPECT_NEAR(b2.TranslateX, 95, 1e-12);
  EXPECT_NEAR(b2.TranslateY, 0, 1e-12);
  EXPECT_NEAR(b2.M12, -2, 1e-12);
  EXPECT_NEAR(b2.M21, 2, 1e-12);
  // Nested instances carry the fields of the definition that holds them,
  // but the outermost insertion's layer.
  EXPECT_EQ(b1.Group, a.Group);
  EXPECT_EQ(b1.LayerGroup, 0);
  EXPECT_EQ(b1.Layer, 0);
  EXPECT_EQ(d.UsedBlockDefCount, 2);
}

TEST(BlockInstances, ScaleAndRotationMatrix) {
  TJwwData d;
  InitTestDrawing(d, 600);
  Add(d.Entities, MakeInsert(1, 0, 0, 2, 1, M_PI / 2));
  d.BuildBlockInstances();
  ASSERT_EQ(d.BlockInstances.size(), 1u);
  EXPECT_NEAR(d.BlockInstances[0].M11, 0, 1e-15);
  EXPECT_NEAR(d.BlockInstances[0].M12, -1, 1e-15);
  EXPECT_NEAR(d.BlockInstances[0].M21, 2, 1e-15);
  EXPECT_NEAR(d.BlockInstances[0].M22, 0, 1e-15);
  EXPECT_EQ(d.BlockInstances[0].DefIndex, -1);  // no definition 1
  EXPECT_EQ(d.BlockInstances[0].DefName, "");
}

TEST(BlockInstances, FirstDefinitionWinsAndUnusedOnesAreNotNumbered) {
  TJwwData d;
  InitTestDrawing(d, 600);
  Add(d.Entities, MakeInsert(5, 0, 0));
  d.BlockDefs = {Def(9, "unused"), Def(5, "first"), Def(5, "second")};
  d.BuildBlockInstances();
  EXPECT_EQ(d.BlockInstances[0].DefIndex, 1);
  EXPECT_EQ(d.BlockInstances[0].DefName, "first");
  EXPECT_EQ(d.BlockDefs[0].UsedIndex, -1);
  EXPECT_EQ(d.BlockDefs[1].UsedIndex, 0);
  EXPECT_EQ(d.BlockDefs[2].UsedIndex, -1);
  EXPECT_EQ(d.UsedBlockDefCount, 1);
}

TEST(BlockInstances, SelfInsertionStopsAtTheDepthGuard) {
  TJwwData d;
  InitTestDrawing(d, 600);
  Add(d.Entities, MakeInsert(1, 0, 0));
  TJwwBlockDef a = Def(1, "A"), b = Def(2, "B");
  Add(a.Entities, MakeInsert(2, 1, 0));
  Add(b.Entities, MakeInsert(1, 0, 1));  // A -> B -> A -> ...
  d.BlockDefs = {a, b};
  d.BuildBlockInstances();
  EXPECT_TRUE(d.BlockInstancesCut);
  EXPECT_EQ(d.BlockInstances.size(), static_cast<size_t>(TJwwData::kMaxBlockDepth) + 1);
  EXPECT_EQ(d.BlockInstances.back().Depth, TJwwData::kMaxBlockDepth);
}

TEST(BlockInstances, MultiplyingTreesStopAtTheInstanceGuard) {
  // Each level inserts the next one ten times: 10^7 instances unguarded.
  TJwwData d;
  InitTestDrawing(d, 600);
  Add(d.Entities, MakeInsert(0, 0, 0));
  for (int level = 0; level < 7; ++level) {
    TJwwBlockDef def = Def(level, "L");
    for (int i = 0; i < 10; ++i) Add(def.Entities, MakeInsert(level + 1, i, 0));
    d.BlockDefs.push_back(def);
  }
  d.BuildBlockInstances();
  EXPECT_TRUE(d.BlockInstancesCut);
  EXPECT_EQ(d.BlockInstances.size(), TJwwData::kMaxBlockInstances);
}

// A small file whose blocks multiply their contents (ten levels of ten
// placements of 1000 lines: a billion lines) is bounded by what the
// placements draw, so every walk over the page ends in seconds; and a stop
// asked for while the tree is built ends the building at once.
TEST(BlockInstances, WhatPlacementsDrawIsBoundedAndAStopIsHeard) {
  TJwwData d;
  InitTestDrawing(d, 600);
  Add(d.Entities, MakeInsert(0, 0, 0));
  for (int level = 0; level < 6; ++level) {
    TJwwBlockDef def = Def(level, "L");
    if (level < 5)
      for (int i = 0; i < 10; ++i) Add(def.Entities, MakeInsert(level + 1, i, 0));
    else
      for (int i = 0; i < 1000; ++i) Add(def.Entities, MakeLine(i, 0, i, 1));
    d.BlockDefs.push_back(def);
  }
  d.BuildBlockInstances();
  EXPECT_TRUE(d.BlockInstancesCut);
  EXPECT_LT(d.BlockInstances.size(), TJwwData::kMaxBlockInstances);
  const TJwwEntityCounts counts = d.CountEntities();
  EXPECT_LE(counts.BlockLines, static_cast<int64_t>(TJwwData::kMaxBlockContents));
  EXPECT_GT(counts.BlockLines, static_cast<int64_t>(TJwwData::kMaxBlockContents) - 1000);
  {
    const UnitGval::AbortCheckScope stop([] { return true; });
    d.BuildBlockInstances();
  }
  EXPECT_FALSE(d.BlockInstancesCut);  // stopped, not cut at a guard
  EXPECT_LE(d.BlockInstances.size(), 1u);
}

TEST(BlockInstances, RebuiltOnEveryLoadEvenAFailedOne) {
  TJwwData src;
  InitTestDrawing(src, 600);
  Add(src.Entities, MakeInsert(3, 0, 0));
  TJwwBlockDef def = Def(3, "C");
  Add(def.Entities, MakeLine(0, 0, 1, 1));
  Add(def.Entities, MakeLine(0, 0, 2, 2));
  src.BlockDefs = {def};
  std::vector<uint8_t> bytes = WriteJww(src);
  bytes.resize(bytes.size() - 10);  // cut inside the definition's second line
  TJwwData d;
  EXPECT_FALSE(LoadBytes(d, bytes));
  ASSERT_EQ(d.BlockDefs.size(), 1u);
  EXPECT_EQ(d.BlockDefs[0].Entities.Lines.size(), 1u);
  ASSERT_EQ(d.BlockInstances.size(), 1u);
  EXPECT_EQ(d.BlockInstances[0].DefIndex, 0);
}

TEST(BlockDefinitions, TimeStampEscapeAndClassName) {
  TJwwData src;
  InitTestDrawing(src, 700);
  TJwwBlockDef def = Def(4, "T");
  def.TimeStamp = static_cast<int32_t>(0x80000000u);  // 8 more bytes follow
  Add(def.Entities, MakeLine(0, 0, 1, 1));
  src.BlockDefs = {def, Def(5, "U")};
  JwwWriteOptions o;
  o.blockDefClassName = "AnyName";  // the name of the definition class is not checked
  TJwwData d;
  ASSERT_TRUE(LoadBytes(d, WriteJww(src, o)));
  ASSERT_EQ(d.BlockDefs.size(), 2u);
  EXPECT_EQ(d.BlockDefs[0].Entities.Lines.size(), 1u);
  EXPECT_EQ(d.BlockDefs[1].Name, "U");
}

// ---------------------------------------------------------------------------
// Dimensions and point marks inside block insertions, as the CAD program
// prints them (the probes dim-blocks, dim-turns, dim-values, dim-nested,
// dim-marks and dim-order of kestrovan-make-probes).

namespace {

class BlockDimensionTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    Page(100, 100, 10);
    InitTestDrawing(d, 700);  // every group at 1/100
    d.DimensionSettings = {2002111, 5, 50150030, 11000000, 4100};
  }
  // A dimension 25 mm along x from the origin (2500 at 1/100), its stored
  // text "77" in cells of 3 mm on a base line 1 mm above it.
  static TJwwSunpou Dimension(double length = 25, uint16_t flags = 0) {
    TJwwSunpou s = MakeDimension(0, 0, length, 0, "77");
    s.DimText.StartX = 11;
    s.DimText.EndX = 14;
    s.DimText.SizeX = s.DimText.SizeY = 3;
    s.DimText.PenWidth = flags;
    return s;
  }
  // Block 1 holds `inner`; each level of `chain` (outermost first) is a
  // block inserting the next; the outermost is inserted at (50, 50).
  void Place(const TJwwEntityLists& inner, const std::vector<TJwwBlock>& chain) {
    d.Entities = TJwwEntityLists();
    TJwwBlockDef def = Def(1, "inner");
    def.Entities = inner;
    d.BlockDefs = {def};
    for (size_t level = chain.size(); level-- > 1;) {
      TJwwBlockDef outer = Def(static_cast<int32_t>(d.BlockDefs.size() + 1), "outer");
      TJwwBlock b = chain[level];
      b.BlockNumber = static_cast<int32_t>(d.BlockDefs.size());
      Add(outer.Entities, b);
      d.BlockDefs.push_back(outer);
    }
    TJwwBlock top = chain[0];
    top.BlockNumber = static_cast<int32_t>(d.BlockDefs.size());
    top.X = 50;
    top.Y = 50;
    Add(d.Entities, top);
    canvas.calls.clear();
    d.BuildBlockInstances();
    d.DrawDrawing(canvas, DrawDrawingArgs());
  }
  void Place(const TJwwSunpou& s, const std::vector<TJwwBlock>& chain) {
    TJwwEntityLists l;
    Add(l, s);
    Place(l, chain);
  }
  static TJwwBlock Insert(double sx, double sy, double turn = 0) { return MakeInsert(0, 0, 0, sx, sy, turn); }
  std::string Printed() const {
    std::string out;
    for (const auto& c : canvas.Of("text")) out += c.text;
    return out;
  }
  // The direction the printed characters run in, radians on the page (y up).
  double Direction() const {
    const auto t = canvas.Of("text");
    if (t.size() < 2) return 99.0;
    return std::atan2(-(t.back().points[0].y - t[0].points[0].y), t.back().points[0].x - t[0].points[0].x);
  }
  TJwwData d;
};

}  // namespace

TEST_F(BlockDimensionTest, ValuesAreMeasuredAnewUnlessEveryInsertionHasANegativeScale) {
  // Unscaled and unturned: measured anew, by the drawing's dimension
  // settings (two decimals, thousands separators).
  Place(Dimension(), {Insert(1, 1)});
  EXPECT_EQ(Printed(), "2,500");
  Place(Dimension(12.3456), {Insert(1, 1)});
  EXPECT_EQ(Printed(), "1,234.56");
  // The settings' separators off.
  d.DimensionSettings[3] = 0;
  Place(Dimension(), {Insert(1, 1)});
  EXPECT_EQ(Printed(), "2500");
  d.DimensionSettings[3] = 11000000;
  // A flag word that asks for automatic values formats by itself.
  Place(Dimension(12.3456, 0x0042), {Insert(1, 1)});
  EXPECT_EQ(Printed(), "1,235");
  // Mirrored, or turned half round by two negative scales: the stored text.
  Place(Dimension(), {Insert(-1, 1)});
  EXPECT_EQ(Printed(), "77");
  Place(Dimension(), {Insert(-1, -1)});
  EXPECT_EQ(Printed(), "77");
  Place(Dimension(), {Insert(-1, 1), Insert(1, -1)});
  EXPECT_EQ(Printed(), "77");
  // One insertion of the chain without, at any level: measured anew.
  Place(Dimension(), {Insert(1, 1), Insert(-1, 1)});
  EXPECT_EQ(Printed(), "2,500");
  Place(Dimension(), {Insert(-1, 1), Insert(1, 1)});
  EXPECT_EQ(Printed(), "2,500");
  // A line of no length keeps its text.
  Place(Dimension(0), {Insert(1, 1)});
  EXPECT_EQ(Printed(), "77");
}

// The value is measured at the scale of the group the outermost insertion
// lies on, not the group of the dimension's members (probe dim-groups): a
// 43.21 mm line drawn on a 1/1 group and inserted on 1/30 prints 1,296.3.
TEST_F(BlockDimensionTest, ValuesTakeTheScaleOfTheInsertionsGroup) {
  d.LayerGroups[0].Scale = 30;
  d.LayerGroups[1].Scale = 1;
  d.LayerGroups[2].Scale = 150;
  auto onGroup1 = [](uint16_t flags) {
    TJwwSunpou s = Dimension(43.21, flags);
    s.LayerGroup = s.DimLine.LayerGroup = s.DimText.LayerGroup = 1;
    return s;
  };
  const struct {
    int group;
    TJwwBlock insert;
    uint16_t flags;  // 0: the drawing's settings; 0x0002: whole numbers
    const char* value;
  } cases[] = {{0, Insert(1, 1), 0, "1,296.3"},          {0, Insert(1, 1), 0x0002, "1296"},
               {0, Insert(1.5, 1.5), 0x0002, "1944"},     {0, Insert(0.75, 0.75, 3 * M_PI / 2), 0x0002, "972"},
               {2, Insert(1, 1), 0, "6,481.5"},           {2, Insert(1, 1), 0x0002, "6482"},
               {1, Insert(1, 1), 0, "43.21"}};
  for (const auto& c : cases) {
    TJwwBlock top = c.insert;
    top.LayerGroup = static_cast<uint16_t>(c.group);
    Place(onGroup1(c.flags), {top});
    EXPECT_EQ(Printed(), c.value) << "group " << c.group;
  }
  const TJwwSunpou s = onGroup1(0);
  // Nested: the outermost insertion's group, whatever the inner one's.
  TJwwBlock inner = Insert(1, 1);
  inner.LayerGroup = 2;
  TJwwBlock outer = Insert(1, 1);
  outer.LayerGroup = 0;
  Place(s, {outer, inner});
  EXPECT_EQ(Printed(), "1,296.3");
}

TEST_F(BlockDimensionTest, TextsTurnWithTheInsertionsAndAMirrorNegatesTheirAngle) {
  // Mirrored in y: still read from left to right, now below the line.
  Place(Dimension(), {Insert(1, -1)});
  EXPECT_NEAR(Direction(), 0, 1e-2);
  EXPECT_GT(canvas.Of("text")[0].points[0].y, 500);  // below y = 50 mm
  // Turned half round: upside down.
  Place(Dimension(), {Insert(1, 1, M_PI)});
  EXPECT_NEAR(std::fabs(Direction()), M_PI, 1e-2);
  // A mirrored insertion (turn 0.5) inside one mirrored the other way and
  // turned 1.0: the angle 0 becomes 0.5, then 1.0 - 0.5; the matrix alone
  // (a turn of 208.6 degrees) would set it upside down.
  Place(Dimension(), {Insert(1, -1, 1.0), Insert(-1, 1, 0.5)});
  EXPECT_EQ(Printed(), "77");
  EXPECT_NEAR(Direction(), 0.5, 1e-2);
  const TJwwBlockInstance& inner = d.BlockInstances[1];
  EXPECT_EQ(inner.TextFlip, 1);
  EXPECT_NEAR(inner.TextTurn, 0.5, 1e-12);
  EXPECT_NEAR(inner.MarkTurn, 1.5, 1e-12);
  // A plain text of a block the same.
  TJwwEntityLists l;
  TJwwMoji text = MakeText(0, 1, 12, 1, "ABCD");
  Add(l, text);
  Place(l, {Insert(1, -1)});
  EXPECT_NEAR(Direction(), 0, 1e-2);
  Place(l, {Insert(1, -1, 1.0), Insert(-1, 1, 0.5)});
  EXPECT_NEAR(Direction(), 0.5, 3e-2);  // (whole pixels of a short text)
  // Scaled unevenly the base line turns off that angle: the text follows it.
  text.EndX = text.EndY = 13;
  l = TJwwEntityLists();
  Add(l, text);
  Place(l, {Insert(2, 1)});
  EXPECT_NEAR(Direction(), std::atan2(12, 26), 3e-2);
}

// In a scaled insertion the line and the value's cells scale, but the value
// keeps its stored distance from the line: 1 mm at 1, 2 and 0.5 alike.
TEST_F(BlockDimensionTest, ValuesKeepTheirStoredDistanceFromTheLine) {
  // The line at y 500 px, the base line 10 px above it: the cells' tops at
  // 490 less the scaled cells' heights (scaling the distance too would put
  // them at 420 and 480).
  const std::pair<double, int> tops[] = {{1.0, 460}, {2.0, 430}, {0.5, 475}};
  for (const auto& [scale, top] : tops) {
    Place(Dimension(), {Insert(scale, scale)});
    const auto t = canvas.Of("text");
    ASSERT_FALSE(t.empty());
    EXPECT_EQ(t[0].points[0].y, top) << "scale " << scale;
  }
  // Mirrored in y and scaled (inside a plain insertion, so measured anew):
  // below the line, at the same distance.
  Place(Dimension(), {Insert(1, 1), Insert(2, -2)});
  ASSERT_FALSE(canvas.Of("text").empty());
  EXPECT_EQ(canvas.Of("text")[0].points[0].y, 510);
}

TEST_F(BlockDimensionTest, MarksTurnWithTheInsertionsButNotWithTheirMirror) {
  // A filled triangle pointing along +x at the line's end: its body lies
  // behind its tip, 7.5 mm back along its angle.
  TJwwTen arrow = MakePoint(25, 0);
  arrow.PenStyle = 100;
  arrow.Code = 1;
  TJwwEntityLists l;
  Add(l, arrow);
  // Device pixels from the tip to the middle of the body, along x.
  auto bodyFromTip = [&] {
    const auto polygons = canvas.Of("polygon");
    if (polygons.empty()) return 0;
    const auto p = polygons.back().points;
    EXPECT_NEAR(p[1].y + p[2].y, 2 * p[0].y, 2);  // along x
    return (p[1].x + p[2].x) / 2 - p[0].x;
  };
  Place(l, {Insert(-1, 1)});  // mirrored: still pointing along +x
  EXPECT_EQ(bodyFromTip(), -75);
  Place(l, {Insert(1, 1, M_PI)});  // turned half round: pointing along -x
  EXPECT_EQ(bodyFromTip(), 75);
  Place(l, {Insert(-1, 1, M_PI / 2), Insert(1, -1, M_PI / 2)});  // the turns add: along -x
  EXPECT_EQ(bodyFromTip(), 75);
}

TEST_F(BlockDimensionTest, PointsAndDimensionsOfABlockComeInTheirStoredOrder) {
  // A mark filled with the paper's colour covers the dimension line drawn
  // before it, and lies under one drawn after it.
  TJwwTen mark = MakePoint(0, 0);
  mark.PenStyle = 100;
  mark.Code = 3;
  auto lastIsMark = [&] { return canvas.calls.back().op == "polygon" || canvas.calls.back().op == "polyline"; };
  TJwwEntityLists markFirst, dimensionFirst;
  Add(markFirst, mark);
  Add(markFirst, Dimension(25, 0x0002));
  Add(dimensionFirst, Dimension(25, 0x0002));
  Add(dimensionFirst, mark);
  Place(dimensionFirst, {Insert(1, 1)});
  EXPECT_TRUE(lastIsMark());
  Place(markFirst, {Insert(1, 1)});
  EXPECT_FALSE(lastIsMark());
  // At top level every mark comes after every dimension.
  d.BlockDefs.clear();
  d.Entities = markFirst;
  canvas.calls.clear();
  d.BuildBlockInstances();
  d.DrawDrawing(canvas, DrawDrawingArgs());
  EXPECT_TRUE(lastIsMark());
}
