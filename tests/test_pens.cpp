// A drawing's own layers, pens and line types in the pen attributes.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"

namespace {

const UnitGraAtt::FixedResolution k600(600);

TJwwData& PenDrawing(TJwwData& d, int32_t version, int32_t maxDrawWidth, int32_t code) {
  InitTestDrawing(d, version);
  d.MaxDrawWidth = maxDrawWidth;
  d.PrinterResolutionCode = code;
  d.HasPenTable = d.HasLineTypeTable = true;
  for (int n = 0; n < 10; ++n) {
    d.Pens[n].PrinterColor = Rgb(n, 2 * n, 3 * n);
    d.Pens[n].PrinterWidth = n;
    d.Pens[n].PrinterPointRadius = 0.1 * n;
  }
  d.Pens[0].PrinterColor = Rgb(255, 255, 255);
  return d;
}

}  // namespace

TEST(PenWidthUnit, EveryCase) {
  TJwwData d;
  const UnitGraAtt::FixedResolution k360(360);
  EXPECT_DOUBLE_EQ(PenDrawing(d, 600, -20, 1).PenWidthUnit(&k600), 0.05);
  EXPECT_DOUBLE_EQ(PenDrawing(d, 600, -1, 1).PenWidthUnit(&k600), 1.0);
  EXPECT_DOUBLE_EQ(PenDrawing(d, 600, -100, 1).PenWidthUnit(&k600), 0.01);
  EXPECT_DOUBLE_EQ(PenDrawing(d, 600, -101, 1).PenWidthUnit(&k600), 0.01);
  EXPECT_DOUBLE_EQ(PenDrawing(d, 600, 0, 1).PenWidthUnit(&k600), 0.085);
  EXPECT_DOUBLE_EQ(PenDrawing(d, 600, 5, 2).PenWidthUnit(&k600), 0.042);
  // Old drawings keep their code's dot (probe pens-420: pen width 1 prints
  // 2 px at 600 dpi, not 1); drawings without a code use the printer's dot.
  EXPECT_DOUBLE_EQ(PenDrawing(d, 420, 0, 1).PenWidthUnit(&k600), 0.085);
  EXPECT_DOUBLE_EQ(PenDrawing(d, 300, 0, 2).PenWidthUnit(&k600), 0.042);
  EXPECT_DOUBLE_EQ(PenDrawing(d, 420, 0, 0).PenWidthUnit(&k600), 0.042);  // 42.33 um
  EXPECT_DOUBLE_EQ(PenDrawing(d, 700, 0, 0).PenWidthUnit(&k360), 0.071);  // 70.56 um rounds up
  EXPECT_DOUBLE_EQ(PenDrawing(d, 700, 0, -1).PenWidthUnit(nullptr), 0.01);
  const UnitGraAtt::FixedResolution none(0);
  EXPECT_DOUBLE_EQ(PenDrawing(d, 700, 0, 0).PenWidthUnit(&none), 0.01);
}

TEST(PensFromDrawing, PensSxfPensAndBackground) {
  TJwwData d;
  PenDrawing(d, 600, -20, 1);
  d.SxfPens[1].PrinterColor = Rgb(9, 9, 9);
  d.SxfPens[1].PrinterWidth = 25;
  d.SxfPens[256].PrinterPointRadius = 0.7;
  TgraAttribute a;
  // Points at the pens' own radii only when the drawing asks for the printer
  // radius; otherwise a dot of 2 printer dots.
  EXPECT_EQ(d.PensFromDrawing(a, &k600), TJwwData::BackgroundSwitch::Light);
  EXPECT_DOUBLE_EQ(a.GetPointRadius(8), 2 * 25.4 / 600);
  EXPECT_DOUBLE_EQ(a.GetPointRadius(356), 2 * 25.4 / 600);
  d.Kept.DrawState[1] = 1;
  EXPECT_EQ(d.PensFromDrawing(a, &k600), TJwwData::BackgroundSwitch::Light);
  EXPECT_EQ(a.GetPenColor(3), Rgb(3, 6, 9));
  EXPECT_DOUBLE_EQ(a.GetPenWidth(3), 0.15);
  EXPECT_DOUBLE_EQ(a.GetPointRadius(8), 0.8);
  EXPECT_DOUBLE_EQ(a.GetPenWidth(9), 0.01);  // the auxiliary pen is not the drawing's
  EXPECT_EQ(a.GetPenColor(101), Rgb(9, 9, 9));
  EXPECT_DOUBLE_EQ(a.GetPenWidth(101), 0.25);
  EXPECT_DOUBLE_EQ(a.GetPointRadius(356), 0.7);

  d.Pens[0].PrinterColor = Rgb(10, 10, 10);
  EXPECT_EQ(d.PensFromDrawing(a, &k600), TJwwData::BackgroundSwitch::Dark);
  EXPECT_EQ(a.GetBackgroundColor(), Rgb(0, 0, 0));
  EXPECT_EQ(a.GetPenColor(3), Rgb(3, 6, 9));  // pens are not reset by the switch
  d.Pens[0].PrinterColor = Rgb(128, 128, 128);
  EXPECT_EQ(d.PensFromDrawing(a, &k600), TJwwData::BackgroundSwitch::Unchanged);
  EXPECT_EQ(a.GetBackgroundMode(), 1);
  d.Pens[0].PrinterColor = Rgb(21, 0, 0);
  EXPECT_EQ(d.PensFromDrawing(a, &k600), TJwwData::BackgroundSwitch::Unchanged);
  d.Pens[0].PrinterColor = Rgb(235, 255, 240);
  EXPECT_EQ(d.PensFromDrawing(a, &k600), TJwwData::BackgroundSwitch::Light);

  // A drawing whose header ends before its pens leaves the attributes alone.
  TJwwData empty;
  TgraAttribute untouched;
  EXPECT_EQ(empty.PensFromDrawing(untouched, &k600), TJwwData::BackgroundSwitch::Unchanged);
  EXPECT_DOUBLE_EQ(untouched.GetPenWidth(3), 0.2);
}

TEST(LineTypesFromDrawing, UnitsPatternsRandomAndSxfRows) {
  TJwwData d;
  PenDrawing(d, 700, 0, 1);
  d.LineTypes[0].Pattern = 0xFF00FF00u;  // line type 2
  d.LineTypes[0].PrinterPitch = 2;
  d.LineTypes[0].UnitDots = 16;           // repeats every 16 dots
  d.LineTypes[1].Pattern = 0xFF00FF00u;
  d.LineTypes[1].UnitDots = 12;           // no repeat within 32 dots
  d.LineTypes[2].Pattern = 0xFF00FF00u;
  d.LineTypes[2].UnitDots = 12;
  d.LineTypes[2].PrinterPitch = 1;
  d.RandomLines[2].Pattern = 0xF0F0F0F0u;
  d.RandomLines[2].PrinterAmplitude = 4;
  d.RandomLines[2].PrinterPitch = 1;
  d.DoubleLineTypes[3].Pattern = 0xFFFFFFFFu;
  d.DoubleLineTypes[3].PrinterPitch = 1;
  d.SxfLineTypes[1].SegmentCount = 3;
  d.SxfLineTypes[1].Segments = {6, 1.5, 0.25};
  d.SxfLineTypes[32].SegmentCount = 99;  // clamped to 10
  for (int j = 0; j < 10; ++j) d.SxfLineTypes[32].Segments[j] = 1;
  d.SxfLineTypes[2].SegmentCount = -3;
  TgraAttribute a;
  d.LineTypesFromDrawing(a, 0.035);
  EXPECT_EQ(a.GetLineTypeCount(1), 0);
  ASSERT_EQ(a.GetLineTypeCount(2), 4);
  double e[32];
  a.GetLineTypePattern(2, e);
  EXPECT_NEAR(e[0], 1.36, 1e-12);  // 8 dots x pitch 2 x 0.085 mm
  EXPECT_NEAR(e[1], -1.36, 1e-12);
  // Lines are fitted to the pattern's own repeat when it divides the 32 dots.
  // (counted in whole device pixels per dot: 0.17 mm at 10 px/mm is 2 px).
  EXPECT_NEAR(a.GetLineTypeRepeatMm(2), 16 * 2 * 0.085, 1e-12);
  EXPECT_DOUBLE_EQ(a.GetLineTypeRepeatPx(2, 10), 16 * 2);
  EXPECT_DOUBLE_EQ(a.GetLineTypeRepeatMm(3), a.GetLineTypePeriod(3));  // no dot size: the period
  // Lines are fitted to whole units also when the unit does not divide the
  // 32 dots (probe dash-unit12: a 12-dot unit, 37 of them on a 385 mm line).
  EXPECT_NEAR(a.GetLineTypeRepeatMm(4), 12 * 0.085, 1e-12);
  EXPECT_NEAR(a.GetLineTypePeriod(4), 32 * 0.085, 1e-12);
  EXPECT_DOUBLE_EQ(a.GetLineTypeRepeatMm(12), a.GetLineTypePeriod(12));  // random lines: no dots kept
  EXPECT_NEAR(a.GetLineTypeAmplitude(13), 4 * 0.085, 1e-12);
  // A zig-zag keeps a vertex per dot, each dot 1.4 times a dashed line's.
  ASSERT_EQ(a.GetLineTypeCount(13), 32);
  a.GetLineTypePattern(13, e);
  EXPECT_NEAR(e[3], 1.4 * 0.085, 1e-12);
  EXPECT_NEAR(e[4], -1.4 * 0.085, 1e-12);
  EXPECT_EQ(a.GetLineTypeCount(19), 1);
  EXPECT_NEAR(a.GetLineTypePeriod(19), 32 * 0.085, 1e-12);
  ASSERT_EQ(a.GetLineTypePattern(31, e), 3);
  EXPECT_DOUBLE_EQ(e[0], 6);
  EXPECT_DOUBLE_EQ(e[1], -1.5);
  EXPECT_DOUBLE_EQ(e[2], 0.25);
  EXPECT_DOUBLE_EQ(a.GetLineTypePeriod(31), 7.75);
  EXPECT_EQ(a.GetLineTypeCount(62), 10);
  EXPECT_EQ(a.GetLineTypeCount(32), 0);

  // Without a usable code, or for old files, the user's pitch is the unit.
  PenDrawing(d, 420, 0, 1).LineTypes[0].Pattern = 0xFF00FF00u;
  d.LineTypes[0].PrinterPitch = 1;
  d.LineTypesFromDrawing(a, 0.035);
  EXPECT_NEAR(a.GetLineTypePeriod(2), 32 * 0.035, 1e-12);
  EXPECT_DOUBLE_EQ(PenDrawing(d, 700, -5, 2).LineTypeUnit(0.035), 0.035);
  EXPECT_DOUBLE_EQ(PenDrawing(d, 700, 0, 2).LineTypeUnit(0.035), 0.042);
  EXPECT_DOUBLE_EQ(PenDrawing(d, 700, 0, 0).LineTypeUnit(0.05), 0.05);
}

TEST(PublishLayers, StatesFromGroupsAndLayers) {
  TJwwData d;
  InitTestDrawing(d, 600);
  d.LayerGroups[1].State = 0;  // hidden group
  d.LayerGroups[2].State = 1;  // display-only group
  d.LayerGroups[3].Scale = 0;
  d.LayerGroups[4].Scale = 50;
  d.LayerGroups[4].Name = "G4";
  d.Layers[0x05].State = 0;
  d.Layers[0x06].State = 1;
  d.Layers[0x07].State = 3;  // the layer being written prints normally
  d.Layers[0x21].State = 0;  // hidden beats display-only
  d.Layers[0x42].Name = "L";
  TgraAttribute a;
  d.PublishLayers(a);
  EXPECT_EQ(a.GetLayerState(0x10), 3);
  EXPECT_EQ(a.GetLayerState(0x1F), 3);
  EXPECT_EQ(a.GetLayerState(0x20), 2);
  EXPECT_EQ(a.GetLayerState(0x21), 3);
  EXPECT_EQ(a.GetLayerState(0x05), 3);
  EXPECT_EQ(a.GetLayerState(0x06), 2);
  EXPECT_EQ(a.GetLayerState(0x07), 1);
  EXPECT_EQ(a.GetLayerState(0x00), 1);
  EXPECT_DOUBLE_EQ(a.Layer(0x30)->Scale, 1.0);
  EXPECT_DOUBLE_EQ(a.Layer(0x42)->Scale, 0.02);
  EXPECT_EQ(a.Layer(0x42)->GroupCaption, "[4] G4");
  EXPECT_EQ(a.Layer(0x42)->LayerCaption, "(2) L");
}

TEST(CorpusPens, RealDrawingsConvert) {
  const std::string dir = CorpusDir() + "/jww/";
  REQUIRE_CORPUS(dir + "ezjww__non_block.jww");
  TJwwData d;
  TgraAttribute a;
  // Jw_cad 8 stores widths coded below -100: steps of 0.01 mm.
  ASSERT_TRUE(d.LoadForPrint(dir + "ezjww__non_block.jww"));
  EXPECT_EQ(d.MaxDrawWidth, -300);
  d.PensFromDrawing(a, &k600);
  EXPECT_DOUBLE_EQ(a.GetPenWidth(1), d.Pens[1].PrinterWidth * 0.01);
  // The installer samples give their printer's dots as code 1: 0.085 mm.
  ASSERT_TRUE(d.LoadForPrint(dir + "jwmac__sanpuru.jww"));
  d.PensFromDrawing(a, &k600);
  d.LineTypesFromDrawing(a, 0.035);
  EXPECT_DOUBLE_EQ(a.GetPenWidth(2), 2 * 0.085);
  EXPECT_NEAR(a.GetLineTypePeriod(2), 32 * 0.085 * d.LineTypes[0].PrinterPitch, 1e-9);
  EXPECT_EQ(a.GetBackgroundMode(), 0);
  // A working drawing with most groups hidden.
  ASSERT_TRUE(d.LoadForPrint(dir + "jdujwcad__sample.jww"));
  d.PublishLayers(a);
  int hidden = 0;
  for (int i = 0; i < 256; ++i) hidden += a.GetLayerState(i) == 3;
  EXPECT_GE(hidden, 14 * 16);
  // Display-only layers print grey.
  ASSERT_TRUE(d.LoadForPrint(dir + "jwmac__hikagezu.jww"));
  d.PublishLayers(a);
  int grey = 0;
  for (int i = 0; i < 256; ++i) grey += a.GetLayerState(i) == 2;
  EXPECT_EQ(grey, 12);
}
