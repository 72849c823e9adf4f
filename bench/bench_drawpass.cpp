// Draw pass throughput: a drawing of a million mixed entities drawn into a
// null canvas (the pass and primitives alone), into the raster canvas and
// into the PDF canvas.
//
//   build/release/bench/bench_drawpass
#include "QtBenchmarkMain.h"

#include <QBuffer>
#include <QGlyphRun>
#include <QHash>
#include <QRawFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>

#include "BigDrawings.h"
#include "jww/PageWindow.h"
#include "platform/QtCanvas.h"
#include "render/NoDrawCanvas.h"
#include "render/UnitGra.h"
#include "util/CodePage.h"

namespace {

constexpr int kEntities = 1000000;
constexpr int kDpi = 150;
constexpr int kWidthPx = 2480, kHeightPx = 1754;  // A3 landscape at 150 dpi

TJwwData& LargeDrawing() {
  static TJwwData* d = [] {
    auto* data = new TJwwData;
    BuildMixedDrawing(*data, kEntities);
    return data;
  }();
  return *d;
}

void Prepare() {
  TJwwData& d = LargeDrawing();
  TgraAttribute& a = UnitGraAtt::GraAttribute();
  a.ResetAttributes();
  a.SetPrintMode(true);
  d.PublishLayers(a);
  PageWindowRequest r;
  r.PrintMethod = PrintMethod::FitToPage;
  r.PageWidthPx = kWidthPx;
  r.PageHeightPx = kHeightPx;
  r.PageWidthMm = 420;
  ComputePageWindow(d, r);
}

void Report(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kEntities);
}

void BM_DrawPass_NullCanvas(benchmark::State& state) {
  Prepare();
  NoDrawCanvas canvas;
  for (auto _ : state) LargeDrawing().DrawDrawing(canvas, {});
  Report(state);
}
BENCHMARK(BM_DrawPass_NullCanvas)->Unit(benchmark::kMillisecond);

void BM_DrawPass_Raster(benchmark::State& state) {
  Prepare();
  QImage image(kWidthPx, kHeightPx, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter p(&image);
    platform::QtCanvas canvas(&p);
    LargeDrawing().DrawDrawing(canvas, {});
  }
  Report(state);
}
BENCHMARK(BM_DrawPass_Raster)->Unit(benchmark::kMillisecond);

void BM_DrawPass_Pdf(benchmark::State& state) {
  Prepare();
  for (auto _ : state) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kDpi);
    writer.setPageSize(QPageSize(QSizeF(420, 297), QPageSize::Millimeter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&writer);
    platform::QtCanvas canvas(&p);
    LargeDrawing().DrawDrawing(canvas, {});
    p.end();
    state.counters["pdf_MB"] = static_cast<double>(buffer.size()) / 1e6;
  }
  Report(state);
}
BENCHMARK(BM_DrawPass_Pdf)->Unit(benchmark::kMillisecond)->Iterations(2);

// The device's own time: the calls one pass makes, captured once and then
// replayed straight into QPainter with the same pens and brushes.
class CapturingCanvas : public Canvas {
 public:
  struct Op {
    enum Kind : uint8_t { Line, Polyline, Polygon, Text } kind;
    TColor pen, brush;
    int32_t width;
    BrushStyle style;
    uint32_t first, count;
  };
  std::vector<Op> ops;
  std::vector<QPoint> points;
  void MoveTo(int32_t x, int32_t y) override { at_ = QPoint(x, y); }
  void LineTo(int32_t x, int32_t y) override {
    Add(Op::Line, 2);
    points.push_back(at_);
    points.push_back(QPoint(x, y));
    at_ = QPoint(x, y);
  }
  void Polyline(const DevicePoint* p, size_t n) override { Many(Op::Polyline, p, n); }
  void Polygon(const DevicePoint* p, size_t n) override { Many(Op::Polygon, p, n); }
  void TextOut(int32_t x, int32_t y, const std::string& s) override {
    Add(Op::Text, 1);
    points.push_back(QPoint(x, y));
    texts.push_back(QString::fromUtf8(util::Cp932ToUtf8(s).c_str()));
    heights.push_back(Font().Height);
  }
  bool ImageSize(const std::string&, int32_t&, int32_t&) override { return false; }
  void DrawImage(const ImagePlacement&) override {}
  std::vector<QString> texts;
  std::vector<int> heights;

 private:
  void Add(Op::Kind k, size_t n) {
    ops.push_back({k, PenColor(), BrushColor(), PenWidth(), GetBrushStyle(), static_cast<uint32_t>(points.size()),
                   static_cast<uint32_t>(n)});
  }
  void Many(Op::Kind k, const DevicePoint* p, size_t n) {
    Add(k, n);
    for (size_t i = 0; i < n; ++i) points.push_back(QPoint(p[i].x, p[i].y));
  }
  QPoint at_;
};

// The captured calls straight into QPainter: lines of one pen in one call
// and glyph runs, as the canvas draws them. Apart, so that a profiler can
// count its instructions alone.
__attribute__((noinline)) void DrawCapturedCalls(QPainter& p, const CapturingCanvas& captured,
                                                 const std::vector<QGlyphRun>& runs) {
  TColor pen = 1u << 31, brush = 1u << 31;
  size_t text = 0;
  int32_t width = -1;
  BrushStyle style = BrushStyle::Clear;
  std::vector<QLine> lines;  // lines of one pen in one call, as the canvas does
  auto flush = [&] {
    if (!lines.empty()) p.drawLines(lines.data(), static_cast<int>(lines.size()));
    lines.clear();
  };
  for (const CapturingCanvas::Op& op : captured.ops) {
    const QPoint* pts = captured.points.data() + op.first;
    if (op.kind == CapturingCanvas::Op::Line && op.pen == pen && op.width == width) {
      lines.emplace_back(pts[0], pts[1]);
      continue;
    }
    flush();
    if (op.pen != pen || op.width != width) {  // a pen only when it changes, as the canvas does
      pen = op.pen;
      width = op.width;
      p.setPen(QPen(platform::ToQColor(pen), std::max(1, width), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    if (op.kind == CapturingCanvas::Op::Text) {
      p.drawGlyphRun(pts[0] + QPoint(0, captured.heights[text]), runs[text]);
      ++text;
    } else if (op.kind == CapturingCanvas::Op::Line) {
      lines.emplace_back(pts[0], pts[1]);
    } else if (op.kind == CapturingCanvas::Op::Polyline) {
      p.drawPolyline(pts, static_cast<int>(op.count));
    } else {
      if (op.brush != brush || op.style != style) {
        brush = op.brush;
        style = op.style;
        p.setBrush(style == BrushStyle::Solid ? QBrush(platform::ToQColor(brush)) : QBrush());
      }
      p.drawPolygon(pts, static_cast<int>(op.count), Qt::OddEvenFill);
    }
  }
  flush();
}

void BM_DeviceReplay_Raster(benchmark::State& state) {
  Prepare();
  CapturingCanvas captured;
  LargeDrawing().DrawDrawing(captured, {});
  // Texts as the device's cheapest call: glyph runs in a plain font of the
  // cell's height, shaped before the clock starts.
  std::vector<QGlyphRun> runs;
  {
    QHash<int, QRawFont> fonts;
    for (size_t i = 0; i < captured.texts.size(); ++i) {
      const int height = std::max(1, captured.heights[i]);
      if (!fonts.contains(height)) {
        QFont f(QStringLiteral("IPAGothic"));
        f.setPixelSize(height);
        fonts.insert(height, QRawFont::fromFont(f));
      }
      QGlyphRun run;
      run.setRawFont(fonts[height]);
      run.setGlyphIndexes(fonts[height].glyphIndexesForString(captured.texts[i]));
      QList<QPointF> at = fonts[height].advancesForGlyphIndexes(run.glyphIndexes());
      QPointF pen(0, 0);
      for (QPointF& p : at) {  // advances into positions
        const QPointF advance = p;
        p = pen;
        pen += advance;
      }
      run.setPositions(at);
      runs.push_back(run);
    }
  }
  QImage image(kWidthPx, kHeightPx, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter p(&image);
    DrawCapturedCalls(p, captured, runs);
  }
  state.counters["device_calls"] = static_cast<double>(captured.ops.size());
  Report(state);
}
BENCHMARK(BM_DeviceReplay_Raster)->Unit(benchmark::kMillisecond);

// By layer: 256 passes over the lists.
void BM_DrawPass_ByLayer_NullCanvas(benchmark::State& state) {
  Prepare();
  NoDrawCanvas canvas;
  DrawDrawingArgs byLayer;
  byLayer.Order = PrintOrder::ByLayer;
  for (auto _ : state) LargeDrawing().DrawDrawing(canvas, byLayer);
  Report(state);
}
BENCHMARK(BM_DrawPass_ByLayer_NullCanvas)->Unit(benchmark::kMillisecond);

}  // namespace

KESTROVAN_QT_BENCHMARK_MAIN()
