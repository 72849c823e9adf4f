// Colours between the drawing's RGB values and Qt's.
#pragma once

#include <QColor>

#include "util/Color.h"

namespace platform {

inline QColor ToQColor(TColor c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
inline TColor FromQColor(const QColor& c) { return Rgb(c.red(), c.green(), c.blue()); }

}  // namespace platform
