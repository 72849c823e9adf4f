// Rules both programs share around a print run that are not about any
// window: the pen attributes made ready for printing, colour codes kept in
// range, which import a file's kind calls for, and the page's orientation.
#pragma once

#include <cstdint>
#include <string>

#include "app/core/Imports.h"
#include "app/core/PaperSize.h"
#include "app/core/PrintSettings.h"
#include "attr/UnitGraAtt.h"
#include "render/PrintDevice.h"

// The pen attributes at their defaults, in print mode, with the default pen
// colours for a light (or dark) print background and no auxiliary lines.
void PreparePenAttributes(TgraAttribute& attr, bool darkBackground);
// The colour rules of the settings (monochrome, white to black) handed on.
void ApplyColorRules(TgraAttribute& attr, const PrintSettings& s);

// A colour code as typed (any integer) kept to 0..0xFFFFFF.
TColor ClampColorCode(int64_t code);

enum class ImportKind { None, Drawing, Environment };  // .jww, .jwf (any letter case)
ImportKind ImportKindOf(const std::string& path);

// The pen or line-type import for the file's kind (.jww or .jwf); fails,
// saying so, for a file of any other kind. `printer` sets the pen widths of
// a drawing's pens.
ImportResult ImportPensFrom(const std::string& path, PrintSettings& s, TgraAttribute& attr,
                            const UnitGraAtt::PrinterResolution* printer);
ImportResult ImportLineTypesFrom(const std::string& path, PrintSettings& s, TgraAttribute& attr);

// The page for a paper in landscape (long side across) or portrait.
PageSetup OrientedPage(const PaperSize& paper, bool landscape, int dpi);
