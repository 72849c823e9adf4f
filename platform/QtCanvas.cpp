#include "platform/QtCanvas.h"

#include <QFont>

#include "platform/ImageLoader.h"
#include "util/Sjis.h"

namespace platform {

namespace {

Qt::BrushStyle ToQtBrush(BrushStyle s) {
  switch (s) {
    case BrushStyle::Solid: return Qt::SolidPattern;
    case BrushStyle::Horizontal: return Qt::HorPattern;
    case BrushStyle::Vertical: return Qt::VerPattern;
    case BrushStyle::ForwardDiagonal: return Qt::FDiagPattern;
    case BrushStyle::BackwardDiagonal: return Qt::BDiagPattern;
    case BrushStyle::Cross: return Qt::CrossPattern;
    case BrushStyle::DiagonalCross: return Qt::DiagCrossPattern;
    case BrushStyle::Clear: break;
  }
  return Qt::NoBrush;
}

}  // namespace

void QtCanvas::Flush() {
  DrawHeldLines();
  EndText();
}

void QtCanvas::DrawHeldLines() {
  if (lines_.empty()) return;
  painter_->drawLines(lines_.data(), static_cast<int>(lines_.size()));
  lines_.clear();
}

void QtCanvas::DrawHeldGlyphs() {
  if (heldGlyphs_.isEmpty()) return;
  QGlyphRun run = text_.run;
  run.setGlyphIndexes(heldGlyphs_);
  run.setPositions(heldPositions_);
  painter_->drawGlyphRun(QPointF(0, 0), run);
  heldGlyphs_.clear();
  heldPositions_.clear();
}

void QtCanvas::DrawGlyph(QGlyphRun& run, quint32 index, const QPointF& baseline) {
  text_.glyph = index;
  run.setRawData(&text_.glyph, &text_.origin, 1);
  painter_->drawGlyphRun(baseline, run);
}

void QtCanvas::EndText() {
  DrawHeldGlyphs();
  if (!textTransformKept_) return;
  painter_->setTransform(textBase_);
  textTransformKept_ = false;
}

void QtCanvas::ApplyPen() {
  if (appliedValid_ && appliedPen_ == PenColor() && appliedWidth_ == PenWidth()) return;
  DrawHeldLines();
  // Round caps and joins, as a printer's solid pens draw. Width 0 is one
  // device pixel: never a zero-width line, which viewers show at screen size.
  QPen pen(ToQColor(PenColor()), std::max<int32_t>(1, PenWidth()), Qt::SolidLine, Qt::RoundCap,
           Qt::RoundJoin);
  painter_->setPen(pen);
  appliedPen_ = PenColor();
  appliedWidth_ = PenWidth();
  if (!appliedValid_) appliedBrushValid_ = false;
  appliedValid_ = true;
}

void QtCanvas::ApplyPenAndBrush() {
  ApplyPen();
  if (appliedBrushValid_ && appliedBrush_ == BrushColor() && appliedStyle_ == GetBrushStyle()) return;
  painter_->setBrush(QBrush(ToQColor(BrushColor()), ToQtBrush(GetBrushStyle())));
  appliedBrush_ = BrushColor();
  appliedStyle_ = GetBrushStyle();
  appliedBrushValid_ = true;
}

void QtCanvas::MoveTo(int32_t x, int32_t y) {
  cx_ = x;
  cy_ = y;
}

void QtCanvas::LineTo(int32_t x, int32_t y) {
  if (vector_) {
    // On paper every line stays a stroke of its own: PDF viewers snap a lone
    // straight stroke to their pixels, and draw the same lines as one path
    // thinner and grey on screen.
    EndText();
    ApplyPen();
    painter_->drawLine(cx_, cy_, x, y);
  } else {
    // On pixels, lines of one pen go to the device together: the same
    // pixels in one call.
    ApplyPen();
    lines_.emplace_back(cx_, cy_, x, y);
    if (lines_.size() >= 4096) DrawHeldLines();
  }
  cx_ = x;
  cy_ = y;
}

void QtCanvas::Polyline(const DevicePoint* p, size_t n) {
  if (n < 2) return;
  Flush();
  ApplyPen();
  points_.resize(n);
  for (size_t i = 0; i < n; ++i) points_[i] = QPoint(p[i].x, p[i].y);
  painter_->drawPolyline(points_.data(), static_cast<int>(n));
}

void QtCanvas::Polygon(const DevicePoint* p, size_t n) {
  if (n < 2) return;
  Flush();
  ApplyPenAndBrush();
  points_.resize(n);
  for (size_t i = 0; i < n; ++i) points_[i] = QPoint(p[i].x, p[i].y);
  painter_->drawPolygon(points_.data(), static_cast<int>(n), Qt::OddEvenFill);
}

void QtCanvas::ApplyTextFont(const FontSpec& f, size_t faceFrom) {
  if (!text_.Holds(f, faceFrom)) {
    DrawHeldGlyphs();
    text_.Load(f, faceFrom);
  }
  if (!text_.applied) {
    painter_->setFont(text_.font);
    text_.applied = true;
  }
}

void QtCanvas::ApplyTextPen() {
  // Text takes the pen's colour; the line pen is set again when lines follow.
  const QColor colour = ToQColor(PenColor());
  if (painter_->pen().color() != colour || painter_->pen().style() != Qt::SolidLine) {
    DrawHeldGlyphs();
    painter_->setPen(colour);
    appliedValid_ = false;
  }
}

void QtCanvas::DrawUprightGlyph(quint32 index, const QPointF& baseline, double cellHeight) {
  // Upright in the font's own proportions: on pixels, the glyph of the
  // face at the cell's height, with no frame to scale it.
  QGlyphRun& run = text_.SizedRun(cellHeight);
  EndText();
  DrawGlyph(run, index, baseline);
}

void QtCanvas::DrawFramedGlyph(const GlyphCache::Glyph& glyph, const QTransform& origin, double at,
                               double cellWidth, double cellHeight, bool turned) {
  QTransform t = origin;
  t.translate(at, 0);
  if (turned) {
    // Turned back a quarter inside its cell: down a vertical line (the
    // line's x axis pointing down the page) it then reads upright.
    t.translate(0, cellHeight);
    t.rotate(-90);
    t.scale(cellHeight / glyph.advance, cellWidth / 1000.0);
  } else {
    if (text_.slant != 0) {
      // Sheared about the baseline, in device pixels.
      t.translate(0, AscentPixels(cellHeight));
      t.shear(-text_.slant, 0);
      t.translate(0, -AscentPixels(cellHeight));
    }
    t.scale(cellWidth / glyph.advance, cellHeight / 1000.0);
  }
  // The baseline a whole number of device pixels below the cell's top, as
  // GDI places a top-aligned text: the ascent rounded at the cell's height.
  // (Turned glyphs keep the exact share of their frame.)
  QPointF baseline(0, turned ? text_.ascender * 1000.0 : AscentPixels(cellHeight) * 1000.0 / cellHeight);
  const QTransform& now = painter_->transform();
  if (vector_ && textTransformKept_ && now.m11() == t.m11() && now.m12() == t.m12() &&
      now.m21() == t.m21() && now.m22() == t.m22()) {
    // Scaled and turned as the glyph before it: on paper, placed within
    // that glyph's frame rather than under a frame of its own, which a
    // PDF writes out with the whole drawing state again.
    baseline += now.inverted().map(QPointF(t.dx(), t.dy()));
  } else {
    DrawHeldGlyphs();
    painter_->setTransform(t);
    textTransformKept_ = true;
  }
  const FontSpec& f = Font();
  if (glyph.index != 0 && vector_ && !f.Underline && !f.StrikeOut) {
    // Held back and written as one run with the glyphs that follow in
    // this frame (lines under or through text stay per glyph).
    heldGlyphs_.append(glyph.index);
    heldPositions_.append(baseline);
  } else if (glyph.index != 0) {
    DrawGlyph(text_.run, glyph.index, baseline);
  } else {
    DrawHeldGlyphs();
    painter_->drawText(baseline, glyph.text);
  }
}

void QtCanvas::TextOut(int32_t x, int32_t y, const std::string& sjis) {
  const FontSpec& f = Font();
  if (f.Height == 0 || sjis.empty()) return;
  DrawHeldLines();
  // The face: a leading "@" writes vertically (full-width glyphs turned in their cell).
  const bool vertical = !f.FaceName.empty() && f.FaceName[0] == '@';
  ApplyTextFont(f, vertical ? 1 : 0);
  ApplyTextPen();
  const double cellHeight = std::abs(f.Height);
  // LOGFONT width is the half-width cell; 0 means the font's own proportions.
  const double halfCell = f.Width != 0 ? std::abs(f.Width) : cellHeight / 2;

  if (!textTransformKept_) textBase_ = painter_->transform();
  QTransform origin = textBase_;
  origin.translate(x, y);
  if (f.Escapement != 0) origin.rotate(-f.Escapement / 10.0);
  double at = 0;
  for (size_t i = 0; i < sjis.size();) {
    const size_t n = util::SjisCharLength(sjis, i);
    GlyphCache::Glyph& found = text_.Find(sjis, i, n);
    i += n;
    // Down the page a full-width character takes its vertical form.
    GlyphCache::Glyph turned;
    if (vertical && n == 2) {
      turned = found;
      turned.index = text_.VerticalForm(found);
    }
    const GlyphCache::Glyph& glyph = vertical && n == 2 ? turned : found;
    const double cellWidth = n == 2 ? 2 * halfCell : halfCell;
    if (glyph.advance > 0 && !vector_ && f.Escapement == 0 && !(vertical && n == 2) && glyph.index != 0 &&
        text_.slant == 0 && cellWidth / glyph.advance == cellHeight / 1000.0) {
      DrawUprightGlyph(glyph.index, QPointF(x + at, y + AscentPixels(cellHeight)), cellHeight);
    } else if (glyph.advance > 0) {
      DrawFramedGlyph(glyph, origin, at, cellWidth, cellHeight, vertical && n == 2);
    }
    at += cellWidth;
  }
  // Pixels go back to the page's frame at once; paper keeps the glyph frame
  // for the text that often follows and goes back before anything else.
  if (!vector_) EndText();
}

const QImage& QtCanvas::Image(const QString& path) {
  if (path != cachedPath_) {
    cachedImage_ = LoadImageFile(path);
    cachedPath_ = path;
  }
  return cachedImage_;
}

bool QtCanvas::ImageSize(const std::string& path, int32_t& width, int32_t& height) {
  const QString p = QString::fromUtf8(path.c_str());
  const QSize size = p == cachedPath_ ? cachedImage_.size() : ImageFileSize(p);
  if (size.isEmpty()) return false;
  width = size.width();
  height = size.height();
  return true;
}

void QtCanvas::DrawImage(const ImagePlacement& p) {
  Flush();
  const QImage& image = Image(QString::fromUtf8(p.Path.c_str()));
  if (image.isNull()) return;
  const QRect source(p.SrcLeft, p.SrcTop, p.SrcWidth, p.SrcHeight);
  const QRect target(p.DstLeft, p.DstTop, p.DstWidth, p.DstHeight);
  painter_->save();
  if (p.AngleDegrees != 0) {
    // Counter-clockwise on paper about the lower-left corner; y points down here.
    painter_->translate(p.PivotX, p.PivotY);
    painter_->rotate(-p.AngleDegrees);
    painter_->translate(-p.PivotX, -p.PivotY);
  }
  painter_->drawImage(target, image, source);
  painter_->restore();
}

}  // namespace platform
