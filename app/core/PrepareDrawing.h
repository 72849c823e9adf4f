// One loaded drawing made ready to print on a device: the options it prints
// with, its pens, line types and layer states handed to the pen attributes
// (display-only layers treated as the options say), the paper of its pages,
// its page window and the colour rules; and what its pages measure their
// warnings against.
#pragma once

#include <cstdint>

#include "app/core/DrawingPaper.h"
#include "app/core/PageWarnings.h"
#include "app/core/PrintSettings.h"
#include "attr/UnitGraAtt.h"
#include "jww/jwwunit.h"
#include "render/PrintDevice.h"

// The options one drawing prints with: with FollowDrawing, colour or black,
// the display-only layers (in grey, as the CAD program prints them) and SXF
// white (black on paper) come from the drawing, unless given explicitly.
PrintSettings SettingsForDrawing(const PrintSettings& settings, const TJwwData& drawing);

struct PreparedDrawing {
  PrintSettings Settings;      // the run's options as this drawing follows them
  double Rotation = 0;         // the page's turn (radians), as the page window has it
  bool SheetUnknown = false;   // its own sheet was asked for, and its paper code names none
  bool HasPrinted = false;     // anything of it prints at all
  jwwunit::Extents Printed;    // the extents of what prints (drawing mm)
  LayerEntityCounts LayerCounts{};
};

// Makes the loaded drawing ready: the pen attributes `a` and the page window
// (UnitGval::PageWindow) are set for it, and the device's paper chosen as
// `paper` says.
PreparedDrawing PrepareDrawing(TJwwData& d, TgraAttribute& a, PrintDevice& device, const PrintSettings& run,
                               PaperMode paper);
