// Fonts for drawing texts: Windows Japanese face names mapped to installed
// Japanese fonts, and the metrics that put a glyph into its character cell.
#pragma once

#include <QFont>
#include <QRawFont>
#include <QString>

namespace platform {

// The installed family that prints a drawing's face name (UTF-8, without a
// leading "@"): the Windows Japanese fonts map to the IPA fonts, other names
// are used when installed, else IPAGothic.
QString PrintFamily(const QString& faceName);

// The installed family that prints a face name in its place when the face
// is neither installed nor one of the Windows faces with an equivalent here;
// empty when it prints as asked (an empty name is the default face).
QString FontUsedInstead(const QString& faceName);

// The part of the em above the baseline (the OS/2 typographic ascender over
// units per em), 0.88 for the IPA and Noto CJK fonts.
double TypoAscender(const QFont& font);

}  // namespace platform
