// The canvas on a QPainter: printer, PDF and PNG pages alike.
#pragma once

#include <cmath>

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QRawFont>
#include <QString>
#include <memory>
#include <vector>

#include "platform/GlyphCache.h"
#include "platform/QtColor.h"
#include "render/Canvas.h"

namespace platform {

class QtCanvas : public Canvas {
 public:
  explicit QtCanvas(QPainter* painter)
      : painter_(painter),
        vector_(painter->paintEngine() && painter->paintEngine()->type() == QPaintEngine::Pdf) {}
  ~QtCanvas() override { Flush(); }
  // Draws the lines and glyphs still held back and returns the painter to
  // the page's frame; before the painter changes pages or draws for someone else.
  void Flush();

  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  void Polyline(const DevicePoint* points, size_t count) override;
  void Polygon(const DevicePoint* points, size_t count) override;
  void TextOut(int32_t x, int32_t y, const std::string& sjis) override;
  bool ImageSize(const std::string& path, int32_t& width, int32_t& height) override;
  void DrawImage(const ImagePlacement& placement) override;

  QPainter* Painter() const { return painter_; }
  // Forget the pen and brush applied, after someone else used the painter.
  void Invalidate() { appliedValid_ = false; }

 private:
  void DrawHeldLines();
  void DrawHeldGlyphs();
  void DrawGlyph(QGlyphRun& run, quint32 index, const QPointF& baseline);  // one glyph of `run`'s font
  void ApplyTextFont(const FontSpec& f, size_t faceFrom);
  void ApplyTextPen();
  void DrawUprightGlyph(quint32 index, const QPointF& baseline, double cellHeight);
  void DrawFramedGlyph(const GlyphCache::Glyph& glyph, const QTransform& origin, double at, double cellWidth,
                       double cellHeight, bool turned);
  void EndText();  // the page's own frame again after a text's glyph frame
  // The face's ascent at a cell height, in whole device pixels.
  double AscentPixels(double cellHeight) const { return std::round(text_.ascender * cellHeight); }
  void ApplyPen();
  void ApplyPenAndBrush();
  const QImage& Image(const QString& path);

  QPainter* painter_;
  bool vector_;  // a PDF page or a printer: lines are written, not rasterised
  int32_t cx_ = 0, cy_ = 0;
  std::vector<QPoint> points_;
  std::vector<QLine> lines_;  // lines in the applied pen, not drawn yet
  QTransform textBase_;            // the painter's frame before the last text
  bool textTransformKept_ = false;  // the painter still holds a glyph's frame
  QList<quint32> heldGlyphs_;        // on paper: glyphs of that frame not drawn yet
  QList<QPointF> heldPositions_;
  bool appliedValid_ = false;
  TColor appliedPen_ = 0;
  int32_t appliedWidth_ = -1;
  bool appliedBrushValid_ = false;
  TColor appliedBrush_ = 0;
  BrushStyle appliedStyle_ = BrushStyle::Clear;
  QString cachedPath_;
  QImage cachedImage_;
  GlyphCache text_;  // the font of the last TextOut and its glyphs
};

}  // namespace platform
