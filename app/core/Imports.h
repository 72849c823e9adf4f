// Taking pen and line-type settings over into the user's tables: from a
// drawing (its own pens and line types) or from an environment file (.jwf).
#pragma once

#include <string>

#include "app/core/PrintSettings.h"
#include "jww/jwwunit.h"
#include "util/Status.h"

// What an import did, for the status line; on failure nothing changed, and
// the why says what the file lacked.
struct Imported {
  bool DarkBackground = false;  // the drawing's print background was dark
  std::string Status;           // Shift-JIS
};
using ImportResult = util::Result<Imported>;

// Pens (rows 0..264) or line types (rows 0..49) of a drawing, read with its
// header and first 100 objects, into the settings' tables.
ImportResult ImportPensFromJww(const std::string& path, PrintSettings& s, TgraAttribute& attr,
                               const UnitGraAtt::PrinterResolution* printer);
ImportResult ImportLineTypesFromJww(const std::string& path, PrintSettings& s, TgraAttribute& attr);

// Pens (rows 0..8 and the display-only colour) or line types (rows 0..17)
// of an environment file.
ImportResult ImportPensFromJwf(const std::string& path, PrintSettings& s);
ImportResult ImportLineTypesFromJwf(const std::string& path, PrintSettings& s, TgraAttribute& attr);

// The mm per width step (pens) or per pattern dot (line types) of a JWF file.
double ReadJwfUnit(const std::string& path, bool pens, double lineTypePitch);
// The same over a JWF file's text (`path` names it in the status text).
double JwfUnit(const std::string& text, bool pens, double lineTypePitch);
ImportResult ImportPensFromJwfText(const std::string& text, const std::string& path, PrintSettings& s);
ImportResult ImportLineTypesFromJwfText(const std::string& text, const std::string& path, PrintSettings& s,
                                        TgraAttribute& attr);
