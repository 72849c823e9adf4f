// The font of the last text a QtCanvas drew, set up once for as long as it
// stays, with its glyphs looked up once per Shift-JIS character.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QRawFont>
#include <QString>
#include <memory>
#include <string>

#include "render/Canvas.h"

struct hb_font_t;

namespace platform {

struct GlyphCache {
  std::string face;
  int weight = -1;
  bool italic = false, underline = false, strikeOut = false;
  QFont font;
  double ascender = 0.88;
  // An italic asked of a face without an italic style is drawn upright and
  // sheared by this share of its height (x moves right by slant x height
  // above the baseline), as GDI simulates one; 0 otherwise.
  double slant = 0;
  std::unique_ptr<QFontMetricsF> metrics;
  QRawFont raw;  // the face's own glyphs, drawn without shaping each character again
  QGlyphRun run;  // one glyph of `raw` at the origin, with the font's lines
  QRawFont sized;  // `raw` at the pixel height of the last upright text
  QGlyphRun sizedRun;
  double sizedHeight = -1;
  quint32 glyph = 0;        // the one glyph QtCanvas::DrawGlyph draws (the runs point at it)
  const QPointF origin{0, 0};
  struct Glyph {
    QString text;
    double advance;
    quint32 index;  // in `raw`; 0 when the face lacks it (drawn as text, with fallback fonts)
    qint64 vertical = -1;  // the glyph's vertical form in `raw` (its own index if none); -1 not asked yet
  };
  QHash<quint16, Glyph> glyphs;  // by Shift-JIS character
  bool applied = false;              // the painter holds this font

  // Whether this is the font `f` asks for, its face name read from faceFrom.
  bool Holds(const FontSpec& f, size_t faceFrom) const;
  // Sets up the font `f` asks for, forgetting the glyphs of the one before.
  void Load(const FontSpec& f, size_t faceFrom);
  // The glyph of the character of n bytes at `from` in `sjis`.
  Glyph& Find(const std::string& sjis, size_t from, size_t n);
  // `run` with the face at a pixel height.
  QGlyphRun& SizedRun(double cellHeight);
  // The glyph a line written down the page sets for `g`: its vertical form
  // (the face's own substitute, as for a long-vowel mark, brackets, a wave
  // dash or an ellipsis), or the glyph itself.
  quint32 VerticalForm(Glyph& g);

  GlyphCache();
  ~GlyphCache();
  GlyphCache(const GlyphCache&) = delete;
  GlyphCache& operator=(const GlyphCache&) = delete;

 private:
  hb_font_t* shaper_ = nullptr;  // `raw`'s tables for finding vertical forms, made when first needed
  void DropShaper();
};

}  // namespace platform
