#include "platform/GlyphCache.h"

#include <hb-ot.h>
#include <hb.h>

#include <QByteArray>
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

// A table of the face for the shaper, copied out of the raw font.
hb_blob_t* FontTable(hb_face_t*, hb_tag_t tag, void* user) {
  const QRawFont& raw = *static_cast<const QRawFont*>(user);
  const char name[4] = {static_cast<char>(tag >> 24), static_cast<char>(tag >> 16), static_cast<char>(tag >> 8),
                        static_cast<char>(tag)};
  auto* data = new QByteArray(raw.fontTable(name));
  if (data->isEmpty()) {
    delete data;
    return nullptr;
  }
  return hb_blob_create(data->constData(), static_cast<unsigned>(data->size()), HB_MEMORY_MODE_READONLY, data,
                        [](void* p) { delete static_cast<QByteArray*>(p); });
}

}  // namespace

GlyphCache::GlyphCache() = default;
GlyphCache::~GlyphCache() { DropShaper(); }

void GlyphCache::DropShaper() {
  if (shaper_) hb_font_destroy(shaper_);
  shaper_ = nullptr;
}

quint32 GlyphCache::VerticalForm(Glyph& g) {
  if (g.vertical >= 0) return static_cast<quint32>(g.vertical);
  g.vertical = g.index;
  if (g.index == 0 || !raw.isValid()) return g.index;
  if (!shaper_) {
    hb_face_t* face = hb_face_create_for_tables(FontTable, &raw, nullptr);
    hb_face_set_upem(face, static_cast<unsigned>(raw.unitsPerEm()));
    shaper_ = hb_font_create(face);
    hb_ot_font_set_funcs(shaper_);
    hb_face_destroy(face);
  }
  // Shaped down the page the face substitutes its vertical forms ('vert').
  hb_buffer_t* buffer = hb_buffer_create();
  hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(g.text.utf16()), static_cast<int>(g.text.size()),
                      0, -1);
  hb_buffer_set_direction(buffer, HB_DIRECTION_TTB);
  hb_buffer_guess_segment_properties(buffer);
  hb_shape(shaper_, buffer, nullptr, 0);
  unsigned count = 0;
  const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
  if (count == 1 && info[0].codepoint != 0) g.vertical = info[0].codepoint;
  hb_buffer_destroy(buffer);
  return static_cast<quint32>(g.vertical);
}

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
  DropShaper();  // it reads the tables of `raw`
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

GlyphCache::Glyph& GlyphCache::Find(const std::string& sjis, size_t from, size_t n) {
  // A character's bytes as one number: lead bytes are 0x81 and above, so
  // two-byte characters never meet one-byte ones.
  const auto byte = [&](size_t k) { return static_cast<quint16>(static_cast<unsigned char>(sjis[k])); };
  const quint16 key = n == 2 ? static_cast<quint16>(byte(from) << 8 | byte(from + 1)) : byte(from);
  auto found = glyphs.find(key);
  if (found == glyphs.end()) {
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
