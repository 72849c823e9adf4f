#include <gtest/gtest.h>

#include "attr/UnitGraAtt.h"

namespace {
const TColor kWhite = Rgb(255, 255, 255), kBlack = Rgb(0, 0, 0);
}

TEST(PenRows, NumbersSelectRowsAtTheBoundaries) {
  const std::pair<int, int> cases[] = {{0, -1}, {1, 0}, {8, 7}, {9, 8}, {10, -1}, {100, -1},
                                       {101, 9}, {116, 24}, {117, 25}, {356, 264}, {357, -1}, {-1, -1}};
  for (auto [number, row] : cases) EXPECT_EQ(TgraAttribute::PenRowOf(number), row) << number;
}

TEST(LineTypeRows, NumbersSelectRowsAtTheBoundaries) {
  const std::pair<int, int> cases[] = {{0, -1}, {1, 0}, {9, 8}, {10, -1}, {11, 9}, {15, 13}, {16, 14},
                                       {19, 17}, {20, -1}, {30, -1}, {31, 18}, {46, 33}, {47, 34},
                                       {62, 49}, {63, -1}, {-5, -1}};
  for (auto [number, row] : cases) EXPECT_EQ(TgraAttribute::LineTypeRowOf(number), row) << number;
}

TEST(PenDefaults, ColoursWidthsAndRadiiOnBothBackgrounds) {
  TgraAttribute a;
  EXPECT_EQ(a.GetBackgroundColor(), kWhite);
  EXPECT_EQ(a.GetPenColor(1), Rgb(0, 192, 192));
  EXPECT_EQ(a.GetPenColor(8), Rgb(255, 0, 128));
  EXPECT_EQ(a.GetPenColor(9), Rgb(255, 128, 255));
  EXPECT_EQ(a.GetPenColor(101), kBlack);   // SXF black
  EXPECT_EQ(a.GetPenColor(108), kBlack);   // SXF white takes pen 2's colour too
  EXPECT_EQ(a.GetPenColor(116), Rgb(128, 128, 128));
  EXPECT_EQ(a.GetPenColor(117), kBlack);   // user colours: the default pen colour
  EXPECT_DOUBLE_EQ(a.GetPenWidth(1), 0.1);
  EXPECT_DOUBLE_EQ(a.GetPenWidth(8), 0.5);
  EXPECT_DOUBLE_EQ(a.GetPenWidth(9), 0.01);
  EXPECT_DOUBLE_EQ(a.GetPenWidth(356), 0.18);
  EXPECT_DOUBLE_EQ(a.GetPointRadius(2), 0.3);
  EXPECT_DOUBLE_EQ(a.GetPointRadius(4), 0.5);
  EXPECT_DOUBLE_EQ(a.GetPointRadius(9), 0.2);
  EXPECT_DOUBLE_EQ(a.GetPointRadius(200), 0.2);

  a.SetBackgroundMode(1);
  EXPECT_EQ(a.GetPenColor(1), Rgb(0, 192, 192));  // not recoloured until reset
  a.ResetPenColors();
  EXPECT_EQ(a.GetBackgroundColor(), kBlack);
  EXPECT_EQ(a.GetPenColor(1), Rgb(0, 255, 255));
  EXPECT_EQ(a.GetPenColor(2), kWhite);
  EXPECT_EQ(a.GetPenColor(8), Rgb(160, 0, 0));
  EXPECT_EQ(a.GetPenColor(108), kWhite);
  EXPECT_EQ(a.GetPenColor(300), kWhite);  // SXF user rows turn white

  a.SetBackgroundMode(2);  // not a mode: nothing changes
  a.ResetPenColors();
  EXPECT_EQ(a.GetBackgroundMode(), 1);
  EXPECT_EQ(a.GetPenColor(300), kWhite);
}

TEST(PenLookups, FallbacksForNumbersWithoutRow) {
  TgraAttribute a;
  EXPECT_EQ(a.GetPenColor(50), a.GetBackgroundColor());
  EXPECT_EQ(a.GetPenRowColor(265), a.GetBackgroundColor());
  EXPECT_DOUBLE_EQ(a.GetPenWidth(50), 0.0);
  EXPECT_DOUBLE_EQ(a.GetPointRadius(50), 0.1);
  EXPECT_DOUBLE_EQ(a.GetPenRowPointRadius(-1), 0.1);
  a.SetPen(50, Rgb(1, 2, 3), 9, 9);     // ignored
  a.SetPenRow(265, Rgb(1, 2, 3), 9, 9);  // ignored
  a.SetPen(356, Rgb(1, 2, 3), 0.7, 0.8);
  EXPECT_EQ(a.GetPenRowColor(264), Rgb(1, 2, 3));
  EXPECT_DOUBLE_EQ(a.GetPenRowWidth(264), 0.7);
}

TEST(ColourRules, MonochromeThresholds) {
  TgraAttribute a;
  a.SetPen(1, Rgb(254, 255, 255), 0.1, 0.1);
  a.SetPen(2, kWhite, 0.1, 0.1);
  a.SetPen(3, Rgb(246, 250, 255), 0.1, 0.1);
  a.SetPen(4, Rgb(245, 255, 255), 0.1, 0.1);
  a.SetColorConversion(true, 0, -1, -1);
  EXPECT_EQ(a.GetPenColor(1), kBlack);
  EXPECT_EQ(a.GetPenColor(2), kWhite);  // only pure white stays white at 0
  a.SetColorConversion(true, 10, -1, -1);
  EXPECT_EQ(a.GetPenColor(3), kWhite);  // 246 + 10 = 256
  EXPECT_EQ(a.GetPenColor(4), kBlack);  // 245 + 10 = 255 is not enough
  a.SetColorConversion(false, 10, -1, -1);
  EXPECT_EQ(a.GetPenColor(4), Rgb(245, 255, 255));  // the switch is off
}

TEST(ColourRules, WhiteToBlackPerRowKind) {
  TgraAttribute a;
  a.SetPen(1, kWhite, 0.1, 0.1);
  a.SetPen(2, Rgb(250, 250, 250), 0.1, 0.1);
  a.SetPen(101, kWhite, 0.1, 0.1);
  a.SetPen(102, Rgb(250, 250, 250), 0.1, 0.1);
  a.SetColorConversion(true, -1, -1, 0);
  EXPECT_EQ(a.GetPenColor(1), kBlack);
  EXPECT_EQ(a.GetPenColor(2), Rgb(250, 250, 250));  // 250 + 0 is not above 254
  EXPECT_EQ(a.GetPenColor(101), kWhite);            // SXF rows follow their own threshold
  a.SetColorConversion(true, -1, 5, -1);
  EXPECT_EQ(a.GetPenColor(101), kBlack);
  EXPECT_EQ(a.GetPenColor(102), kBlack);             // 250 + 5 = 255 > 254
  EXPECT_EQ(a.GetPenColor(1), kWhite);               // normal rows untouched now
  a.SetColorConversion(true, -1, 4, -1);
  EXPECT_EQ(a.GetPenColor(102), Rgb(250, 250, 250)); // 254 is not above 254
}

TEST(ColourRules, MonochromeWithWhiteToBlackPrintsEverythingBlack) {
  TgraAttribute a;
  a.SetPen(1, kWhite, 0.1, 0.1);
  a.SetPen(2, Rgb(0, 192, 0), 0.1, 0.1);
  a.SetPen(101, kWhite, 0.1, 0.1);
  a.SetColorConversion(true, 0, -1, 0);
  EXPECT_EQ(a.GetPenColor(1), kBlack);    // made white, then turned black
  EXPECT_EQ(a.GetPenColor(2), kBlack);
  EXPECT_EQ(a.GetPenColor(101), kWhite);  // SXF white rule off: stays white
  a.SetColorConversion(true, 300, 0, 0);  // a threshold beyond 255 makes every colour light
  EXPECT_EQ(a.GetPenColor(2), kBlack);
}

TEST(Layers, DefaultsCaptionsAndClamps) {
  TgraAttribute a;
  EXPECT_EQ(a.GetLayerState(0), 1);
  EXPECT_EQ(a.Layer(0x3B)->GroupCaption, "[3] ");
  EXPECT_EQ(a.Layer(0x3B)->LayerCaption, "(B) ");
  a.SetLayer(0xFA, 7, "wall", "plan", 0);
  EXPECT_EQ(a.GetLayerState(0xFA), 1);
  EXPECT_DOUBLE_EQ(a.Layer(0xFA)->Scale, 1.0);
  EXPECT_EQ(a.Layer(0xFA)->GroupCaption, "[F] plan");
  EXPECT_EQ(a.Layer(0xFA)->LayerCaption, "(A) wall");
  a.SetLayer(5, 3, "", "", 0.01);
  EXPECT_EQ(a.GetLayerState(5), 3);
  EXPECT_DOUBLE_EQ(a.Layer(5)->Scale, 0.01);
  a.SetLayer(256, 3, "", "", 1);  // ignored
  a.SetLayerState(-1, 3);         // ignored
  EXPECT_EQ(a.GetLayerState(256), 1);
  EXPECT_EQ(a.GetLayerState(-1), 1);
  a.SetLayerState(5, 0);
  EXPECT_EQ(a.GetLayerState(5), 1);
  EXPECT_EQ(a.Layer(256), nullptr);
}

TEST(LineTypeDefaults, TheTableOfTheProgram) {
  TgraAttribute a;
  struct Row { int type; int count; double period; double amplitude; };
  const Row rows[] = {{1, 0, 0, 0},      {2, 3, 1.44, 0},    {3, 3, 2.88, 0},     {4, 3, 2.88, 0},
                      {5, 5, 5.76, 0},   {6, 5, 11.52, 0},   {7, 7, 5.76, 0},     {8, 7, 11.52, 0},
                      {9, 3, 1.44, 0},   {11, 32, 19.2, 0.3}, {12, 32, 38.4, 0.3}, {13, 32, 57.6, 0.6},
                      {14, 32, 76.8, 0.6}, {15, 32, 96.0, 0.6}, {16, 5, 20.8, 0},  {17, 7, 28.4, 0},
                      {18, 3, 28.8, 0},  {19, 3, 47.0, 0},   {31, 0, 0, 0},       {32, 2, 7.5, 0},
                      {33, 2, 12, 0},    {34, 4, 15.25, 0},  {35, 6, 17, 0},      {36, 8, 18.75, 0},
                      {37, 2, 1.75, 0},  {38, 4, 18.5, 0},   {39, 6, 23.5, 0},    {40, 4, 9.25, 0},
                      {41, 6, 16.75, 0}, {42, 6, 11, 0},     {43, 8, 18.5, 0},    {44, 8, 12.75, 0},
                      {45, 10, 20.25, 0}, {46, 0, 0, 0},     {47, 0, 0, 0},       {62, 0, 0, 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.type);
    EXPECT_EQ(a.GetLineTypeCount(r.type), r.count);
    EXPECT_NEAR(a.GetLineTypePeriod(r.type), r.period, 1e-9);
    EXPECT_DOUBLE_EQ(a.GetLineTypeAmplitude(r.type), r.amplitude);
  }
  double e[32];
  ASSERT_EQ(a.GetLineTypePattern(5, e), 5);
  EXPECT_NEAR(e[0], 1.8, 1e-12);
  EXPECT_NEAR(e[1], -0.72, 1e-12);
  ASSERT_EQ(a.GetLineTypePattern(13, e), 32);  // random 3 from "2200…", unit 1.8
  EXPECT_DOUBLE_EQ(e[0], 1.8);
  EXPECT_DOUBLE_EQ(e[1], 1.8);
  EXPECT_DOUBLE_EQ(e[2], -1.8);
  EXPECT_DOUBLE_EQ(e[3], -1.8);
  EXPECT_DOUBLE_EQ(e[31], -1.8);
  ASSERT_EQ(a.GetLineTypePattern(45, e), 10);
  EXPECT_DOUBLE_EQ(e[9], -1.5);
  EXPECT_EQ(a.GetLineTypePattern(1, e), 0);
  EXPECT_EQ(a.GetLineTypePattern(20, e), 0);
}

TEST(LineTypeRows, WritesFollowTheCountAndThePeriodWaits) {
  TgraAttribute a;
  const int row = TgraAttribute::LineTypeRowOf(2);
  a.SetLineTypeElement(row, 3, 9.0);  // index == count: ignored
  EXPECT_DOUBLE_EQ(a.GetLineTypeRowElement(row, 3), 0.0);
  a.SetLineTypeElement(row, 0, 2.0);
  EXPECT_NEAR(a.GetLineTypeRowPeriod(row), 1.44, 1e-12);  // not yet updated
  a.UpdateLineTypePeriod(row);
  EXPECT_NEAR(a.GetLineTypeRowPeriod(row), 2.0 + 0.72 + 0.36, 1e-12);
  a.SetLineTypeCount(row, 40);  // never beyond the 32 elements a row holds
  EXPECT_EQ(a.GetLineTypeRowCount(row), 32);
  a.SetLineTypeCount(50, 3);
  a.SetLineTypeAmplitude(-1, 3);
  EXPECT_EQ(a.GetLineTypeRowCount(50), 0);
  EXPECT_DOUBLE_EQ(a.GetLineTypeRowElement(row, -1), 0.0);
}

TEST(PatternToElements, RunsOfDots) {
  TgraAttribute a;
  UnitGraAtt::PatternToElements(a, 1, 0xFFFFFFFFu, 0.1);
  EXPECT_EQ(a.GetLineTypeRowCount(1), 1);
  EXPECT_NEAR(a.GetLineTypeRowElement(1, 0), 3.2, 1e-12);
  UnitGraAtt::PatternToElements(a, 1, 0, 0.1);
  EXPECT_NEAR(a.GetLineTypeRowElement(1, 0), -3.2, 1e-12);
  UnitGraAtt::PatternToElements(a, 1, 0xFF00FF00u, 2 * 0.085);
  ASSERT_EQ(a.GetLineTypeRowCount(1), 4);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(a.GetLineTypeRowElement(1, i), i % 2 ? -1.36 : 1.36, 1e-12);
  EXPECT_NEAR(a.GetLineTypeRowPeriod(1), 4 * 1.36, 1e-12);
  // More runs than the row had elements: all of them arrive.
  UnitGraAtt::PatternToElements(a, 1, 0xAAAAAAAAu, 1);
  EXPECT_EQ(a.GetLineTypeRowCount(1), 32);
  EXPECT_DOUBLE_EQ(a.GetLineTypeRowElement(1, 31), -1);
  EXPECT_DOUBLE_EQ(a.GetLineTypeRowPeriod(1), 32);
}
