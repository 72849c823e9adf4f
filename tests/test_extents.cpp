#include <gtest/gtest.h>

#include <cmath>

#include "TestSupport.h"
#include "jww/ImageReference.h"
#include "render/UnitGval.h"

namespace {

jwwunit::Extents ExtentsOf(TJwwData& d) {
  d.BuildBlockInstances();
  EXPECT_TRUE(d.ComputeExtents());
  return jwwunit::DrawingExtents;
}

void ExpectExtents(const jwwunit::Extents& e, double x0, double y0, double x1, double y1) {
  EXPECT_NEAR(e.MinX, x0, 1e-9);
  EXPECT_NEAR(e.MinY, y0, 1e-9);
  EXPECT_NEAR(e.MaxX, x1, 1e-9);
  EXPECT_NEAR(e.MaxY, y1, 1e-9);
}

}  // namespace

TEST(Extents, LimitsCutOnlyTowardsTheOutside) {
  TJwwData d;
  InitTestDrawing(d, 600);
  Add(d.Entities, MakeLine(-2e8, 5, 10, 3e8));
  ExpectExtents(ExtentsOf(d), -1e8, 5, 10, 1e8);
  EXPECT_EQ(d.ExtentMinX, -1e8);

  // A minimum above +1e8 stays: only the four outward tests are made.
  InitTestDrawing(d, 600);
  Add(d.Entities, MakeLine(3e8, 3e8, 4e8, 4e8));
  ExpectExtents(ExtentsOf(d), 3e8, 3e8, 1e8, 1e8);
}

TEST(Extents, EmptyDrawingKeepsThePreviousExtents) {
  TJwwData d;
  InitTestDrawing(d, 600);
  Add(d.Entities, MakeLine(1, 2, 3, 4));
  ExtentsOf(d);
  InitTestDrawing(d, 600);
  EXPECT_FALSE(d.ComputeExtents());
  ExpectExtents(jwwunit::DrawingExtents, 1, 2, 3, 4);
}

TEST(Extents, CirclesEllipsesAndArcs) {
  TJwwData d;
  InitTestDrawing(d, 600);
  Add(d.Entities, MakeArc(0, 0, 10, 0, 2 * M_PI, true));
  ExpectExtents(ExtentsOf(d), -10, -10, 10, 10);

  InitTestDrawing(d, 600);
  TJwwEnko e = MakeArc(0, 0, 10, 0, 2 * M_PI, true);
  e.Flatness = 0.5;
  e.TiltAngle = M_PI / 2;
  Add(d.Entities, e);
  ExpectExtents(ExtentsOf(d), -5, -10, 5, 10);

  // 350 deg + 20 deg: start, end and the 0 deg point only. The seed is the centre.
  InitTestDrawing(d, 600);
  Add(d.Entities, MakeArc(100, 100, 10, 350 * M_PI / 180, 20 * M_PI / 180));
  ExpectExtents(ExtentsOf(d), 100, 100 - 10 * std::sin(10 * M_PI / 180), 110,
                100 + 10 * std::sin(10 * M_PI / 180));

  // A negative sweep from 10 deg is 340 deg + 30 deg: the 0 deg point is taken.
  InitTestDrawing(d, 600);
  Add(d.Entities, MakeLine(200, 200, 200, 200));  // seed away from the arc
  Add(d.Entities, MakeArc(0, 0, 10, 10 * M_PI / 180, -30 * M_PI / 180));
  EXPECT_NEAR(ExtentsOf(d).MinX, 10 * std::cos(20 * M_PI / 180), 1e-9);
  InitTestDrawing(d, 600);
  Add(d.Entities, MakeLine(200, 200, 200, 200));
  Add(d.Entities, MakeArc(0, 0, 10, 10 * M_PI / 180, -30 * M_PI / 180));
  Add(d.Entities, MakeLine(200, 200, 200, 200));
  EXPECT_NEAR(ExtentsOf(d).MinY, -10 * std::sin(20 * M_PI / 180), 1e-9);
}

TEST(Extents, PointsTextsImagesSolidsAndDimensions) {
  TJwwData d;
  InitTestDrawing(d, 600);
  Add(d.Entities, MakePoint(-3, -4, true));  // temporary points count for the extents
  Add(d.Entities, MakeText(100, 50, 110, 50, "^@BMphoto.bmp,40,30"));
  ExpectExtents(ExtentsOf(d), -3, -4, 140, 80);

  InitTestDrawing(d, 600);
  Add(d.Entities, MakeText(100, 50, 110, 50, "^@BMphoto.bmp,40"));
  ExpectExtents(ExtentsOf(d), 100, 50, 140, 90);

  // Crop values after the height: the height is still the second number.
  InitTestDrawing(d, 600);
  Add(d.Entities, MakeText(100, 50, 110, 50, "^@BM%temp%a.bmp,40,30,0,0,1,90"));
  ExpectExtents(ExtentsOf(d), 100, 50, 140, 80);

  // An arc-shaped solid adds the quadrant points of its ellipse.
  InitTestDrawing(d, 600);
  TJwwSolid s = MakeSolid(0, 0, 10, 0.5, 0, 0, 0, 0);
  s.PenStyle = 101;
  Add(d.Entities, s);
  ExpectExtents(ExtentsOf(d), -10, -5, 10, 5);

  // Extension lines count only in SXF mode.
  InitTestDrawing(d, 600);
  TJwwSunpou dim = MakeDimension(0, 0, 10, 0, "10");
  Add(d.Entities, dim);
  ExpectExtents(ExtentsOf(d), 0, 0, 10, 1);
  d.Entities.Dimensions[0].SxfMode = 1;
  ExpectExtents(ExtentsOf(d), 0, -5, 10, 1);
}

TEST(Extents, SettingTextsWithoutBaseLineAreLeftOut) {
  // Newer files keep their own settings as texts of zero length at (0, -1000).
  TJwwData d;
  InitTestDrawing(d, 700);
  Add(d.Entities, MakeText(0, -1000, 0, -1000, "Printer_Orientation = 0"));
  Add(d.Entities, MakeText(10, 10, 20, 10, "plan"));
  ExpectExtents(ExtentsOf(d), 10, 10, 20, 10);
  EXPECT_EQ(d.CountEntities().Texts, 1);

  // A template holding only such texts has nothing to print and no extents.
  InitTestDrawing(d, 700);
  Add(d.Entities, MakeText(0, -1000, 0, -1000, "Draw_BmpTOUKA = 1"));
  EXPECT_FALSE(d.ComputeExtents());
  EXPECT_EQ(d.CountEntities().Printable(), 0);

  // An image reference is kept even with a zero-length base line.
  Add(d.Entities, MakeText(5, 5, 5, 5, "^@BMa.bmp,10"));
  ExpectExtents(ExtentsOf(d), 5, 5, 15, 15);
}

TEST(Extents, NonFiniteCoordinatesDoNotPoisonTheExtents) {
  TJwwData d;
  InitTestDrawing(d, 600);
  Add(d.Entities, MakeLine(NAN, 0, 1, 1));
  Add(d.Entities, MakeLine(INFINITY, 2, 3, 4));
  ExpectExtents(ExtentsOf(d), 1, 1, 3, 4);
}

TEST(Extents, BlockContentsThroughTheirInstanceAndGroupScale) {
  TJwwData d;
  InitTestDrawing(d, 600);
  d.LayerGroups[6].Scale = 20;
  TJwwBlock insert = MakeInsert(1, 100, 100, 2, 2, M_PI / 2);
  insert.LayerGroup = 6;
  Add(d.Entities, insert);
  TJwwBlockDef def;
  def.Number = 1;
  Add(def.Entities, MakeLine(0, 0, 10, 0));
  Add(def.Entities, MakeText(0, 0, 0, 5, "^@BMa.bmp,1000"));  // no image size inside blocks
  d.BlockDefs = {def};
  // The seed is the insertion point; (10, 0) turned and doubled lands at (100, 120).
  ExpectExtents(ExtentsOf(d), 90, 100, 100, 120);
  EXPECT_EQ(UnitGval::CurrentGroupScale, 20);

  // What prints leaves out the layers not printed, through insertions too;
  // the insertion point itself is no ink.
  Add(d.Entities, MakeLine(-50, -50, -40, -40, 2, 0));
  TgraAttribute attr;
  jwwunit::Extents printed;
  ASSERT_TRUE(d.PrintedExtents(attr, printed));
  EXPECT_DOUBLE_EQ(printed.MinX, -50);
  attr.SetLayerState(0x20, 3);
  ASSERT_TRUE(d.PrintedExtents(attr, printed));
  EXPECT_DOUBLE_EQ(printed.MinX, 90);
  EXPECT_DOUBLE_EQ(printed.MinY, 100);
  attr.SetLayerState(0x60, 3);
  EXPECT_FALSE(d.PrintedExtents(attr, printed));
}

TEST(ImageReferences, OneParserForEveryReader) {
  ImageReference r;
  EXPECT_FALSE(ParseImageReference("^@BMnocomma.bmp", r));
  EXPECT_FALSE(ParseImageReference("plain,text", r));
  ASSERT_TRUE(ParseImageReference("^@BMa.bmp,40", r));
  EXPECT_EQ(r.Path, "a.bmp");
  EXPECT_EQ(r.Width, 40);
  EXPECT_EQ(r.Height, 40);
  EXPECT_EQ(r.Crop.Width, 1.0);
  ASSERT_TRUE(ParseImageReference("^@BM%TEMP%\\b.jpg,40,30,1,2,0.5,90", r));
  EXPECT_EQ(r.Path, "%TEMP%\\b.jpg");
  EXPECT_EQ(r.Height, 30);
  EXPECT_EQ(r.Crop.Left, 1);
  EXPECT_EQ(r.Crop.Bottom, 2);
  EXPECT_EQ(r.Crop.Width, 0.5);
  EXPECT_EQ(r.AngleDegrees, 90);
  ASSERT_TRUE(ParseImageReference("^@BMc.png,x,,", r));
  EXPECT_EQ(r.Width, 0);
  EXPECT_EQ(r.Height, 0);
}

TEST(CountEntities, LayersTemporaryPointsAndBlockInstances) {
  TJwwData d;
  InitTestDrawing(d, 600);
  Add(d.Entities, MakeLine(0, 0, 1, 1, 3, 1));
  Add(d.Entities, MakeLine(0, 0, 1, 1, 3, 2));
  Add(d.Entities, MakeLine(0, 0, 1, 1, 4, 1));
  Add(d.Entities, MakePoint(0, 0, true));
  TJwwTen odd = MakePoint(0, 0);
  odd.Temporary = 2;  // any non-zero value is temporary
  Add(d.Entities, odd);
  TJwwBlock plain = MakeInsert(1, 0, 0);
  plain.LayerGroup = 3;
  Add(d.Entities, plain);
  TJwwBlock own = MakeInsert(1, 0, 0);
  own.LayerGroup = 5;
  own.PenStyle = 0x41;  // own layers: contents are filtered by their own layer
  Add(d.Entities, own);
  Add(d.Entities, MakeInsert(99, 0, 0));  // no definition: counts nothing inside
  TJwwBlockDef def;
  def.Number = 1;
  Add(def.Entities, MakeLine(0, 0, 1, 1, 4, 0));
  Add(def.Entities, MakePoint(0, 0, true));
  d.BlockDefs = {def};
  d.BuildBlockInstances();

  const TJwwEntityCounts all = d.CountEntities();
  EXPECT_EQ(all.Lines, 3);
  EXPECT_EQ(all.TemporaryPoints, 2);
  EXPECT_EQ(all.Points, 0);
  EXPECT_EQ(all.Blocks, 3);
  EXPECT_EQ(all.BlockLines, 2);
  EXPECT_EQ(all.BlockTemporaryPoints, 2);

  const TJwwEntityCounts g3 = d.CountEntities(LayerFilter::OfGroup(3));
  EXPECT_EQ(g3.Lines, 2);
  EXPECT_EQ(g3.Blocks, 1);
  EXPECT_EQ(g3.BlockLines, 1);  // through the plain instance on group 3

  const TJwwEntityCounts g4 = d.CountEntities(LayerFilter::OfLayer(4 * 16 + 0));
  EXPECT_EQ(g4.Lines, 0);
  EXPECT_EQ(g4.BlockLines, 1);  // the own-layers instance's line on 4-0
  EXPECT_EQ(g4.Printable(), 1);

  EXPECT_EQ(d.CountEntities(LayerFilter::OfLayer(3 * 16 + 2)).Lines, 1);
  EXPECT_EQ(d.CountEntities(LayerFilter::OfGroup(9)).Printable(), 0);
}
