// The user's print options and hand-set pen and line-type tables.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "attr/UnitGraAtt.h"
#include "jww/DrawDrawingArgs.h"

struct PrintSettings {
  int32_t PrintMethod = 0;  // 0 the drawing's own scale, 1 fit to page, 2 given scale
  double PrintScale = 1.0;
  double OffsetX = 0, OffsetY = 0;  // mm
  double RotationAngle = 0;         // degrees, clockwise positive
  int32_t Monochrome = 0;
  int32_t MonoThreshold = 0;
  int32_t WhiteToBlackNormal = 0;
  int32_t NormalWhiteThreshold = 0;
  int32_t WhiteToBlackSxf = 0;
  int32_t SxfWhiteThreshold = 0;
  int32_t PerLayerGroup = 0;
  int32_t OneDocument = 0;
  int32_t CommonLayerGroup = 0;  // 0 none, 1..16 group 0..F, 17 the display-only groups
  int32_t PrintAuxLines = 0;
  int32_t DisplayOnlyMode = 0;   // 0 not printed, 1 grey (pen 9), 2 DisplayOnlyColor, 3 as usual
  TColor DisplayOnlyColor = 0;
  ::PrintOrder PrintOrder = ::PrintOrder::AsStored;
  int32_t PenSource = 0;         // 0 from each drawing, 1 the table
  TColor BulkColor = 0;
  double BulkWidth = 0;
  double BulkPointRadius = 0.1;
  int32_t LineTypeSource = 0;    // 0 from each drawing, 1 the table
  double LineTypePitch = 0.035;  // mm per pattern dot
  // Colour or black, the display-only layers and SXF white taken from each
  // drawing's own print settings, as the CAD program prints it. Kept after the
  // fixed layout of the settings files.
  int32_t FollowDrawing = 0;
  // Options the user gave explicitly (on the command line): they win over
  // the drawing's own settings. Not stored.
  bool MonochromeGiven = false, DisplayOnlyGiven = false, SxfWhiteGiven = false;

  std::array<TPenRow, TgraAttribute::kPenRows> PenTable;
  std::array<TLineTypeRow, TgraAttribute::kLineTypeRows> LineTypeTable;

  // Every option at its default, the tables as the pen attributes' defaults.
  PrintSettings();
};
