#include "platform/Fonts.h"

#include <QFontDatabase>
#include <QHash>
#include <QtEndian>

namespace platform {

QString PrintFamily(const QString& faceName) {
  static QHash<QString, QString> cache;
  const auto it = cache.constFind(faceName);
  if (it != cache.constEnd()) return *it;
  struct Map {
    const char* windows;
    const char* local;
  };
  static const Map kMaps[] = {
      {"ＭＳ ゴシック", "IPAGothic"},    {"MS Gothic", "IPAGothic"},     {"ＭＳ 明朝", "IPAMincho"},
      {"MS Mincho", "IPAMincho"},        {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"MS PGothic", "IPAPGothic"},
      {"ＭＳ Ｐ明朝", "IPAPMincho"},      {"MS PMincho", "IPAPMincho"},   {"MS UI Gothic", "IPAPGothic"},
      {"ＭＳ ＵＩ ゴシック", "IPAPGothic"}, {"標準", "IPAGothic"},
  };
  QString family;
  for (const Map& m : kMaps)
    if (faceName == QString::fromUtf8(m.windows)) family = QString::fromUtf8(m.local);
  if (family.isEmpty()) {
    const QStringList installed = QFontDatabase::families();
    family = installed.contains(faceName, Qt::CaseInsensitive) ? faceName : QStringLiteral("IPAGothic");
  }
  cache.insert(faceName, family);
  return family;
}

QString FontUsedInstead(const QString& faceName) {
  static QHash<QString, QString> cache;
  const auto it = cache.constFind(faceName);
  if (it != cache.constEnd()) return *it;
  QString instead;
  const QString family = PrintFamily(faceName);
  // PrintFamily falls back to IPAGothic; the gothic faces map to it on purpose.
  if (!faceName.isEmpty() && family == QStringLiteral("IPAGothic") &&
      !QFontDatabase::families().contains(faceName, Qt::CaseInsensitive)) {
    instead = family;
    for (const char* gothic : {"ＭＳ ゴシック", "MS Gothic", "標準"})
      if (faceName == QString::fromUtf8(gothic)) instead.clear();
  }
  cache.insert(faceName, instead);
  return instead;
}

double TypoAscender(const QFont& font) {
  static QHash<QString, double> cache;
  const QString key = font.family() + QString::number(font.weight()) + (font.italic() ? "i" : "");
  const auto it = cache.constFind(key);
  if (it != cache.constEnd()) return *it;
  double ascender = 0.88;
  const QRawFont raw = QRawFont::fromFont(font);
  const QByteArray os2 = raw.fontTable("OS/2"), head = raw.fontTable("head");
  if (os2.size() >= 70 && head.size() >= 20) {
    const auto typoAsc = qFromBigEndian<qint16>(os2.constData() + 68);
    const auto unitsPerEm = qFromBigEndian<quint16>(head.constData() + 18);
    if (unitsPerEm > 0 && typoAsc > 0) ascender = static_cast<double>(typoAsc) / unitsPerEm;
  }
  cache.insert(key, ascender);
  return ascender;
}

}  // namespace platform
