// TJwwData: one loaded drawing — the header, the entity lists, the block
// definitions with their flattened instances — and what is computed from it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "attr/UnitGraAtt.h"
#include "jww/DrawDrawingArgs.h"
#include "jww/JwwRecords.h"

class Canvas;  // the draw pass and its per-entity drawing: jww/jwwunit_draw.h

namespace jwwunit {
struct Extents;
}

struct TJwwLayerGroup {
  int32_t State = 0;  // 0 hidden, 1 display only, 2+ shown (3: being written)
  int32_t WriteLayer = 0;
  double Scale = 0;
  int32_t Protect = 0;
  std::string Name;
};

struct TJwwLayer {
  int32_t State = 0;
  int32_t Protect = 0;
  std::string Name;
};

struct TJwwPen {  // pen colours 0..9 (9: auxiliary)
  uint32_t ScreenColor = 0;
  int32_t ScreenWidth = 0;
  uint32_t PrinterColor = 0;
  int32_t PrinterWidth = 0;
  double PrinterPointRadius = 0;
};

struct TJwwLineType {
  uint32_t Pattern = 0;  // 32-bit on/off pattern
  int32_t UnitDots = 0;
  int32_t Pitch = 0;
  int32_t PrinterPitch = 0;
};

struct TJwwRandomLine {
  uint32_t Pattern = 0;
  int32_t Amplitude = 0;
  int32_t Pitch = 0;
  int32_t PrinterAmplitude = 0;
  int32_t PrinterPitch = 0;
};

struct TJwwSxfPen {
  uint32_t ScreenColor = 0;
  int32_t ScreenWidth = 0;
  std::string Name;
  uint32_t PrinterColor = 0;
  int32_t PrinterWidth = 0;
  double PrinterPointRadius = 0;
};

struct TJwwSxfLineType {
  uint32_t Pattern = 0;
  int32_t UnitDots = 0;
  int32_t Pitch = 0;
  int32_t PrinterPitch = 0;
  std::string Name;
  int32_t SegmentCount = 0;
  std::array<double, 10> Segments{};
};

struct TJwwTextStyle {  // text kinds 1..10
  double Width = 0, Height = 0, Spacing = 0;
  int32_t Color = 0;
};

struct TJwwMarkJump {
  double Scale = 1.0, X = 0, Y = 0;
  int32_t LayerGroup = -1;
};

// Values kept only to reach what follows them in the file.
struct TJwwKeptHeader {
  std::array<int32_t, 14> Reserved7{};
  int32_t DimensionReserved = 0;
  int32_t GridMode = 0;
  double GridMinDots = 1.0, GridPitchX = 1.0, GridPitchY = 1.0, GridBaseX = 0, GridBaseY = 0;
  double ShadowLevel = 0, Latitude = 0;
  int32_t Shadow9To15 = 0;
  double WallShadowLevel = 0, SkyMapLevel = 0, SkyMapDiameter = 0;
  int32_t Unit25D = 0;
  double ViewScale = 1.0, ViewOriginX = 0, ViewOriginY = 0;
  double RangeScale = 1.0, RangeOriginX = 0, RangeOriginY = 0;
  std::array<TJwwMarkJump, 8> MarkJumps{};
  std::array<double, 3> TextState1{};
  int32_t TextState2 = 0;
  std::array<double, 3> TextState3{};
  int32_t TextState4 = 0;
  std::array<double, 10> ParallelSpacings{};
  double BothSidesOffset = 0;
  // Drawing-state block.
  std::array<int32_t, 10> DrawState{};  // points at screen radius ... grey display-only
  int32_t EyeSetFlag = 0;
  std::array<int32_t, 3> EyeAngles{};
  std::array<double, 5> EyeValues{};
  double LastLineLength = 0, LastBoxWidth = 0, LastBoxHeight = 0, LastCircleRadius = 0;
  int32_t SolidAnyColor = 0;
  uint32_t DefaultSolidColor = 0;
  // Current text settings.
  double TextWidth = 0, TextHeight = 0, TextSpacing = 0;
  int32_t TextColor = 0, TextKind = 0;
  double TidySpacing = 0, TidyCount = 0;
  int32_t BaseShiftFlag = 0;
  std::array<double, 3> ShiftH{};
  std::array<double, 3> ShiftV{};
};

// The fifteen counts of CountEntities.
struct TJwwEntityCounts {
  int64_t Lines = 0, Arcs = 0, Points = 0, TemporaryPoints = 0, Texts = 0, Dimensions = 0,
          Solids = 0, Blocks = 0;
  int64_t BlockLines = 0, BlockArcs = 0, BlockPoints = 0, BlockTemporaryPoints = 0,
          BlockTexts = 0, BlockDimensions = 0, BlockSolids = 0;

  // What a page needs to have content: everything but the temporary points.
  int64_t Printable() const {
    return Lines + Arcs + Points + Texts + Dimensions + Solids + Blocks + BlockLines + BlockArcs +
           BlockPoints + BlockTexts + BlockDimensions + BlockSolids;
  }
};

// Which of a drawing's own tables it hands the pen attributes.
struct DrawingTables {
  bool Pens = true;
  bool LineTypes = true;
};

class TJwwData {
 public:
  // Guards against block definitions that insert themselves, directly or not,
  // and against trees that multiply instances beyond what memory holds.
  static constexpr int kMaxBlockDepth = 64;
  static constexpr size_t kMaxBlockInstances = 1000000;
  // The most entities all placed blocks draw together, each placement's
  // counted: it bounds the work of every walk over a page (extents, counts,
  // the draw itself), so a small file of nested blocks ends in seconds.
  static constexpr size_t kMaxBlockContents = 5000000;
  // The largest file read as a drawing: far beyond any drawing; keeps a
  // device or pipe that never ends from filling the memory.
  static constexpr size_t kMaxFileBytes = size_t{1} << 30;

  TJwwData() { ResetDrawing(); }
  ~TJwwData() { ClearDrawing(); }

  static bool IsJwwFile(const std::string& path);

  void ResetDrawing();
  void ClearDrawing();

  // The full load of a print run: header, entities, block definitions and the
  // embedded images (written to the temporary image folder). False when the
  // file could not be read to its end; the model keeps what was read.
  bool LoadForPrint(const std::string& path);
  // Header and pens, then entities up to objectLimit (top level and inside
  // block definitions together); no images.
  bool LoadHeaderAndPens(const std::string& path, int objectLimit);
  // The same loads over bytes in memory; `path` names them for the text variables.
  bool LoadFromMemory(const uint8_t* data, size_t size, const std::string& path,
                      bool withImages, int objectLimit = -1);

  void BuildBlockInstances();

  // Fills the drawing extents from every entity and block instance. False
  // when nothing seeded them: they then keep the previous drawing's values.
  bool ComputeExtents();
  // The extents of what prints: entities on layers the pen attributes do not
  // leave out (state 3). False when nothing prints.
  bool PrintedExtents(const TgraAttribute& attr, jwwunit::Extents& out) const;
  TJwwEntityCounts CountEntities(LayerFilter layers = LayerFilter()) const;

  // Draws one page's worth of the drawing (see DrawDrawingArgs). Returns
  // false when an abort stopped it.
  bool DrawDrawing(Canvas& canvas, const DrawDrawingArgs& args);

  // Hands the 256 layers with their print states, names and scales to the
  // pen attributes.
  void PublishLayers(TgraAttribute& attr) const;

  // How a drawing's print background colour switched the pen attributes.
  enum class BackgroundSwitch { Unchanged, Light, Dark };
  // The drawing's own pens (colours, widths in mm, point radii) into attr.
  // `printer` answers the resolution for drawings that leave the pen-width
  // unit to the printer (may be null: the printer cannot be asked).
  BackgroundSwitch PensFromDrawing(TgraAttribute& attr,
                                   const UnitGraAtt::PrinterResolution* printer) const;
  // The drawing's own line types into attr; lineTypePitch is the user's mm
  // per pattern dot, used unless the drawing states its printer's dot size.
  void LineTypesFromDrawing(TgraAttribute& attr, double lineTypePitch) const;
  // What a drawing hands the pen attributes before anything of it is drawn:
  // its pens and line types (each unless the user's table stands in for it)
  // and its layers, in this order wherever it is done.
  BackgroundSwitch ApplyToAttributes(TgraAttribute& attr, const UnitGraAtt::PrinterResolution* printer,
                                     double lineTypePitch, DrawingTables own = {}) const;
  // The units both conversions use.
  double PenWidthUnit(const UnitGraAtt::PrinterResolution* printer) const;
  double LineTypeUnit(double lineTypePitch) const;

  // Where the last load stopped and why (empty after a complete load).
  size_t LoadStoppedAt = 0;
  std::string LoadError;
  bool BlockInstancesCut = false;  // the guards above cut BuildBlockInstances short (or a stop)
  bool DrawCut = false;            // the last DrawDrawing stopped at its MaxDrawn
  // How far the header was read: a damaged file may lack its tables.
  bool HasPenTable = false;
  bool HasLineTypeTable = false;

  // Header.
  std::string Magic;
  int32_t Version = 0;
  std::string Memo;
  int32_t PaperSize = 0;
  int32_t WriteLayerGroup = 0;
  std::array<TJwwLayerGroup, 16> LayerGroups{};
  std::array<TJwwLayer, 256> Layers{};
  std::array<int32_t, 5> DimensionSettings{};
  int32_t MaxDrawWidth = 0;
  bool MaxDrawWidthCoded = false;
  int32_t MaxDrawWidthValue = 0;
  double PrinterOriginX = 0, PrinterOriginY = 0;
  double PrinterScale = 1.0;
  int32_t PrinterSetting = 0;
  std::array<TJwwPen, 10> Pens{};
  std::array<TJwwLineType, 8> LineTypes{};  // line types 2..9
  std::array<TJwwRandomLine, 5> RandomLines{};
  std::array<TJwwLineType, 4> DoubleLineTypes{};
  int32_t PrintStateUnits = 0;
  int32_t PrinterResolutionCode = 0;
  int32_t DrawTimeSeconds = 0;
  std::array<TJwwSxfPen, 257> SxfPens{};
  std::array<TJwwSxfLineType, 33> SxfLineTypes{};
  std::array<TJwwTextStyle, 10> TextStyles{};
  TJwwKeptHeader Kept;

  // Entities.
  uint32_t EntityCountInFile = 0;
  TJwwEntityLists Entities;
  std::vector<TJwwBlockDef> BlockDefs;
  std::vector<TJwwBlockInstance> BlockInstances;
  int32_t UsedBlockDefCount = 0;

  // Extents of the last ComputeExtents.
  double ExtentMinX = 0, ExtentMinY = 0, ExtentMaxX = 0, ExtentMaxY = 0;

 private:
  friend class JwwReader;
};

// Decodes MaxDrawWidth into its coded flag and value.
void DecodeMaxDrawWidth(int32_t raw, bool& coded, int32_t& value);

// A text that is no image reference and whose base line has no length (within
// 1e-14) prints nothing readable; newer files store their own settings so.
bool IsEmptyBaseLineText(const TJwwMoji& t);

// The drawing extents, kept from one drawing to the next.
namespace jwwunit {
struct Extents {
  double MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;
};
extern Extents DrawingExtents;
}  // namespace jwwunit
