// The records of the drawing model, one per entity kind of a drawing file.
// Texts are Shift-JIS bytes as read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Common fields of every entity.
struct TJwwEntityBase {
  uint32_t Group = 0;      // curve/group attribute number
  uint8_t PenStyle = 0;    // line-type number; 100 on a point marks a point mark
  uint16_t PenColor = 0;   // pen colour number; 10 on a solid: own RGB colour
  uint16_t PenWidth = 0;   // 0 in files before version 3.51
  uint16_t Layer = 0;      // 0..15 within the group
  uint16_t LayerGroup = 0; // 0..15
  uint16_t Flags = 0;

  int LayerIndex() const { return (LayerGroup & 0xFF) * 16 + (Layer & 0xFF); }
  // Drawn in the auxiliary pen (9), which prints only when auxiliary lines do.
  bool OnAuxiliaryPen() const { return PenColor == kAuxiliary; }
  // A stroke in the auxiliary pen or the auxiliary line type (9).
  bool IsAuxiliaryLine() const { return PenStyle == kAuxiliary || OnAuxiliaryPen(); }

  static constexpr int kAuxiliary = 9;
};

struct TJwwSen : TJwwEntityBase {  // line
  double StartX = 0, StartY = 0, EndX = 0, EndY = 0;
};

struct TJwwEnko : TJwwEntityBase {  // arc, circle or ellipse arc
  double CenterX = 0, CenterY = 0;
  double Radius = 0;
  double StartAngle = 0, ArcAngle = 0, TiltAngle = 0;
  double Flatness = 0;
  int32_t FullCircle = 0;
};

struct TJwwTen : TJwwEntityBase {  // point
  double X = 0, Y = 0;
  int32_t Temporary = 0;
  int32_t Code = 0;         // point-mark code (only with PenStyle 100)
  double Angle = 0;
  double PointScale = 1.0;

  bool IsTemporary() const { return Temporary != 0; }
};

struct TJwwMoji : TJwwEntityBase {  // text
  double StartX = 0, StartY = 0, EndX = 0, EndY = 0;
  int32_t TextKind = 0;
  double SizeX = 0, SizeY = 0;
  double CharSpacing = 0;
  double TextAngle = 0;
  std::string FontName;  // at most 255 bytes
  std::string Text;      // at most 255 bytes
};

struct TJwwSunpou : TJwwEntityBase {  // dimension
  TJwwSen DimLine;
  TJwwMoji DimText;
  uint16_t SxfMode = 0;
  TJwwSen AuxLine1, AuxLine2;
  TJwwTen AuxPoint1, AuxPoint2, AuxPoint3, AuxPoint4;
};

struct TJwwSolid : TJwwEntityBase {  // solid fill
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0, X3 = 0, Y3 = 0, X4 = 0, Y4 = 0;
  uint32_t SolidColor = 0;
};

struct TJwwBlock : TJwwEntityBase {  // block insertion
  double X = 0, Y = 0;
  double ScaleX = 0, ScaleY = 0;
  double Rotation = 0;
  int32_t BlockNumber = 0;
};

enum class EntityKind : uint8_t { Line = 1, Arc, Point, Text, Dimension, Solid, Block };

struct TJwwOrderItem {
  EntityKind Kind = EntityKind::Line;
  uint32_t Index = 0;  // into the list of that kind
};

// The seven entity lists of a drawing or of a block definition, in file order.
struct TJwwEntityLists {
  std::vector<TJwwSen> Lines;
  std::vector<TJwwEnko> Arcs;
  std::vector<TJwwTen> Points;
  std::vector<TJwwMoji> Texts;
  std::vector<TJwwSunpou> Dimensions;
  std::vector<TJwwSolid> Solids;
  std::vector<TJwwBlock> Blocks;
  std::vector<TJwwOrderItem> Order;

  size_t EntityTotal() const {
    return Lines.size() + Arcs.size() + Points.size() + Texts.size() + Dimensions.size() +
           Solids.size() + Blocks.size();
  }
  // Empties the lists but keeps their memory for the next drawing.
  void Clear();
  // Frees the memory of lists that hold much more than they need.
  void TrimExcess();
  void Release() { *this = TJwwEntityLists(); }
};

struct TJwwBlockDef : TJwwEntityBase {
  int32_t Number = 0;
  int32_t Referenced = 0;
  int32_t TimeStamp = 0;
  std::string Name;
  int32_t EntityCount = 0;  // as announced in the file
  TJwwEntityLists Entities;
  bool Used = false;
  int32_t UsedIndex = -1;
};

// One placed block insertion, nested ones flattened, with its accumulated transform:
// a point (x, y) of the definition lands at
// (TranslateX + M11*x + M12*y, TranslateY + M21*x + M22*y).
struct TJwwBlockInstance : TJwwEntityBase {
  int32_t Depth = 0;
  int32_t Parent = -1;
  int32_t BlockNumber = 0;
  int32_t DefIndex = -1;
  std::string DefName;
  double TranslateX = 0, TranslateY = 0;
  double M11 = 1, M12 = 0, M21 = 0, M22 = 1;
  // How the CAD program turns a text (and a dimension's value) placed in the
  // definition at angle a: to TextFlip * a + TextTurn (radians), insertion by
  // insertion from the innermost: a mirrored insertion (one scale negative)
  // negates the angle, then its own rotation adds. The same matrix reached
  // by another chain can thus set a text the other way round.
  double TextTurn = 0;
  int TextFlip = 1;
  // A point mark's angle in an insertion: its own plus the rotations of the
  // chain, mirrored or not (radians).
  double MarkTurn = 0;
  // Every insertion of the chain has a negative scale (mirrored, or turned
  // half round as (-1, -1)): the dimensions inside keep their stored values
  // (one insertion without, at any level, has them measured anew).
  bool AllMirrored = false;

  bool OwnLayers() const { return (PenStyle & 0x40) != 0; }
};
