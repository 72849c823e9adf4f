#include "SampleDrawings.h"

#include <cmath>

#include "JwwWriter.h"
#include "util/CodePage.h"

namespace {

std::string Sjis(const char* utf8) { return util::Utf8ToCp932(utf8); }

TJwwMoji Label(double x, double y, const char* utf8, double size = 4) {
  const std::string text = Sjis(utf8);
  TJwwMoji m = MakeText(x, y, x + size * static_cast<double>(text.size()) / 2, y, text);
  m.SizeX = m.SizeY = size;
  m.CharSpacing = 0.5;
  return m;
}

void Rect(TJwwEntityLists& l, double x0, double y0, double x1, double y1, int pen = 2) {
  const double xs[] = {x0, x1, x1, x0}, ys[] = {y0, y0, y1, y1};
  for (int i = 0; i < 4; ++i) {
    TJwwSen s = MakeLine(xs[i], ys[i], xs[(i + 1) % 4], ys[(i + 1) % 4]);
    s.PenColor = static_cast<uint16_t>(pen);
    Add(l, s);
  }
}

// A 16 x 12 24-bit BMP with a colour gradient.
std::string SmallBmp() {
  const int w = 16, h = 12, row = w * 3;
  const uint32_t dataSize = static_cast<uint32_t>(row * h), fileSize = 54 + dataSize;
  std::string b;
  auto u16 = [&](uint16_t v) { b += static_cast<char>(v & 0xFF); b += static_cast<char>(v >> 8); };
  auto u32 = [&](uint32_t v) { u16(static_cast<uint16_t>(v & 0xFFFF)); u16(static_cast<uint16_t>(v >> 16)); };
  b += "BM";
  u32(fileSize); u32(0); u32(54);
  u32(40); u32(w); u32(h); u16(1); u16(24); u32(0); u32(dataSize); u32(2835); u32(2835); u32(0); u32(0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      b += static_cast<char>(x * 16);       // blue
      b += static_cast<char>(y * 21);       // green
      b += static_cast<char>(255 - x * 8);  // red
    }
  return b;
}

// A small house plan in the current layout: every entity kind, Japanese
// texts, an embedded image and a window block.
std::vector<uint8_t> HousePlan() {
  TJwwData d;
  InitTestDrawing(d, 700);
  d.Memo = Sjis("木造平屋 サンプル平面図\r\nKestrovan sample");
  d.LayerGroups[0].Name = Sjis("平面図");
  d.LayerGroups[1].Name = Sjis("寸法");
  d.Layers[0].Name = Sjis("壁");
  d.Layers[1].Name = Sjis("建具");
  d.Layers[2].Name = Sjis("文字");
  d.PrinterScale = 1.0;
  d.DrawTimeSeconds = 5400;
  for (int i = 0; i < 10; ++i) {
    d.Pens[i].PrinterColor = 0;
    d.Pens[i].PrinterWidth = i;
    d.Pens[i].PrinterPointRadius = 0.3;
  }
  TJwwEntityLists& e = d.Entities;
  Rect(e, -100, -60, 100, 60, 2);  // outer walls
  Add(e, MakeLine(0, -60, 0, 60));
  Add(e, MakeLine(-100, 0, 0, 0));
  TJwwEnko door = MakeArc(0, -20, 15, M_PI / 2, M_PI / 2);  // door swing
  door.Layer = 1;
  Add(e, door);
  TJwwEnko table = MakeArc(50, 20, 12, 0, 2 * M_PI, true);
  Add(e, table);
  TJwwEnko oval = MakeArc(-50, 30, 15, 0, 2 * M_PI, true);
  oval.Flatness = 0.5;
  oval.TiltAngle = 0.3;
  Add(e, oval);
  TJwwTen mark = MakePoint(0, 0);
  mark.PenStyle = 100;
  mark.Code = 1;
  mark.PointScale = 1;
  Add(e, mark);
  Add(e, MakePoint(10, 10, true));
  TJwwMoji t1 = Label(-80, 40, "居間 ＬＤＫ");
  t1.Layer = 2;
  Add(e, t1);
  TJwwMoji t2 = Label(20, 40, "寝室", 5);
  t2.Layer = 2;
  t2.TextKind = 20001;
  Add(e, t2);
  TJwwMoji t3 = Label(-90, -75, "図面名 %F1 縮尺 %SS", 3);
  Add(e, t3);
  TJwwSunpou dim = MakeDimension(-100, -70, 100, -70, "200");
  dim.LayerGroup = 1;
  Add(e, dim);
  TJwwSolid floor = MakeSolid(60, -50, 90, -50, 90, -30, 60, -30);
  floor.PenColor = 10;
  floor.SolidColor = 0xC0E0FF;
  Add(e, floor);
  Add(e, MakeText(-90, -50, -60, -50, "^@BM%temp%sample.bmp,30,22.5"));
  Add(e, MakeText(0, -1000, 0, -1000, "Printer_Orientation = 0"));  // the writer's own setting
  for (double x : {-60.0, 40.0}) Add(e, MakeInsert(1, x, 60));
  TJwwBlock side = MakeInsert(1, 100, 0, 1, 1, M_PI / 2);
  Add(e, side);

  TJwwBlockDef window;
  window.Number = 1;
  window.Name = Sjis("窓 W1200");
  Add(window.Entities, MakeLine(-12, -1, 12, -1));
  Add(window.Entities, MakeLine(-12, 1, 12, 1));
  Add(window.Entities, MakeLine(-12, -1, -12, 1));
  Add(window.Entities, MakeLine(12, -1, 12, 1));
  d.BlockDefs.push_back(window);

  JwwWriteOptions o;
  o.unicodeStrings = true;
  o.images.push_back({"sample.bmp.gz", MakeGzip(SmallBmp(), "", 1700000000)});
  return WriteJww(d, o);
}

// An older layout (4.20) with SXF tables, a site outline and nested blocks.
std::vector<uint8_t> SitePlan() {
  TJwwData d;
  InitTestDrawing(d, 420);
  d.Memo = Sjis("敷地図");
  d.LayerGroups[0].Scale = 200;
  d.SxfPens[1].Name = Sjis("黒");
  TJwwEntityLists& e = d.Entities;
  const double xs[] = {-150, 120, 140, -130}, ys[] = {-90, -100, 80, 95};
  for (int i = 0; i < 4; ++i) Add(e, MakeLine(xs[i], ys[i], xs[(i + 1) % 4], ys[(i + 1) % 4]));
  TJwwSen road = MakeLine(-160, -110, 160, -120);
  road.PenStyle = 3;
  Add(e, road);
  Add(e, Label(-20, -105, "道路 幅員6.0m", 4));
  Add(e, MakeInsert(10, -80, 40));
  Add(e, MakeInsert(10, 60, 30, 1.5, 1.5, 0.2));
  TJwwBlockDef tree;  // a tree: a circle and a cross of two nested marks
  tree.Number = 11;
  tree.Name = Sjis("樹木");
  Add(tree.Entities, MakeArc(0, 0, 6, 0, 2 * M_PI, true));
  TJwwBlockDef group;
  group.Number = 10;
  group.Name = Sjis("植栽");
  Add(group.Entities, MakeInsert(11, 0, 0));
  Add(group.Entities, MakeInsert(11, 15, 5, 0.7, 0.7));
  d.BlockDefs = {group, tree};
  return WriteJww(d);
}

}  // namespace

std::vector<std::pair<std::string, std::vector<uint8_t>>> BuildSampleDrawings() {
  return {{"house-plan.jww", HousePlan()}, {"site-plan.jww", SitePlan()}};
}
