#include "ProbeDrawings.h"

#include <array>
#include <cmath>
#include <string>

#include "JwwWriter.h"
#include "util/CodePage.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// One pattern dot of the drawings below (printer resolution code 1: 0.085 mm
// a printer dot, 10 dots a pattern dot) and the device pixels it takes at
// 600 dpi: line types count their repeats in those.
constexpr double kPatternDotMm = 0.85;
constexpr double kPxPerMm = 600 / 25.4;
constexpr double kDotPx = 20;  // round(0.85 mm x 600 / 25.4)

std::string Sjis(const char* utf8) { return util::Utf8ToCp932(utf8); }

// A header as the CAD program writes a new drawing: A3, every group and layer
// shown, group scale 1/1 (drawing mm are paper mm), print scale 1 at the
// origin, widths in printer dots (maximum draw width 100), its default pens,
// line types and text styles, colour printing on.
TJwwData BaseDrawing() {
  TJwwData d;
  InitTestDrawing(d, 700);
  d.PaperSize = 3;
  for (TJwwLayerGroup& g : d.LayerGroups) g.Scale = 1;
  d.LayerGroups[0].State = 3;
  d.MaxDrawWidth = 100;
  d.PrinterResolutionCode = 1;
  d.DimensionSettings = {2002111, 5, 50150030, 11000000, 4100};
  d.Kept.Reserved7[0] = 17000;
  d.Kept.DrawState = {0, 0, 1, 0, 0, 1, 1, 1, 0, 0};
  d.Kept.GridMinDots = 15;
  d.Kept.GridPitchX = d.Kept.GridPitchY = 5;
  d.Kept.TextWidth = d.Kept.TextHeight = 4;
  d.Kept.TextSpacing = 0.5;
  d.Kept.TextColor = 2;
  d.Kept.TextKind = 4;
  d.Kept.DefaultSolidColor = 0x808080;
  struct PenRow {
    uint32_t screen, printer;
    int32_t width;
    double radius;
  };
  const PenRow pens[10] = {{0xFFFFFF, 0xFFFFFF, 1, 1},   {0xC0C000, 0x000000, 1, 0.2},
                           {0x000000, 0x000000, 2, 0.3}, {0x00C000, 0x000000, 3, 0.4},
                           {0x00C0C0, 0x000000, 4, 0.5}, {0xC000C0, 0x000000, 5, 0.5},
                           {0xFF0000, 0x000000, 6, 0.5}, {0x808000, 0x000000, 7, 0.5},
                           {0x8000FF, 0x000000, 8, 0.5}, {0xC0C0C0, 0xC0C0C0, 1, 1}};
  for (int i = 0; i < 10; ++i)
    d.Pens[i] = {pens[i].screen, 1, pens[i].printer, pens[i].width, pens[i].radius};
  const uint32_t patterns[8] = {0x99999999, 0xC3C3C3C3, 0xE7E7E7E7, 0xF99FF99F,
                                0xFFF99FFF, 0xF24FF24F, 0xFFF24FFF, 0x22222222};
  const int32_t units[8] = {4, 8, 8, 16, 32, 16, 32, 4};
  for (int i = 0; i < 8; ++i) d.LineTypes[i] = {patterns[i], units[i], 1, 10};
  for (int i = 0; i < 5; ++i) d.RandomLines[i] = {0xCCB2B32A, i < 2 ? 1 : 2, 3 + i, i < 2 ? 1 : 2, i == 0 ? 5 : 5 * i};
  const uint32_t doubles[4] = {0xFFF99FFF, 0xFFF24FFF, 0xFFFE7FFF, 0xFFFE7FFF};
  for (int i = 0; i < 4; ++i) d.DoubleLineTypes[i] = {doubles[i], 32, i == 3 ? 4 : 2, i == 3 ? 40 : 20};
  const uint32_t sxfColours[17] = {0,        0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF,
                                   0xFFFF00, 0xFFFFFF, 0x800000, 0x008000, 0x000080, 0x008080,
                                   0x800080, 0x808000, 0x808080, 0xC0C0C0};
  for (int i = 1; i <= 256; ++i) {
    TJwwSxfPen& p = d.SxfPens[static_cast<size_t>(i)];
    p.ScreenColor = p.PrinterColor = i <= 16 ? sxfColours[i] : 0;
    p.ScreenWidth = 1;
    p.PrinterWidth = 18;
    p.PrinterPointRadius = 0.3;
  }
  const double sizes[10] = {2, 2.5, 3, 4, 5, 6, 7, 8, 9, 10};
  for (int i = 0; i < 10; ++i) d.TextStyles[i] = {sizes[i], sizes[i], i < 2 ? 0.0 : 0.5, i < 2 ? 1 : 2};
  return d;
}

TJwwSen Line(double x1, double y1, double x2, double y2, int pen = 2, int type = 1) {
  TJwwSen s = MakeLine(x1, y1, x2, y2);
  s.PenColor = static_cast<uint16_t>(pen);
  s.PenStyle = static_cast<uint8_t>(type);
  return s;
}

TJwwMoji Text(double x, double y, const char* utf8, double size = 3, int pen = 2, int kind = 2) {
  const std::string text = Sjis(utf8);
  TJwwMoji m = MakeText(x, y, x + (size + 0.5) * static_cast<double>(text.size()) / 2, y, text);
  m.SizeX = m.SizeY = size;
  m.CharSpacing = 0.5;
  m.PenColor = static_cast<uint16_t>(pen);
  m.TextKind = kind;
  return m;
}

TJwwEnko Circle(double cx, double cy, double r, int pen = 2, int type = 1) {
  TJwwEnko a = MakeArc(cx, cy, r, 0, 2 * kPi, true);
  a.PenColor = static_cast<uint16_t>(pen);
  a.PenStyle = static_cast<uint8_t>(type);
  return a;
}

void Rect(TJwwEntityLists& l, double x0, double y0, double x1, double y1, int pen = 2, int group = 0,
          int layer = 0) {
  const double xs[] = {x0, x1, x1, x0}, ys[] = {y0, y0, y1, y1};
  for (int i = 0; i < 4; ++i) {
    TJwwSen s = Line(xs[i], ys[i], xs[(i + 1) % 4], ys[(i + 1) % 4], pen);
    s.LayerGroup = static_cast<uint16_t>(group);
    s.Layer = static_cast<uint16_t>(layer);
    Add(l, s);
  }
}

// The repeat of line type t (2..9) of BaseDrawing in mm as the printer counts
// it at 600 dpi: its unit of dots, each dot whole pixels.
double RepeatMm(int t) {
  const int32_t units[8] = {4, 8, 8, 16, 32, 16, 32, 4};
  return units[t - 2] * kDotPx / kPxPerMm;
}

ProbeDrawing Probe(const char* name, const char* about, const TJwwData& d) {
  return {name, about, WriteJww(d)};
}

// Straight patterned lines: how many repeats a line holds.
ProbeDrawing DashCounts() {
  TJwwData d = BaseDrawing();
  TJwwEntityLists& e = d.Entities;
  const double repeats[] = {0.3, 0.5, 0.8, 0.99, 1.0, 1.01, 1.5, 1.99, 2.0, 2.5, 2.99, 3.0, 3.5,
                            4.0, 4.01, 5.5, 7.5, 8.98, 9.0, 12.0, 12.5, 20.0};
  double y = 125;
  for (double r : repeats) {
    Add(e, Line(-190, y, -190 + r * RepeatMm(2), y, 2, 2));
    y -= 5;
  }
  // Every other type at a short, a middling and a long length.
  y = 125;
  for (int t = 3; t <= 9; ++t) {
    for (double r : {0.5, 1.0, 2.5, 4.0}) {
      if (-40 + r * RepeatMm(t) > 200) continue;
      Add(e, Line(-40, y, -40 + r * RepeatMm(t), y, 2, t));
      y -= 5;
    }
  }
  // Slanted and upright lines of type 2 and 6.
  for (int k = 0; k < 4; ++k) {
    const double a = (15 + 20 * k) * kPi / 180, len = (3.0 + k) * RepeatMm(2);
    Add(e, Line(-190 + 25 * k, -125, -190 + 25 * k + len * std::cos(a), -125 + len * std::sin(a), 2, 2));
  }
  Add(e, Line(-60, -125, -60, -125 + 2.5 * RepeatMm(6), 2, 6));
  return Probe("dash-counts", "straight lines of every patterned type at whole, near-whole and part counts", d);
}

// Short lines of every type: shorter than one repeat.
// Type 2 lines of four repeats at every 5 degrees from level to upright,
// a row each a little short of, at and a little past the whole count (-0.6
// to +0.6 px at 600 dpi), and a row at the whole count starting off the
// pixel grid: where a slanted line's count of repeats changes.
ProbeDrawing DashAngles() {
  TJwwData d = BaseDrawing();
  TJwwEntityLists& e = d.Entities;
  const double rows[][2] = {{-0.6, 0}, {-0.3, 0}, {0, 0}, {0.3, 0}, {0.6, 0}, {0, 0.37}};
  for (int j = 0; j < 6; ++j) {
    const double len = (4 * 4 * kDotPx + rows[j][0]) / kPxPerMm, shift = rows[j][1] / kPxPerMm;
    for (int i = 0; i <= 18; ++i) {
      const double a = 5.0 * i * kPi / 180;
      const double x = -200 + 21.0 * i + shift, y = 120 - 45.0 * j + shift;
      Add(e, Line(x, y, x + len * std::cos(a), y + len * std::sin(a), 2, 2));
    }
  }
  return Probe("dash-angles", "type 2 lines of 4 repeats at 0 to 90 degrees, -0.6 to +0.6 px off the whole count", d);
}

// Lines of exactly 4 repeats of type 2 in a drawing printed about the
// point (40, -30): rows across the drawing's origin and across the page's
// centre, level and upright, at steps of 0.7 mm: where the printer counts a
// pattern's pixels from.
ProbeDrawing DashOrigin() {
  TJwwData d = BaseDrawing();
  d.PrinterOriginX = 40;
  d.PrinterOriginY = -30;
  TJwwEntityLists& e = d.Entities;
  const double len = 4 * 4 * kDotPx / kPxPerMm;
  for (int k = 0; k < 10; ++k) {
    const double f = 0.7 * k;
    Add(e, Line(-10 + f, 60 + 4 * k, -10 + f + len, 60 + 4 * k, 2, 2));     // across x 0
    Add(e, Line(30 + f, 60 + 4 * k, 30 + f + len, 60 + 4 * k, 2, 2));      // across x 40
    Add(e, Line(-150 + 4 * k, -10 + f, -150 + 4 * k, -10 + f + len, 2, 2));  // across y 0
    Add(e, Line(-100 + 4 * k, -40 + f, -100 + 4 * k, -40 + f + len, 2, 2));  // across y -30
  }
  return Probe("dash-origin", "type 2 lines of 4 repeats across the drawing's origin and the page's centre", d);
}

ProbeDrawing DashShort() {
  TJwwData d = BaseDrawing();
  TJwwEntityLists& e = d.Entities;
  double y = 125;
  for (int t = 2; t <= 9; ++t) {
    double x = -190;
    for (double r : {0.2, 0.35, 0.5, 0.7, 0.9}) {
      Add(e, Line(x, y, x + r * RepeatMm(t), y, 2, t));
      x += RepeatMm(t) + 5;
    }
    y -= 8;
  }
  return Probe("dash-short", "lines shorter than one repeat of their pattern, every type", d);
}

// A line type whose unit of dots does not divide 32.
ProbeDrawing DashUnit12() {
  TJwwData d = BaseDrawing();
  d.LineTypes[0] = {0xFE6A5C93, 12, 1, 10};  // type 2: a 12-dot unit of uneven runs
  d.LineTypes[1] = {0xF0F0F0F0, 12, 1, 10};  // type 3
  d.LineTypes[2] = {0xFFFF0000, 20, 1, 10};  // type 4: 20 dots
  TJwwEntityLists& e = d.Entities;
  double y = 120;
  for (int t = 2; t <= 4; ++t) {
    for (double len : {385.0, 100.0, 31.0, 7.0}) {
      Add(e, Line(-192.5, y, -192.5 + len, y, 2, t));
      y -= 6;
    }
  }
  return Probe("dash-unit12", "line types whose unit of dots (12, 20) does not divide 32", d);
}

// Patterned lines crossing the sheet's edge.
ProbeDrawing DashEdge() {
  TJwwData d = BaseDrawing();
  TJwwEntityLists& e = d.Entities;
  double y = 120;
  for (double r : {3.0, 5.5, 8.98, 9.0, 9.02, 14.5}) {
    Add(e, Line(-400, y, -210 + r * RepeatMm(2), y, 2, 2));
    Add(e, Line(210 - r * RepeatMm(6), y - 3, 420, y - 3, 2, 6));
    y -= 10;
  }
  Add(e, Line(-150, -300, -150, -148.5 + 6.5 * RepeatMm(2), 2, 2));
  Rect(e, -100, -50, 100, 50, 1);
  // The same counts with a wide pen (pen 5: 10 px) and a thin one (pen 1: 2 px).
  y = -60;
  for (int pen : {5, 1}) {
    for (double r : {2.99, 3.0, 8.97, 8.98, 8.99}) {
      Add(e, Line(-400, y, -210 + r * RepeatMm(2), y, pen, 2));
      y -= 5;
    }
  }
  return Probe("dash-edge", "patterned lines that cross the sheet's edge", d);
}

// Patterned circles, arcs and ellipses.
ProbeDrawing DashCurves() {
  TJwwData d = BaseDrawing();
  TJwwEntityLists& e = d.Entities;
  const double radii[] = {5, 10, 17, 23, 29, 44};
  double x = -180;
  for (double r : radii) {
    Add(e, Circle(x + r, 80, r, 2, 2));
    x += 2 * r + 6;
  }
  x = -180;
  for (double r : {17.0, 29.0, 44.0}) {
    Add(e, Circle(x + r, -5, r, 2, 6));
    x += 2 * r + 6;
  }
  TJwwEnko arc = MakeArc(120, -5, 44, 0.3, 2.2);
  arc.PenColor = 2;
  arc.PenStyle = 2;
  Add(e, arc);
  TJwwEnko ellipse = Circle(-130, -95, 44, 2, 2);
  ellipse.Flatness = 0.5;
  ellipse.TiltAngle = 0.4;
  Add(e, ellipse);
  Add(e, Circle(-20, -95, 30, 5, 2));
  Add(e, Circle(60, -95, 30, 2, 3));
  Add(e, Circle(150, -95, 30, 2, 9));
  return Probe("dash-curves", "patterned circles (r 5 to 44 mm), arcs and ellipses", d);
}

// Patterned circles, one parameter at a time: concentric circles of one line
// type over a range of radii.
ProbeDrawing CurveRadii(int type) {
  TJwwData d = BaseDrawing();
  TJwwEntityLists& e = d.Entities;
  for (double r : {8.0, 12.0, 17.0, 21.0, 25.0, 30.0, 36.0, 44.0, 52.0, 62.0, 74.0, 88.0, 104.0, 120.0, 140.0})
    Add(e, Circle(0, 0, r, 2, type));
  const std::string t = std::to_string(type);
  return Probe(("curve-radii-" + t).c_str(), ("concentric circles of line type " + t + ", r 8 to 140 mm").c_str(), d);
}

// Where the chord step changes: type 2 circles 1 mm apart about 48 mm, 2 mm
// apart about 130 mm.
ProbeDrawing CurveBands() {
  TJwwData d = BaseDrawing();
  TJwwEntityLists& e = d.Entities;
  for (double r = 44; r <= 52; r += 1) Add(e, Circle(-150, 0, r, 2, 2));
  for (double r = 120; r <= 140; r += 2) Add(e, Circle(65, 0, r, 2, 2));
  return Probe("curve-bands", "concentric circles of line type 2 about r 48 and 130 mm", d);
}

// Patterned curves in mirrored insertions: a type-7 arc of r 12 from 60
// degrees sweeping 200, a type-2 circle of r 15, a type-3 arc of r 28 and a
// tilted type-6 half ellipse, inserted plain, mirrored in x, in y, turned
// half round (both scales negative) and mirrored in x turned 40 degrees.
ProbeDrawing DashMirrored() {
  TJwwData d = BaseDrawing();
  TJwwBlockDef b;
  b.Number = 1;
  b.Name = "curves";
  TJwwEnko arc = MakeArc(0, 0, 12, 60 * kPi / 180, 200 * kPi / 180);
  arc.PenColor = 2;
  arc.PenStyle = 7;
  Add(b.Entities, arc);
  Add(b.Entities, Circle(0, -40, 15, 2, 2));
  TJwwEnko wide = MakeArc(0, 0, 28, 10 * kPi / 180, 130 * kPi / 180);
  wide.PenColor = 2;
  wide.PenStyle = 3;
  Add(b.Entities, wide);
  TJwwEnko half = MakeArc(0, -85, 25, 0.2, kPi);
  half.Flatness = 0.5;
  half.TiltAngle = 0.5;
  half.PenColor = 2;
  half.PenStyle = 6;
  Add(b.Entities, half);
  d.BlockDefs = {b};
  const double sx[] = {1, -1, 1, -1, -1}, sy[] = {1, 1, -1, -1, 1}, turn[] = {0, 0, 0, 0, 40};
  for (int i = 0; i < 5; ++i) Add(d.Entities, MakeInsert(1, -160 + 80 * i, 0, sx[i], sy[i], turn[i] * kPi / 180));
  return Probe("dash-mirrored", "patterned arcs, circles and ellipses in mirrored insertions", d);
}

std::vector<ProbeDrawing> CurveProbes() {
  return {CurveRadii(2), CurveRadii(6), CurveBands(), DashMirrored()};
}

// Colour printing on or off: display-only layers and groups, a pen whose
// printer colour is white, coloured pens, solids and texts.
TJwwData ColourDrawing(bool colour) {
  TJwwData d = BaseDrawing();
  d.Kept.DrawState[5] = colour ? 1 : 0;
  d.Pens[1].PrinterColor = 0x0000FF;   // red
  d.Pens[3].PrinterColor = 0xFFFFFF;   // white
  d.Pens[4].PrinterColor = 0xFF8000;   // blue
  d.Pens[9].PrinterColor = 0x00C0FF;   // the display-only colour: orange
  d.LayerGroups[1].State = 1;          // group 1 display only
  d.Layers[2].State = 1;               // layer 0-2 display only
  TJwwEntityLists& e = d.Entities;
  double y = 120;
  for (int pen : {1, 2, 3, 4, 5, 9}) {
    for (int k = 0; k < 3; ++k) Add(e, Line(-190, y - k, -60, y - k, pen));
    Add(e, Text(-50, y - 3, "Pen 文字", 4, pen));
    TJwwSolid s = MakeSolid(40, y - 4, 80, y - 4, 80, y, 40, y);
    s.PenColor = static_cast<uint16_t>(pen);
    Add(e, s);
    y -= 12;
  }
  for (int k = 0; k < 3; ++k) {
    TJwwSen s = Line(-190, y - k, -60, y - k, 4);
    s.Layer = 2;
    Add(e, s);
    TJwwSen g = Line(-40, y - k, 90, y - k, 4);
    g.LayerGroup = 1;
    Add(e, g);
  }
  TJwwMoji t = Text(100, y - 3, "表示のみ", 4, 2);
  t.LayerGroup = 1;
  Add(e, t);
  TJwwSolid own = MakeSolid(120, 100, 180, 100, 180, 120, 120, 120);
  own.PenColor = 10;
  own.SolidColor = 0x00FF00;
  Add(e, own);
  TJwwSolid ownWhite = MakeSolid(120, 70, 180, 70, 180, 90, 120, 90);
  ownWhite.PenColor = 10;
  ownWhite.SolidColor = 0xFFFFFF;
  Add(e, ownWhite);
  Rect(e, 118, 68, 182, 92, 2);
  for (int pen : {101, 102, 108}) {
    y -= 10;
    for (int k = 0; k < 3; ++k) Add(e, Line(-190, y - k, -60, y - k, pen));
  }
  return d;
}

// Widths stored on the entities, in a drawing of widths in dots and in one of
// 1/100 mm.
TJwwData WidthDrawing(int32_t maxDrawWidth) {
  TJwwData d = BaseDrawing();
  d.MaxDrawWidth = maxDrawWidth;
  TJwwEntityLists& e = d.Entities;
  const int widths[] = {0, 1, 5, 10, 25, 50, 100, 200};
  double x = -180;
  for (int w : widths) {
    TJwwSen s = Line(x, 120, x, 20, 2);
    s.PenWidth = static_cast<uint16_t>(w);
    Add(e, s);
    TJwwSen h = Line(x - 8, -40 - x / 4, x + 8, -40 - x / 4, 5);
    h.PenWidth = static_cast<uint16_t>(w);
    Add(e, h);
    TJwwEnko a = Circle(x, -20, 8, 2);
    a.PenWidth = static_cast<uint16_t>(w);
    Add(e, a);
    TJwwTen p = MakePoint(x, -100);
    p.PenColor = 2;
    p.PenWidth = static_cast<uint16_t>(w);
    Add(e, p);
    x += 45;
  }
  return d;
}

// Nested blocks: a block of insertions on shown layers, itself inserted on a
// shown layer, a hidden layer, a hidden group and a display-only layer.
ProbeDrawing NestedBlocks() {
  TJwwData d = BaseDrawing();
  d.Layers[1].State = 0;      // layer 0-1 hidden
  d.LayerGroups[2].State = 0; // group 2 hidden
  d.Layers[3].State = 1;      // layer 0-3 display only
  TJwwBlockDef square;
  square.Number = 1;
  square.Name = "square";
  Rect(square.Entities, -10, -10, 10, 10, 2);
  Add(square.Entities, Circle(0, 0, 5, 2));
  TJwwBlockDef pair;
  pair.Number = 2;
  pair.Name = "pair";
  Add(pair.Entities, MakeInsert(1, -15, 0));
  Add(pair.Entities, MakeInsert(1, 15, 0));
  Add(pair.Entities, Line(-25, -15, 25, -15, 2));
  TJwwBlockDef hiddenInside;  // an insertion on a hidden layer inside
  hiddenInside.Number = 3;
  hiddenInside.Name = "hidden-inside";
  TJwwBlock inner = MakeInsert(1, 0, 0);
  inner.Layer = 1;
  Add(hiddenInside.Entities, inner);
  Add(hiddenInside.Entities, Line(-15, -15, 15, -15, 2));
  d.BlockDefs = {square, pair, hiddenInside};
  TJwwEntityLists& e = d.Entities;
  const struct {
    int group, layer;
    double y;
    const char* label;
  } rows[] = {{0, 0, 100, "shown"}, {0, 1, 50, "hidden layer"}, {2, 0, 0, "hidden group"}, {0, 3, -50, "display only"}};
  for (const auto& r : rows) {
    TJwwBlock b = MakeInsert(2, -120, r.y);
    b.LayerGroup = static_cast<uint16_t>(r.group);
    b.Layer = static_cast<uint16_t>(r.layer);
    Add(e, b);
    TJwwBlock h = MakeInsert(3, 0, r.y);
    h.LayerGroup = static_cast<uint16_t>(r.group);
    h.Layer = static_cast<uint16_t>(r.layer);
    Add(e, h);
    Add(e, Text(60, r.y, r.label, 4));
  }
  return Probe("nested-blocks", "blocks of insertions placed on shown, hidden and display-only layers", d);
}

// Widths in dots and in 1/100 mm.
ProbeDrawing WidthsDots() {
  return Probe("width-dots", "widths stored on lines, circles, points in a drawing of dot widths", WidthDrawing(100));
}
ProbeDrawing WidthsHundredths() {
  return Probe("width-hundredths", "the same in a drawing of widths in 1/100 mm", WidthDrawing(-300));
}

// Dimensions inside blocks, and point marks in mirrored, turned insertions.
// Coordinates are paper mm; the group's scale 1/100 makes the 30 mm
// dimension 3000.
ProbeDrawing DimensionsInBlocks() {
  TJwwData d = BaseDrawing();
  d.LayerGroups[0].Scale = 100;
  TJwwBlockDef dim;
  dim.Number = 1;
  dim.Name = "dim";
  TJwwSunpou s = MakeDimension(0, 0, 30, 0, "3000");
  s.DimLine.PenColor = s.DimText.PenColor = 2;
  s.DimText.StartX = 13;
  s.DimText.EndX = 17;
  s.DimText.SizeX = s.DimText.SizeY = 3;
  Add(dim.Entities, s);
  TJwwTen arrow = MakePoint(0, 0);
  arrow.PenStyle = 100;
  arrow.Code = 3;
  arrow.PenColor = 2;
  Add(dim.Entities, arrow);
  TJwwTen arrow2 = arrow;
  arrow2.X = 30;
  arrow2.Angle = kPi;
  Add(dim.Entities, arrow2);
  TJwwBlockDef outer;
  outer.Number = 2;
  outer.Name = "outer";
  Add(outer.Entities, MakeInsert(1, 0, 0, -1, 1, 0.5));
  d.BlockDefs = {dim, outer};
  TJwwEntityLists& e = d.Entities;
  TJwwSunpou top = s;
  for (TJwwSen* l : {&top.DimLine, &top.AuxLine1, &top.AuxLine2}) l->StartY += 100, l->EndY += 100;
  top.DimText.StartY += 100;
  top.DimText.EndY += 100;
  Add(e, top);
  Add(e, MakeInsert(1, -150, 80));
  Add(e, MakeInsert(1, 0, 80, 1, 1, 0.3));
  Add(e, MakeInsert(1, -150, 0, -1, 1, 0));
  Add(e, MakeInsert(2, 50, 0));
  Add(e, MakeInsert(2, 100, -50, 1, -1, 1.0));
  return Probe("dim-blocks", "dimensions inside unscaled, turned and mirrored insertions at 1/100", d);
}

// Texts: large titles, multi-line notes, bold kinds.
ProbeDrawing Texts() {
  TJwwData d = BaseDrawing();
  TJwwEntityLists& e = d.Entities;
  Add(e, Text(-190, 110, "玄関開口・仕様書", 10, 2, 10));
  Add(e, Text(-190, 90, "玄関開口・仕様書", 7, 2, 8));
  Add(e, Text(-190, 75, "ABC 123 あいう", 5, 2, 6));
  for (int i = 0; i < 6; ++i) Add(e, Text(40, 110 - 5.5 * i, "注記の行 仕上げ 12.5mm", 3.5, 2, 4));
  int y = 40;
  for (int kind : {1, 5, 6, 10005}) {
    Add(e, Text(-190, y, "文字種 ABC abc 123", 5, 2, kind));
    y -= 12;
  }
  return Probe("texts", "large titles, multi-line notes and the plain and italic kinds", d);
}

// The bold kinds beside a plain one. Jw_cad under Wine prints them plain
// (30005 italic only): its printer driver sends the IPA fonts, which have no
// bold face, as they are stored, without the emboldening Windows applies to
// a face without one. Ours prints them bold.
ProbeDrawing TextBold() {
  TJwwData d = BaseDrawing();
  TJwwEntityLists& e = d.Entities;
  int y = 40;
  for (int kind : {5, 20005, 20006, 30005}) {
    Add(e, Text(-190, y, "文字種 ABC abc 123", 5, 2, kind));
    y -= 12;
  }
  return Probe("text-bold", "the bold kinds (Jw_cad under Wine: plain)", d);
}


// ---- Text placement probes: where each character cell lands in device
// pixels, and at what size, swept over sub-pixel positions and sizes.

// A text of height h, cell width w and spacing s at (x, y), turned by deg.
TJwwMoji TextCell(double x, double y, const char* utf8, double h, double w, double s, double deg = 0) {
  const std::string text = Sjis(utf8);
  const double length = (w + s) * static_cast<double>(text.size()) / 2;
  const double a = deg * kPi / 180;
  TJwwMoji m = MakeText(x, y, x + length * std::cos(a), y + length * std::sin(a), text);
  m.SizeX = w;
  m.SizeY = h;
  m.CharSpacing = s;
  m.TextAngle = deg;
  m.PenColor = 2;
  m.TextKind = 4;
  return m;
}

// Heights from 1.5 to 11.25 mm in quarter steps, each at its own sub-pixel
// offset (0.0173 mm a step, 16 px in all) in x and y.
ProbeDrawing TextSizes() {
  TJwwData d = BaseDrawing();
  TJwwEntityLists& e = d.Entities;
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 10; ++r) {
      const int k = c * 10 + r;
      const double off = 0.0173 * k;
      const double x = -200 + 100 * c + off, y = 125 - 25 * r + off, h = 1.5 + 0.25 * k;
      Add(e, TextCell(x, y, "文字Ab1", h, h, 0.5));
      // Lines through the cell's top and left edges, beside it: the same
      // coordinates as lines round them.
      Add(e, Line(x - 6, y + h, x - 2, y + h));
      Add(e, Line(x, y - 6, x, y - 2));
    }
  return Probe("text-sizes", "text heights 1.5 to 11.25 mm at sub-pixel offsets: cell size and placement", d);
}

// Cell widths narrower and wider than the height. Jw_cad under Wine prints
// every row in square glyphs (the printer driver there never passes the
// font's width on; its screen shows them squeezed and stretched), so this
// page shows where ours, which fits each glyph to its cell, differs from it.
ProbeDrawing TextWidths() {
  TJwwData d = BaseDrawing();
  TJwwEntityLists& e = d.Entities;
  const double widths[] = {1.5, 2, 3, 4, 5, 6, 8, 10};
  for (int i = 0; i < 8; ++i) Add(e, TextCell(-200, 130 - 9 * i, "文字Ab12", 4, widths[i], 0.5));
  return Probe("text-widths", "text cells narrower and wider than high (Jw_cad under Wine: square glyphs)", d);
}

// Spacings, angles and lines of a note close together, at one height.
ProbeDrawing TextLines() {
  TJwwData d = BaseDrawing();
  TJwwEntityLists& e = d.Entities;
  const double spacings[] = {0, 0.25, 1, 2.7, 5};
  for (int i = 0; i < 5; ++i) Add(e, TextCell(-200, 50 - 9 * i, "文字Ab12", 4, 4, spacings[i]));
  const double angles[] = {15, 30, 45, 90, 135, 180, 225, 270, 330};
  for (int i = 0; i < 9; ++i) Add(e, TextCell(60 + 25 * (i % 3), 80 - 60 * (i / 3), "文字Ab", 4, 4, 0.5, angles[i]));
  for (int i = 0; i < 12; ++i) Add(e, TextCell(-100, 130 - 4.37 * i, "注記の行 12.5mm", 2.5, 2.5, 0));
  return Probe("text-lines", "text spacings, angles and the lines of a note close together", d);
}

// Titles of 43, 45 and 60 mm: over 1000 device pixels high at 600 dpi.
ProbeDrawing TextLarge() {
  TJwwData d = BaseDrawing();
  TJwwEntityLists& e = d.Entities;
  Add(e, Text(-200, 80, "平面図 A-1", 43, 2, 4));
  Add(e, Text(-200, 10, "断面 Ab", 45, 2, 4));
  Add(e, Text(-200, -70, "立面", 60, 2, 4));
  Add(e, Text(20, -70, "Wd", 60, 2, 4));
  return Probe("text-large", "titles of 43, 45 and 60 mm, over 1000 device pixels high", d);
}

// Vertical texts (written down the page): half-width letters and digits,
// full-width ones, and the characters that have vertical forms.
ProbeDrawing TextVertical() {
  TJwwData d = BaseDrawing();
  TJwwEntityLists& e = d.Entities;
  const char* texts[] = {"t=16", "PB", "D13@", "縦書き", "ボード", "（仕上）", "〜…「」", "A縦b字12", "ー－—―"};
  for (int i = 0; i < 9; ++i) {
    const std::string t = Sjis(texts[i]);
    const double size = 5, spacing = 0.5;
    // As the CAD program stores them: the base line down the page, as long
    // as the cells and the gaps between them.
    double length = 0;
    for (size_t k = 0; k < t.size();) {
      const auto b = static_cast<unsigned char>(t[k]);
      const bool full = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
      k += full ? 2 : 1;
      length += (full ? size : size / 2) + (k < t.size() ? (full ? spacing : spacing / 2) : 0);
    }
    const double x = -190 + 40 * i, y = 120;
    TJwwMoji m = MakeText(x, y, x, y - length, t);
    m.SizeX = m.SizeY = size;
    m.CharSpacing = spacing;
    m.TextAngle = -90;
    m.Flags = 0x0020;
    m.PenColor = 2;
    m.TextKind = 4;
    Add(e, m);
    Add(e, Line(x - 3, y, x + 3, y));
  }
  return Probe("text-vertical", "vertical texts: half-width characters and vertical forms", d);
}

// Point marks of codes outside the table (12, 20, 100, -3, -8), beside
// ordinary points (0) and marks of the table (3, 7), in pens 2, 4 and 6,
// at mark scales 1 and 2.
ProbeDrawing PointCodes() {
  TJwwData d = BaseDrawing();
  const int codes[] = {0, 12, 20, 100, -3, -8, 3, 7};
  const int pens[] = {2, 4, 6};
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 6; ++c) {
      TJwwTen m = MakePoint(-180 + 30 * c, 120 - 30 * r);
      m.PenStyle = 100;
      m.Code = codes[r];
      m.PenColor = static_cast<uint16_t>(pens[c % 3]);
      m.PointScale = c < 3 ? 1 : 2;
      Add(d.Entities, m);
      TJwwTen plain = MakePoint(m.X + 10, m.Y);
      plain.PenColor = m.PenColor;
      Add(d.Entities, plain);
    }
  return Probe("point-codes", "point marks of codes outside the table beside ordinary points", d);
}

// A version-4.20 drawing of printer resolution code 1: lines of pens 1 to 8
// (widths 1 to 8 dots) and patterned lines of types 2 to 5.
ProbeDrawing Pens420() {
  TJwwData d = BaseDrawing();
  d.Version = 420;
  for (int pen = 1; pen <= 8; ++pen) Add(d.Entities, Line(-190, 130 - 12 * pen, 0, 130 - 12 * pen, pen));
  for (int t = 2; t <= 5; ++t) Add(d.Entities, Line(20, 130 - 12 * t, 190, 130 - 12 * t, 2, t));
  return Probe("pens-420", "a version-4.20 drawing of resolution code 1: pen widths and patterns", d);
}

// ---------------------------------------------------------------------------
// Dimensions and point marks inside blocks. Every drawing is at 1/100, so a
// 25 mm dimension line measures 2500; the stored texts ("1234", "77") tell a
// value measured anew from one kept.

// A dimension along x from the origin, its stored text centred above it in
// cells of 3 mm, with the flag word `flags`.
TJwwSunpou DimensionAlongX(double length, uint16_t flags, const char* stored) {
  TJwwSunpou s = MakeDimension(0, 0, length, 0, stored);
  s.DimLine.PenColor = s.DimText.PenColor = 2;
  const double w = 1.5 * static_cast<double>(std::string(stored).size());
  s.DimText.StartX = length / 2 - w / 2;
  s.DimText.EndX = length / 2 + w / 2;
  s.DimText.SizeX = s.DimText.SizeY = 3;
  s.DimText.CharSpacing = 0;
  s.DimText.PenWidth = flags;
  return s;
}

TJwwBlockDef BlockOf(int number, const TJwwSunpou& s) {
  TJwwBlockDef b;
  b.Number = number;
  b.Name = "d" + std::to_string(number);
  Add(b.Entities, s);
  return b;
}

TJwwData DimensionDrawing() {
  TJwwData d = BaseDrawing();
  d.LayerGroups[0].Scale = 100;
  return d;
}

// One insertion per turn (0..300 degrees), plain, mirrored in x and in y.
ProbeDrawing DimensionTurns() {
  TJwwData d = DimensionDrawing();
  d.BlockDefs = {BlockOf(1, DimensionAlongX(25, 0, "1234"))};
  const double turns[] = {0, 60, 120, 180, 240, 300};
  for (int row = 0; row < 3; ++row)
    for (int i = 0; i < 6; ++i) {
      const double sx = row == 1 ? -1 : 1, sy = row == 2 ? -1 : 1;
      Add(d.Entities, MakeInsert(1, -170 + 65 * i, 90 - 85 * row, sx, sy, turns[i] * kPi / 180));
    }
  return Probe("dim-turns", "dimensions in turned insertions, plain and mirrored in x and y", d);
}

// Flag words (rows) by lengths 2500, 1234.56, 12.34 and 0 (columns).
ProbeDrawing DimensionValues() {
  TJwwData d = DimensionDrawing();
  const uint16_t flags[] = {0, 0x0002, 0x0042, 0x2042, 0x20C2, 0x0082, 0x000A, 0x0022, 0x0032, 0x2002};
  const double lengths[] = {25, 12.3456, 0.1234, 0};
  int n = 0;
  for (int i = 0; i < 10; ++i)
    for (int j = 0; j < 4; ++j) {
      d.BlockDefs.push_back(BlockOf(++n, DimensionAlongX(lengths[j], flags[i], "77")));
      Add(d.Entities, MakeInsert(n, -190 + 100 * j, 130 - 26 * i));
    }
  return Probe("dim-values", "values measured in blocks by their flag words, lengths 2500 to 0", d);
}

// Lengths that need decimals, with the drawing's dimension settings as given.
ProbeDrawing DimensionSettings(const char* name, const char* about, std::array<int32_t, 5> settings) {
  TJwwData d = DimensionDrawing();
  d.DimensionSettings = settings;
  const double lengths[] = {0.123456, 0.12305, 25.0001, 0.001, 0.004, 1.5, 12.3, 0.12345};
  for (int j = 0; j < 8; ++j) {
    d.BlockDefs.push_back(BlockOf(j + 1, DimensionAlongX(lengths[j], 0, "77")));
    Add(d.Entities, MakeInsert(j + 1, -190 + 200 * (j / 4), 120 - 40 * (j % 4)));
  }
  return Probe(name, about, d);
}

// A filled point mark before and after a dimension and a line, in blocks
// (left) and at top level (middle).
ProbeDrawing DimensionOrder() {
  TJwwData d = DimensionDrawing();
  TJwwTen mark = MakePoint(0, 0);
  mark.PenStyle = 100;
  mark.Code = 3;
  mark.PenColor = 2;
  TJwwBlockDef a, b, c;
  a.Number = 1;
  a.Name = "mark-dim";
  Add(a.Entities, mark);
  Add(a.Entities, DimensionAlongX(25, 0, "77"));
  b.Number = 2;
  b.Name = "dim-mark";
  Add(b.Entities, DimensionAlongX(25, 0, "77"));
  Add(b.Entities, mark);
  c.Number = 3;
  c.Name = "line-mark";
  Add(c.Entities, Line(0, 0, 25, 0));
  Add(c.Entities, mark);
  d.BlockDefs = {a, b, c};
  Add(d.Entities, MakeInsert(1, -150, 100));
  Add(d.Entities, MakeInsert(2, -150, 50));
  Add(d.Entities, MakeInsert(3, -150, 0));
  TJwwTen topMark = mark;
  topMark.Y = 100;
  Add(d.Entities, topMark);
  TJwwSunpou top = DimensionAlongX(25, 0, "77");
  top.DimLine.StartY = top.DimLine.EndY = 100;
  top.DimText.StartY = top.DimText.EndY = 101;
  Add(d.Entities, top);
  Add(d.Entities, Line(0, 50, 25, 50));
  topMark.Y = 50;
  Add(d.Entities, topMark);
  return Probe("dim-order", "filled point marks before and after dimensions, in blocks and at top level", d);
}

// Arrow marks (a filled triangle at the end, an open arrow across the
// middle at 90 degrees) with a dimension, turned, mirrored and nested.
ProbeDrawing DimensionMarks() {
  TJwwData d = DimensionDrawing();
  TJwwBlockDef b;
  b.Number = 1;
  b.Name = "marks";
  Add(b.Entities, Line(0, 0, 25, 0));
  for (int code : {1, 9}) {
    TJwwTen m = MakePoint(code == 1 ? 25 : 12, 0);
    m.PenStyle = 100;
    m.Code = code;
    m.PenColor = 2;
    m.Angle = code == 1 ? 0 : kPi / 2;
    Add(b.Entities, m);
  }
  Add(b.Entities, DimensionAlongX(25, 0, "77"));
  TJwwBlockDef o1, o2;
  o1.Number = 2;
  o1.Name = "mirrored-x";
  Add(o1.Entities, MakeInsert(1, 0, 0, -1, 1, 0.5));
  o2.Number = 3;
  o2.Name = "mirrored-y";
  Add(o2.Entities, MakeInsert(1, 0, 0, 1, -1, 0.5));
  d.BlockDefs = {b, o1, o2};
  const double turns[] = {0, 60, 150, 240};
  for (int row = 0; row < 3; ++row)
    for (int i = 0; i < 4; ++i) {
      const double sx = row == 1 ? -1 : 1, sy = row == 2 ? -1 : 1;
      Add(d.Entities, MakeInsert(1, -170 + 65 * i, 100 - 60 * row, sx, sy, turns[i] * kPi / 180));
    }
  Add(d.Entities, MakeInsert(2, -150, -100));
  Add(d.Entities, MakeInsert(2, -80, -100, 1, -1, 1.0));
  Add(d.Entities, MakeInsert(2, -10, -100, -1, 1, 1.0));
  Add(d.Entities, MakeInsert(3, 60, -100, 1, 1, 2.0));
  Add(d.Entities, MakeInsert(3, 130, -100, -1, 1, 0));
  return Probe("dim-marks", "arrow marks and dimensions in turned, mirrored and nested insertions", d);
}

// Chains of insertions, outermost first: (scale x, scale y, turn in degrees).
struct Insertion {
  double sx, sy, turn;
};
ProbeDrawing DimensionChains(const char* name, const char* about, const std::vector<std::vector<Insertion>>& chains) {
  TJwwData d = DimensionDrawing();
  d.BlockDefs.push_back(BlockOf(1, DimensionAlongX(25, 0, "77")));
  int n = 1;
  for (size_t k = 0; k < chains.size(); ++k) {
    const std::vector<Insertion>& chain = chains[k];
    int inner = 1;
    for (size_t level = chain.size(); level-- > 1;) {
      TJwwBlockDef o;
      o.Number = ++n;
      o.Name = "n" + std::to_string(n);
      const Insertion& i = chain[level];
      Add(o.Entities, MakeInsert(inner, 0, 0, i.sx, i.sy, i.turn * kPi / 180));
      d.BlockDefs.push_back(o);
      inner = n;
    }
    const double x = -150 + 100 * static_cast<double>(k % 4), y = 100 - 80 * static_cast<double>(k / 4);
    Add(d.Entities, MakeInsert(inner, x, y, chain[0].sx, chain[0].sy, chain[0].turn * kPi / 180));
  }
  return Probe(name, about, d);
}

// Plain texts in mirrored insertions, turned and nested: read from left to
// right like the dimensions' texts.
ProbeDrawing BlockTexts() {
  TJwwData d = BaseDrawing();
  TJwwBlockDef b;
  b.Number = 1;
  b.Name = "text";
  TJwwMoji m = MakeText(0, 1, 12, 1, "ABCD");
  m.SizeX = m.SizeY = 3;
  m.PenColor = 2;
  Add(b.Entities, m);
  Add(b.Entities, Line(0, 0, 25, 0));
  TJwwBlockDef o;
  o.Number = 2;
  o.Name = "mirrored-x";
  Add(o.Entities, MakeInsert(1, 0, 0, -1, 1, 0.5));
  d.BlockDefs = {b, o};
  Add(d.Entities, MakeInsert(1, -150, 80, 1, -1, 0));
  Add(d.Entities, MakeInsert(1, -80, 80, -1, 1, 2.5));
  Add(d.Entities, MakeInsert(2, 0, 80, 1, -1, 1.0));
  Add(d.Entities, MakeInsert(1, 80, 80, 1, -1, 2.0));
  return Probe("block-texts", "plain texts in mirrored, turned and nested insertions", d);
}

// A dimension of 43.21 mm drawn on group 1 (1/1) in blocks inserted on
// group 0 (1/30), group 2 (1/150) and group 1, plain, scaled 1.5 and 0.75
// turned 270 degrees, and nested: whose group's scale measures the value.
ProbeDrawing DimensionGroups() {
  TJwwData d = BaseDrawing();
  d.LayerGroups[0].Scale = 30;
  d.LayerGroups[1].Scale = 1;
  d.LayerGroups[2].Scale = 150;
  auto onGroup1 = [](TJwwSunpou s) {
    for (TJwwEntityBase* e : {static_cast<TJwwEntityBase*>(&s), static_cast<TJwwEntityBase*>(&s.DimLine),
                              static_cast<TJwwEntityBase*>(&s.DimText), static_cast<TJwwEntityBase*>(&s.AuxLine1),
                              static_cast<TJwwEntityBase*>(&s.AuxLine2)})
      e->LayerGroup = 1;
    return s;
  };
  d.BlockDefs = {BlockOf(1, onGroup1(DimensionAlongX(43.21, 0, "77"))),
                 BlockOf(2, onGroup1(DimensionAlongX(43.21, 0x0002, "77")))};
  TJwwBlockDef nest;
  nest.Number = 3;
  nest.Name = "nest";
  TJwwBlock inner = MakeInsert(1, 0, 0);
  inner.LayerGroup = 2;
  Add(nest.Entities, inner);
  d.BlockDefs.push_back(nest);
  struct Row {
    int group;
    double scale, turn;
  };
  const Row rows[] = {{0, 1, 0}, {0, 1.5, 0}, {0, 0.75, 270}, {2, 1, 0}, {1, 1, 0}};
  for (int i = 0; i < 5; ++i)
    for (int block = 1; block <= 2; ++block) {
      TJwwBlock b = MakeInsert(block, -190 + 80 * i, block == 1 ? 80 : 0, rows[i].scale, rows[i].scale,
                               rows[i].turn * kPi / 180);
      b.LayerGroup = static_cast<uint16_t>(rows[i].group);
      Add(d.Entities, b);
    }
  TJwwBlock outer = MakeInsert(3, -190, -80);
  Add(d.Entities, outer);
  return Probe("dim-groups", "dimensions drawn at 1/1 in blocks inserted on groups of 1/30 and 1/150", d);
}

std::vector<ProbeDrawing> DimensionProbes() {
  std::vector<ProbeDrawing> v = {DimensionTurns(), DimensionValues()};
  v.push_back(DimensionSettings("dim-decimals", "lengths with decimals by the drawing's dimension settings",
                                {2002111, 5, 50150030, 11000000, 4100}));
  v.push_back(DimensionSettings("dim-no-separators", "the same with the settings' thousands separators off",
                                {2002111, 5, 50150030, 0, 4100}));
  v.push_back(DimensionOrder());
  v.push_back(DimensionGroups());
  v.push_back(BlockTexts());
  v.push_back(DimensionMarks());
  v.push_back(DimensionChains("dim-nested", "dimensions in chains of plain and mirrored insertions",
                              {{{1, 1, 0}, {-1, 1, 0}},
                               {{-1, 1, 0}, {1, 1, 0}},
                               {{1, -1, 0}, {1, -1, 0}},
                               {{1, 1, 90}, {1, -1, 0}},
                               {{1, 1, 0}, {1, 1, 0}, {-1, 1, 0}},
                               {{-1, -1, 0}},
                               {{1, 1, 0}, {-1, -1, 0}},
                               {{-1, 1, 0}, {-1, 1, 0}}}));
  v.push_back(DimensionChains("dim-scaled",
                              "dimensions in insertions scaled 2, (2, 1), 0.5 and turned in a scaled one",
                              {{{2, 2, 0}, {1, 1, 0}}, {{2, 1, 0}, {1, 1, 0}}, {{0.5, 0.5, 0}}, {{1, 1, 0}, {2, 2, 30}}}));
  return v;
}

// Solid lines just inside and just outside the sheet's four edges, offset in
// device pixels at 600 dpi: how far past the edge a line still prints.
ProbeDrawing SheetEdge() {
  TJwwData d = BaseDrawing();
  TJwwEntityLists& e = d.Entities;
  const double offsets[] = {-3, -1, 0, 0.5, 1, 1.5, 2, 2.5, 3, 3.5, 4, 5, 6};
  for (size_t k = 0; k < sizeof offsets / sizeof offsets[0]; ++k) {
    const double o = offsets[k] / kPxPerMm;
    const double y = 135 - 20.0 * static_cast<double>(k), x = -200 + 30.0 * static_cast<double>(k);
    Add(e, Line(-210 - o, y, -210 - o, y - 12, 5));   // left, a wide pen
    Add(e, Line(210 + o, y, 210 + o, y - 12, 2));     // right, a middling one
    Add(e, Line(x, 148.5 + o, x + 20, 148.5 + o, 5)); // top
    Add(e, Line(x, -148.5 - o, x + 20, -148.5 - o, 1)); // bottom, a thin one
  }
  return Probe("sheet-edge", "solid lines just inside and outside the sheet's edges, by device pixels", d);
}

// Solids in each pen's colour (pens 1 to 5 are 2 to 10 px wide), in their
// own colour, and arc-shaped ones (a filled circle, a sector, a ring band):
// how far the fill reaches past the corners. In a drawing of widths in
// 1/100 mm every solid also stores a width of 0.5 mm.
TJwwData SolidsDrawing(int32_t maxDrawWidth) {
  TJwwData d = BaseDrawing();
  d.MaxDrawWidth = maxDrawWidth;
  TJwwEntityLists& e = d.Entities;
  for (int pen = 1; pen <= 6; ++pen) {
    const double y = 130 - 18.0 * pen;
    TJwwSolid q = MakeSolid(-190, y, -150, y, -150, y + 6, -190, y + 6);
    q.PenColor = static_cast<uint16_t>(pen);
    Add(e, q);
    TJwwSolid t = MakeSolid(-130, y, -100, y + 2, -120, y + 10, -120, y + 10);  // a triangle
    t.PenColor = static_cast<uint16_t>(pen);
    Add(e, t);
    struct ArcSolid {
      int style;
      double x, h, start, sweep;
    };
    for (const ArcSolid& a : {ArcSolid{101, -70, 100, 0, 2 * kPi}, ArcSolid{101, -40, 0, 0.3, 2.0},
                              ArcSolid{105, -10, 3, 0.2, 3.5}}) {
      TJwwSolid c = MakeSolid(a.x, y + 4, 6, 1, 0, a.start, a.sweep, a.h);
      c.PenStyle = static_cast<uint8_t>(a.style);
      c.PenColor = static_cast<uint16_t>(pen);
      Add(e, c);
    }
  }
  TJwwSolid own = MakeSolid(40, 60, 100, 60, 100, 80, 40, 80);
  own.PenColor = 10;
  own.SolidColor = 0x404040;
  Add(e, own);
  TJwwSolid ownCircle = MakeSolid(130, 70, 8, 1, 0, 0, 2 * kPi, 100);
  ownCircle.PenStyle = 101;
  ownCircle.PenColor = 10;
  ownCircle.SolidColor = 0x404040;
  Add(e, ownCircle);
  if (maxDrawWidth < 0)
    for (TJwwSolid& solid : e.Solids) solid.PenWidth = 50;
  return d;
}

// The random (zig-zag) line types 11 to 15 and the double-length types 16
// to 19, straight at several lengths and slants, and joined into a figure.
ProbeDrawing LineKinds() {
  TJwwData d = BaseDrawing();
  TJwwEntityLists& e = d.Entities;
  double y = 130;
  for (int t = 11; t <= 19; ++t) {
    double x = -195;
    for (double len : {3.0, 12.0, 47.0, 150.0}) {
      Add(e, Line(x, y, x + len, y, 2, t));
      x += len + 8;
    }
    const double a = (10 + 8 * (t - 11)) * kPi / 180;
    Add(e, Line(60, y, 60 + 90 * std::cos(a), y - 90 * std::sin(a) * 0.2, 2, t));
    y -= 14;
  }
  // A closed square of random line 12 and of double-length type 17.
  const double sx[] = {120, 190, 190, 120}, sy[] = {-120, -120, -60, -60};
  for (int t : {12, 17})
    for (int i = 0; i < 4; ++i)
      Add(e, Line(sx[i] - (t == 17 ? 80 : 0), sy[i], sx[(i + 1) % 4] - (t == 17 ? 80 : 0), sy[(i + 1) % 4], 2, t));
  return Probe("line-kinds", "random zig-zag line types 11-15 and double-length types 16-19", d);
}

// Random lines of a plain pattern (8 dots up, 8 down) at pitches of 1 to 20
// dots and amplitudes of 1 to 8 dots: how long a dot of a zig-zag is.
ProbeDrawing RandomPitches() {
  TJwwData d = BaseDrawing();
  const int32_t pitches[5] = {1, 3, 7, 13, 20};
  for (int i = 0; i < 5; ++i) d.RandomLines[i] = {0xFF00FF00, 1, 5, 1 + 2 * i, pitches[i]};
  TJwwEntityLists& e = d.Entities;
  for (int t = 11; t <= 15; ++t) {
    const double y = 120 - 20.0 * (t - 11);
    Add(e, Line(-180, y, 180, y, 2, t));
    Add(e, Line(-180, y - 8, -150, y - 8, 2, t));
  }
  return Probe("random-pitches", "random lines of a plain pattern at pitches of 1 to 20 dots", d);
}

// A drawing whose random line type 11 is 4 dots up, 4 down at an amplitude
// of 3 printer dots and a pitch of the given printer dots.
TJwwData PlainZigZagDrawing(int32_t pitch) {
  TJwwData d = BaseDrawing();
  d.RandomLines[0] = {0xF0F0F0F0, 1, 5, 3, pitch};
  return d;
}

// Random lines of 4 dots up, 4 down (28 px dots at 600 dpi) at 0 to 90
// degrees: how a zig-zag's dots are laid along a slanted line.
ProbeDrawing ZigZagAngles() {
  TJwwData d = PlainZigZagDrawing(10);
  TJwwEntityLists& e = d.Entities;
  const double degrees[16] = {0, 1, 2, 3, 4, 5, 7, 10, 15, 20, 30, 45, 60, 80, 89, 90};
  for (int i = 0; i < 16; ++i) {
    const double a = degrees[i] * kPi / 180, x = -200 + 100 * (i % 4), y = 75 - 70 * (i / 4);
    Add(e, Line(x, y, x + 65 * std::cos(a), y + 65 * std::sin(a), 2, 11));
  }
  return Probe("zigzag-angles", "random lines of 4 dots up and 4 down at 0 to 90 degrees", d);
}

// The same at every degree from 0 to 45, at a pitch of 4 to 20 dots (a
// dashed dot of 8 to 40 px at 600 dpi): how many pixels a zig-zag's dot
// takes on the longer axis as the line slants.
ProbeDrawing ZigZagSlopes(int pitch) {
  TJwwData d = PlainZigZagDrawing(pitch);
  TJwwEntityLists& e = d.Entities;
  for (int i = 0; i <= 45; ++i) {
    const double a = i * kPi / 180, x = -205 + 70 * (i % 6), y = 112 - 36 * (i / 6);
    Add(e, Line(x, y, x + 48 * std::cos(a), y + 48 * std::sin(a), 2, 11));
  }
  const std::string name = "zigzag-slopes-" + std::to_string(pitch);
  const std::string about = "random lines at 0 to 45 degrees, a pitch of " + std::to_string(pitch) + " dots";
  return Probe(name.c_str(), about.c_str(), d);
}

// Zig-zag circles of radius 10 to 80 mm: the plain 4-up, 4-down pattern
// (pitch 10) and the default pattern of type 13: how a random line follows
// a curve.
ProbeDrawing ZigZagCurves() {
  TJwwData d = PlainZigZagDrawing(10);
  TJwwEntityLists& e = d.Entities;
  const double radii[4] = {10, 25, 45, 80};
  for (int i = 0; i < 4; ++i) {
    Add(e, Circle(-150 + 100 * i, 50, radii[i], 2, 11));
    Add(e, Circle(-150 + 100 * i, -90, radii[i], 2, 13));
  }
  return Probe("zigzag-curves", "zig-zag circles of radius 10 to 80 mm", d);
}

// Zig-zag circles of radius 12 and 30 mm at pitches of 4 to 20 dots (the
// plain 4-up, 4-down pattern): the chords a zig-zag curve takes, and how
// many dots each holds as it slants.
ProbeDrawing ZigZagCircles() {
  TJwwData d = PlainZigZagDrawing(10);
  const int32_t pitches[5] = {4, 7, 10, 15, 20};
  TJwwEntityLists& e = d.Entities;
  for (int i = 0; i < 5; ++i) {
    d.RandomLines[i] = {0xF0F0F0F0, 1, 5, 3, pitches[i]};
    Add(e, Circle(-160 + 80 * i, 70, 12, 2, 11 + i));
    Add(e, Circle(-160 + 80 * i, -50, 30, 2, 11 + i));
  }
  return Probe("zigzag-circles", "zig-zag circles of radius 12 and 30 mm at pitches of 4 to 20 dots", d);
}

// Zig-zag lines every 15 degrees round a point, arcs starting part of the
// way round, a tilted ellipse and a circle of 130 mm running off the sheet:
// which way a zig-zag runs and which side it rises to.
ProbeDrawing ZigZagWays() {
  TJwwData d = PlainZigZagDrawing(10);
  TJwwEntityLists& e = d.Entities;
  // Outwards from (-150, 60), then inwards round (-150, -40).
  for (int i = 0; i < 24; ++i) {
    const double a = i * 15 * kPi / 180, c = std::cos(a), s = std::sin(a);
    const int type = i % 2 ? 13 : 11;
    Add(e, Line(-150 + 8 * c, 60 + 8 * s, -150 + 40 * c, 60 + 40 * s, 2, type));
    Add(e, Line(-150 + 40 * c, -40 + 40 * s, -150 + 8 * c, -40 + 8 * s, 2, type));
  }
  const double starts[4] = {0.5, 1.7, 3.3, 4.6};
  for (int i = 0; i < 4; ++i) {
    TJwwEnko arc = MakeArc(-40 + 55 * i, 75, 22, starts[i], 2.4);
    arc.PenColor = 2;
    arc.PenStyle = static_cast<uint8_t>(i % 2 ? 13 : 11);
    Add(e, arc);
  }
  TJwwEnko ellipse = Circle(-20, -60, 40, 2, 11);
  ellipse.Flatness = 0.5;
  ellipse.TiltAngle = 0.4;
  Add(e, ellipse);
  Add(e, Circle(150, -110, 130, 2, 11));
  Add(e, Circle(150, -110, 60, 2, 13));
  return Probe("zigzag-ways", "zig-zag lines every 15 degrees, arcs, a tilted ellipse and a 130 mm circle", d);
}

// Zig-zags running off the sheet by 0.3 to 8 mm: arcs of 130 mm whose first
// chord starts beyond the right edge or whose last chord ends beyond the left
// one, their chords steep (starting 0.5 rad round) or shallow (1.2 rad), and
// slanted lines through the top and bottom edges: which chords are cut at
// the edge, and where their pattern starts.
ProbeDrawing ZigZagEdge() {
  TJwwData d = PlainZigZagDrawing(10);
  TJwwEntityLists& e = d.Entities;
  const double beyond[11] = {0.3, 0.6, 1.0, 1.5, 2.0, 2.5, 3.0, 3.5, 4.0, 6.0, 8.0};
  const double r = 130, sweep = 0.21;
  for (int i = 0; i < 11; ++i) {
    const double a = i % 2 ? 1.2 : 0.5, yc = 125 - 25 * i - r * std::sin(a + sweep);
    TJwwEnko in = MakeArc(210 + beyond[i] - r * std::cos(a), yc, r, a, sweep);
    TJwwEnko out = MakeArc(-210 - beyond[i] + r * std::cos(a), yc + r * std::sin(a + sweep) - r * std::sin(a), r,
                           kPi - a - sweep, sweep);
    for (TJwwEnko* arc : {&in, &out}) {
      arc->PenColor = 2;
      arc->PenStyle = 11;
      Add(e, *arc);
    }
    const double x = -100 + 18 * i, c = std::cos(1.2), s = std::sin(1.2);
    Add(e, Line(x, 148.5 + beyond[i] - 20 * s, x + 20 * c, 148.5 + beyond[i], 2, 11));
    Add(e, Line(x, -148.5 - beyond[i], x + 20 * c, -148.5 - beyond[i] + 20 * s, 2, 11));
  }
  // The same lines drawn downwards.
  for (int i = 0; i < 4; ++i) {
    const double x = 100 + 18 * i, c = std::cos(1.2), s = std::sin(1.2), off = beyond[2 * i + 1];
    Add(e, Line(x + 20 * c, 148.5 + off, x, 148.5 + off - 20 * s, 2, 11));
    Add(e, Line(x + 20 * c, -148.5 - off + 20 * s, x, -148.5 - off, 2, 11));
  }
  return Probe("zigzag-edge", "zig-zag arcs and lines running 0.3 to 8 mm off the sheet", d);
}

// A check, not a probe: zig-zags of five made-up patterns, pitches and
// amplitudes, as lines, arcs, circles and ellipses of random size and place
// (some running off the sheet), drawn from a fixed seed after the rules were
// written, so that it measures the rules rather than fits them.
ProbeDrawing ZigZagMix() {
  TJwwData d = BaseDrawing();
  uint32_t seed = 20261208;
  const auto next = [&seed] {  // 0..1, a plain linear congruential sequence
    seed = seed * 1664525u + 1013904223u;
    return static_cast<double>(seed >> 8) / 16777216.0;
  };
  for (int i = 0; i < 5; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const uint32_t pattern = seed;
    d.RandomLines[i] = {pattern, 1, 5, 1 + static_cast<int32_t>(next() * 6), 3 + static_cast<int32_t>(next() * 16)};
  }
  TJwwEntityLists& e = d.Entities;
  for (int i = 0; i < 30; ++i) {
    const double x = -200 + 400 * next(), y = -140 + 280 * next(), a = 2 * kPi * next(), len = 5 + 80 * next();
    Add(e, Line(x, y, x + len * std::cos(a), y + len * std::sin(a), 2, 11 + i % 5));
  }
  for (int i = 0; i < 16; ++i) {
    const double x = -200 + 400 * next(), y = -140 + 280 * next(), r = 5 + 135 * next() * next();
    TJwwEnko arc = i % 4 == 0 ? Circle(x, y, r) : MakeArc(x, y, r, 2 * kPi * next(), 0.5 + 5 * next());
    if (i % 4 == 1) {
      arc.Flatness = 0.3 + 0.6 * next();
      arc.TiltAngle = kPi * next();
    }
    arc.PenColor = 2;
    arc.PenStyle = static_cast<uint8_t>(11 + i % 5);
    Add(e, arc);
  }
  return Probe("zigzag-mix", "zig-zags of made-up patterns as lines, arcs and ellipses: a check of the rules", d);
}

}  // namespace

std::vector<ProbeDrawing> BuildProbeDrawings() {
  std::vector<ProbeDrawing> probes = {DashCounts(), DashAngles(), DashOrigin(), DashShort(),
                                      DashUnit12(), DashEdge(),   DashCurves()};
  probes.push_back(Probe("colour-off", "colour printing off: display-only layers, white and coloured pens",
                         ColourDrawing(false)));
  probes.push_back(Probe("colour-on", "the same with colour printing on", ColourDrawing(true)));
  for (ProbeDrawing p : {WidthsDots(), WidthsHundredths(), NestedBlocks(), DimensionsInBlocks(), Texts()})
    probes.push_back(std::move(p));
  probes.push_back(SheetEdge());
  probes.push_back(Probe("solids", "solids in pen colours 1 to 6, their own colour, and arc-shaped ones",
                         SolidsDrawing(100)));
  probes.push_back(Probe("solids-hundredths", "the same in a drawing of widths in 1/100 mm, each solid 0.5 mm",
                         SolidsDrawing(-300)));
  probes.push_back(LineKinds());
  probes.push_back(RandomPitches());
  probes.push_back(ZigZagAngles());
  for (int pitch : {4, 10, 15, 20}) probes.push_back(ZigZagSlopes(pitch));
  probes.push_back(ZigZagCurves());
  probes.push_back(ZigZagCircles());
  probes.push_back(ZigZagWays());
  probes.push_back(ZigZagEdge());
  probes.push_back(ZigZagMix());
  for (ProbeDrawing p : {TextBold(), TextSizes(), TextLines(), TextWidths(), TextLarge(), TextVertical()})
    probes.push_back(std::move(p));
  probes.push_back(PointCodes());
  probes.push_back(Pens420());
  for (ProbeDrawing& p : CurveProbes()) probes.push_back(std::move(p));
  for (ProbeDrawing p : DimensionProbes()) probes.push_back(std::move(p));
  return probes;
}
