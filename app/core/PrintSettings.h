// The user's print options and hand-set pen and line-type tables.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "attr/UnitGraAtt.h"
#include "jww/DrawDrawingArgs.h"
#include "jww/PrintMethod.h"

// What the display-only layers print as (settings files store these numbers).
enum class DisplayOnlyMode : int32_t {
  NotPrinted = 0,
  Grey = 1,        // in the drawing's pen 9 colour
  GivenColor = 2,  // in DisplayOnlyColor
  AsUsual = 3,
};

// Where the pens or the line types come from (settings files store these numbers).
enum class TableSource : int32_t { EachDrawing = 0, UserTable = 1 };

// The paper a print run puts each drawing on.
enum class PaperMode {
  Given,          // every page on the paper given
  Drawing,        // every page on the drawing's own sheet (PDF and PNG)
  ReducedToGiven  // the given paper, the drawing scaled by sheet : paper
};

// The on/off options are bools; settings files store them as 0 and 1.
struct PrintSettings {
  ::PrintMethod PrintMethod = ::PrintMethod::DrawingSettings;
  double PrintScale = 1.0;
  double OffsetX = 0, OffsetY = 0;  // mm
  double RotationAngle = 0;         // degrees, clockwise positive
  bool Monochrome = false;
  int32_t MonoThreshold = 0;
  bool WhiteToBlackNormal = false;
  int32_t NormalWhiteThreshold = 0;
  bool WhiteToBlackSxf = false;
  int32_t SxfWhiteThreshold = 0;
  bool PerLayerGroup = false;
  bool OneDocument = false;
  int32_t CommonLayerGroup = 0;  // as stored: see CommonGroupsOf
  bool PrintAuxLines = false;
  ::DisplayOnlyMode DisplayOnlyMode = ::DisplayOnlyMode::NotPrinted;
  TColor DisplayOnlyColor = 0;
  ::PrintOrder PrintOrder = ::PrintOrder::AsStored;
  TableSource PenSource = TableSource::EachDrawing;
  TColor BulkColor = 0;
  double BulkWidth = 0;
  double BulkPointRadius = 0.1;
  TableSource LineTypeSource = TableSource::EachDrawing;
  double LineTypePitch = 0.035;  // mm per pattern dot
  // Colour or black, the display-only layers and SXF white taken from each
  // drawing's own print settings, as the CAD program prints it. Kept after the
  // fixed layout of the settings files.
  bool FollowDrawing = false;
  // Options the user gave explicitly (on the command line): they win over
  // the drawing's own settings. Not stored.
  bool MonochromeGiven = false, DisplayOnlyGiven = false, SxfWhiteGiven = false;
  // The paper asked for by the paper options ("paper drawing", "fit-paper
  // A3"); the paper to reduce onto, portrait. Not stored (the window keeps
  // its own choice with its output).
  PaperMode Paper = PaperMode::Given;
  double FitPaperWidthMm = 0, FitPaperHeightMm = 0;

  std::array<TPenRow, TgraAttribute::kPenRows> PenTable;
  std::array<TLineTypeRow, TgraAttribute::kLineTypeRows> LineTypeTable;

  // Every option at its default, the tables as the pen attributes' defaults.
  PrintSettings();
};

// A line-type row of the pen attributes as the settings keep it: count,
// amplitude, elements and period (the fitted repeat is not kept).
TLineTypeRow StoredLineTypeRow(const TgraAttribute& attr, int row);

// The groups every per-group page also prints, as CommonLayerGroup stores
// them: 0 none, 1..16 the group 0..F, 17 the display-only groups. Decoded
// here alone.
constexpr int32_t kCommonDisplayOnlyGroups = 17;
struct CommonGroups {
  int Group = -1;                  // the one group (0..15), or -1
  bool DisplayOnlyGroups = false;  // every display-only group
};
inline CommonGroups CommonGroupsOf(int32_t stored) {
  CommonGroups c;
  if (stored >= 1 && stored <= 16) c.Group = stored - 1;
  c.DisplayOnlyGroups = stored == kCommonDisplayOnlyGroups;
  return c;
}
