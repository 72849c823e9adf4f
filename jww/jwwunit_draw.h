// The draw pass's per-entity drawing and the geometry it computes on the
// way: what TJwwData::DrawDrawing hands each entity to, on a Canvas.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "jww/JwwRecords.h"
#include "jww/jwwunit.h"
#include "render/Canvas.h"
#include "render/UnitGra.h"
#include "render/UnitGval.h"

// The per-entity drawing operations, for top-level entities (T = the page
// rotation) and block contents (T = rotation x instance). colorOverride < 0
// for none.
struct EntityDrawContext {
  Canvas* canvas = nullptr;
  const std::array<TJwwLayerGroup, 16>* layerGroups = nullptr;  // for group scales
  bool printMode = true;
  BlockTransform T;
  bool ownLayers = false;
  // The layer whose print state colours what is drawn (an insertion's layer
  // for the members of a block that does not keep their own); -1: the
  // entity's own layer.
  int32_t layerOverride = -1;
  int64_t colorOverride = -1;
  bool skipAuxiliary = false;
  // The width stored on a line, arc or point is used only in drawings whose
  // widths are in 1/100 mm (a negative maximum draw width); in drawings of
  // printer-dot widths the CAD program prints every entity at its pen's width.
  bool entityWidths = true;
  // Inside a block insertion: how its texts turn (TJwwBlockInstance's
  // TextTurn, with the page's turn, and TextFlip) and whether every
  // insertion of its chain is mirrored, for the dimensions inside.
  bool inBlock = false;
  double textTurn = 0;
  int textFlip = 1;
  double markTurn = 0;
  bool allMirrored = false;
  // The scale of the group the (outermost) insertion lies on: a dimension
  // inside measures its value by it, not by the group of its own members.
  double insertionGroupScale = 1.0;
  // The flag word (as a dimension text keeps it) that the drawing's own
  // dimension settings give a value measured anew inside a block, when the
  // dimension's own word does not ask for automatic values.
  uint16_t drawingDimensionFlags = 0x2042;
};
void DrawLineEntity(const EntityDrawContext& c, const TJwwSen& e);
void DrawArcEntity(const EntityDrawContext& c, const TJwwEnko& e);
void DrawPointEntity(const EntityDrawContext& c, const TJwwTen& e);
void DrawSolidEntity(const EntityDrawContext& c, const TJwwSolid& e);
// Texts, the images placed as texts, and dimensions.
void DrawTextEntity(const EntityDrawContext& c, const TJwwMoji& e);
void DrawImageEntity(const EntityDrawContext& c, const TJwwMoji& e);
void DrawDimensionEntity(const EntityDrawContext& c, const TJwwSunpou& e);

// A text's base line and sizes through T (mirroring swaps start and end).
UnitGra::TextPlacement TextGeometry(const BlockTransform& T, const UnitGra::TextPlacement& local);
// Text style flags from a text kind: 1 bold, 2 italic (30000+ both).
int TextStyleFlags(int32_t textKind);

// A dimension's value: its line measured anew through T at its group's
// scale, formatted by the flag word its text keeps in PenWidth (Shift-JIS).
std::string DimensionValueText(const TJwwSunpou& dimension, double groupScale, const BlockTransform& T);
// The one place a dimension value is formatted: `length` (drawing units at
// the group's scale) by a flag word as a dimension text keeps it, with the
// radius or diameter mark its text flags ask for (Shift-JIS).
std::string FormatDimensionValue(double length, uint16_t flags, uint16_t textFlags);
// The flag word the drawing's dimension settings (the five numbers of its
// header) give: two decimals with their trailing zeros dropped, and
// thousands separators unless the settings turn them off.
uint16_t DrawingDimensionFlags(const std::array<int32_t, 5>& settings);
// A text of a block's definition (a plain text or a dimension's) as the CAD
// program sets it in an insertion: turned to flip * a + turn (a its angle in
// the definition), inside the box the insertion maps its cells to, so that a
// mirrored insertion keeps it readable. An insertion scaled unevenly, which
// turns the base line off that angle, maps it as TextGeometry does.
UnitGra::TextPlacement BlockTextGeometry(const BlockTransform& T, double turn, int flip,
                                         const UnitGra::TextPlacement& local);
// The dimension text drawn with `value` in place of its stored text,
// centred on its mapped base line.
// `line`: the dimension's line, when the value sits in an insertion; the
// value then keeps its stored distance from the line, however the insertion
// scales (null: the value's base line as mapped).
void DrawDimensionText(const EntityDrawContext& c, const TJwwMoji& text, const std::string& value,
                       const TJwwSen* line = nullptr);

// The mark code, angle and scale of a point through T, and its mapped position.
struct PointMark {
  double X = 0, Y = 0;
  int Code = 0;
  double Angle = 0, Scale = 1;
};
// In a block (inBlock) the mark's angle is its own plus markTurn, the
// rotations of the insertions: mirroring does not turn a mark.
PointMark PointMarkGeometry(const TJwwTen& p, const BlockTransform& T, bool inBlock = false, double markTurn = 0);
