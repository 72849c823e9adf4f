#include "BigDrawings.h"

#include <cmath>

#include "JwwWriter.h"

namespace {

const char kRoomText[] = "\x95\x94\x89\xae A-101";  // 部屋 A-101

void AddMixed(TJwwEntityLists& e, int i, double pitch, int lineTypes) {
  const double x = (i % 1000) * pitch, y = (i / 1000) * pitch;
  switch (i % 10) {
    case 0: case 1: case 2: case 3: case 4: case 5: {
      TJwwSen line = MakeLine(x, y, x + pitch * 0.8, y + pitch * 0.6, i % 16, (i / 16) % 16);
      line.PenColor = static_cast<uint16_t>(1 + i % 8);
      line.PenStyle = static_cast<uint8_t>(1 + (i / 10) % lineTypes);
      Add(e, line);
      break;
    }
    case 6: Add(e, MakeArc(x, y, pitch * 0.4, 0, M_PI)); break;
    case 7: Add(e, MakePoint(x, y)); break;
    case 8: Add(e, MakeText(x, y, x + pitch * 4, y, kRoomText)); break;
    case 9: Add(e, MakeSolid(x, y, x + pitch * 0.2, y, x + pitch * 0.2, y + pitch * 0.2, x, y + pitch * 0.2)); break;
  }
}

TJwwBlockDef& NewBlock(TJwwData& d, int number) {
  d.BlockDefs.emplace_back();
  d.BlockDefs.back().Number = number;
  return d.BlockDefs.back();
}

}  // namespace

void BuildMixedDrawing(TJwwData& d, int entities) {
  InitTestDrawing(d, 700);
  for (int i = 0; i < entities; ++i) AddMixed(d.Entities, i, 0.5, 1);
  for (int i = 0; i < 2000; ++i) Add(d.Entities, MakeInsert(1, (i % 50) * 10.0, (i / 50) * 10.0));
  TJwwBlockDef& def = NewBlock(d, 1);
  for (int i = 0; i < 20; ++i) Add(def.Entities, MakeLine(0, i * 0.4, 8, i * 0.4));
  d.BuildBlockInstances();
  d.ComputeExtents();
}

void BuildStressDrawing(TJwwData& d) {
  InitTestDrawing(d, 700);
  for (int i = 0; i < 2000000; ++i) AddMixed(d.Entities, i, 0.5, 9);
  // Block 1: ten lines and a circle; block 2: 20 of block 1; block 3: 20 of block 2.
  TJwwBlockDef& leaf = NewBlock(d, 1);
  for (int i = 0; i < 10; ++i) Add(leaf.Entities, MakeLine(0, i * 0.1, 1, i * 0.1));
  Add(leaf.Entities, MakeArc(0.5, 0.5, 0.5, 0, 2 * M_PI, true));
  TJwwBlockDef& row = NewBlock(d, 2);
  for (int i = 0; i < 20; ++i) Add(row.Entities, MakeInsert(1, i * 1.2, 0, 1, 1, 0.01 * i));
  TJwwBlockDef& sheet = NewBlock(d, 3);
  for (int i = 0; i < 20; ++i) Add(sheet.Entities, MakeInsert(2, 0, i * 1.2, 0.5, 0.5));
  for (int i = 0; i < 1000; ++i) Add(d.Entities, MakeInsert(3, (i % 40) * 12.5, (i / 40) * 12.5));
  d.BuildBlockInstances();
  d.ComputeExtents();
}
