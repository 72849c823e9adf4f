#include "platform/GlyphCache.h"

#include <QFontDatabase>

#include "platform/Fonts.h"
#include "util/CodePage.h"

namespace platform {

namespace {

// Whether the family has an italic or oblique style of its own (Qt reports
// an italic it synthesises as italic too, so the styles are asked).
bool HasItalicStyle(const QString& family) {
  for (const QString& style : QFontDatabase::styles(family))
    if (QFontDatabase::italic(family, style)) return true;
  return false;
}

}  // namespace

bool GlyphCache::Holds(const FontSpec& f, size_t faceFrom) const {
  return metrics && face.compare(0, std::string::npos, f.FaceName, faceFrom, std::string::npos) == 0 &&
         weight == f.Weight && italic == f.Italic && underline == f.Underline && strikeOut == f.StrikeOut;
}

void GlyphCache::Load(const FontSpec& f, size_t faceFrom) {
  face = f.FaceName.substr(faceFrom);
  weight = f.Weight;
  italic = f.Italic;
  underline = f.Underline;
  strikeOut = f.StrikeOut;
  QFont qfont(PrintFamily(QString::fromUtf8(util::Cp932ToUtf8(face).c_str())));
  qfont.setPixelSize(1000);  // a large reference em, scaled into the cell below
  qfont.setHintingPreference(QFont::PreferNoHinting);
  qfont.setWeight(f.Weight >= 600 ? QFont::Bold : QFont::Normal);
  qfont.setItalic(f.Italic);
  qfont.setUnderline(f.Underline);
  qfont.setStrikeOut(f.StrikeOut);
  raw = QRawFont::fromFont(qfont);
  slant = 0;
  if (f.Italic && !HasItalicStyle(raw.familyName())) {
    // No italic style in the face (the Japanese faces have none): the
    // upright glyphs sheared by a quarter of their height, GDI's simulated
    // italic, in place of Qt's own slant (0.3 on paper).
    qfont.setItalic(false);
    raw = QRawFont::fromFont(qfont);
    slant = 0.25;
  }
  font = qfont;
  ascender = TypoAscender(qfont);
  metrics = std::make_unique<QFontMetricsF>(qfont);
  run = QGlyphRun();
  run.setRawFont(raw);
  run.setUnderline(f.Underline);
  run.setStrikeOut(f.StrikeOut);
  glyphs.clear();
  sizedHeight = -1;
  applied = false;
}

const GlyphCache::Glyph& GlyphCache::Find(const std::string& sjis, size_t from, size_t n) {
  // A character's bytes as one number: lead bytes are 0x81 and above, so
  // two-byte characters never meet one-byte ones.
  const auto byte = [&](size_t k) { return static_cast<quint16>(static_cast<unsigned char>(sjis[k])); };
  const quint16 key = n == 2 ? static_cast<quint16>(byte(from) << 8 | byte(from + 1)) : byte(from);
  auto found = glyphs.constFind(key);
  if (found == glyphs.constEnd()) {
    const QString ch = QString::fromUtf8(util::Cp932ToUtf8(sjis.substr(from, n)).c_str());
    quint32 index = 0;
    if (raw.isValid()) {
      const QList<quint32> indexes = raw.glyphIndexesForString(ch);
      if (indexes.size() == 1) index = indexes[0];
    }
    found = glyphs.insert(key, {ch, metrics->horizontalAdvance(ch), index});
  }
  return *found;
}

QGlyphRun& GlyphCache::SizedRun(double cellHeight) {
  if (sizedHeight != cellHeight) {
    sized = raw;
    sized.setPixelSize(cellHeight);
    sizedRun = run;  // the font's lines under and through
    sizedRun.setRawFont(sized);
    sizedHeight = cellHeight;
  }
  return sizedRun;
}

}  // namespace platform
