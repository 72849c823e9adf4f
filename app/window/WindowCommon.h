// Small helpers every part of the window uses: text conversions at the edge
// between Shift-JIS and the screen, number texts of the controls, colours.
#pragma once

#include <QColor>
#include <QIcon>
#include <QRect>
#include <algorithm>
#include <QPalette>
#include <QString>
#include <QWidget>
#include <cmath>
#include <cstdio>
#include <string>

#include "app/core/SettingsFile.h"
#include "attr/UnitGraAtt.h"
#include "platform/QtColor.h"
#include "util/CodePage.h"
#include "util/Numeric.h"

namespace window {

// The window's colours: background, status bar and printer line, lists and tables.
inline const QColor kWindowColor(255, 202, 255), kStatusColor(255, 170, 255), kListColor(255, 236, 255);

// A drawing's name, whatever the letter case of its extension.
inline bool IsJwwPath(const QString& p) {
  const int dot = p.lastIndexOf('.');
  return dot >= 0 && p.mid(dot + 1).compare(QStringLiteral("jww"), Qt::CaseInsensitive) == 0 &&
         p.lastIndexOf('/') < dot;
}

inline QString Q(const std::string& sjis) { return QString::fromUtf8(util::Cp932ToUtf8(sjis).c_str()); }
inline std::string Sjis(const QString& s) { return util::Utf8ToCp932(s.toStdString()); }

// Reals as the controls show them: up to 15 significant digits (1.8, not 1.7999999999999998).
inline QString RealText(double v) {
  char b[64];
  std::snprintf(b, sizeof b, "%.15g", std::isfinite(v) ? v : 0.0);
  return QString::fromLatin1(b);
}
inline double RealOf(const QString& t) { return util::TextToReal(t.toStdString()); }
inline int32_t IntOf(const QString& t) { return SettingsTextToInt(t.toStdString()); }

inline void Paint(QWidget* w, const QColor& c) {
  w->setAutoFillBackground(true);
  QPalette p = w->palette();
  p.setColor(QPalette::Window, c);
  p.setColor(QPalette::Base, c);
  w->setPalette(p);
}

// A window's saved place and size on the screen as it is now: never larger
// than the room the screen gives, and wholly on it.
inline QRect FitOnScreen(const QRect& saved, const QRect& room) {
  if (room.isEmpty()) return saved;
  const int w = std::clamp(saved.width(), 100, room.width()), h = std::clamp(saved.height(), 100, room.height());
  const int x = std::clamp(saved.x(), room.left(), room.left() + room.width() - w);
  const int y = std::clamp(saved.y(), room.top(), room.top() + room.height() - h);
  return QRect(x, y, w, h);
}

// The program's own icon: a stack of drawing sheets with a floor plan.
QIcon AppIcon();

using platform::FromQColor;
using platform::ToQColor;

}  // namespace window
