#include <gtest/gtest.h>

#include <cmath>

#include "TestSupport.h"
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
