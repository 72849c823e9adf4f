// Draw pass throughput: a drawing of a million mixed entities drawn into a
// null canvas (the pass and primitives alone), into the raster canvas and
// into the PDF canvas.
//
//   build/release/bench/bench_drawpass
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>

#include "JwwWriter.h"
#include "jww/PageWindow.h"
#include "platform/QtCanvas.h"
#include "render/UnitGra.h"

namespace {

constexpr int kEntities = 1000000;
constexpr int kDpi = 150;
constexpr int kWidthPx = 2480, kHeightPx = 1754;  // A3 landscape at 150 dpi

TJwwData& LargeDrawing() {
  static TJwwData* d = [] {
    auto* data = new TJwwData;
    InitTestDrawing(*data, 700);
    TJwwEntityLists& e = data->Entities;
    for (int i = 0; i < kEntities; ++i) {
      const double x = (i % 1000) * 0.4, y = (i / 1000) * 0.28;
      switch (i % 10) {
        case 0: case 1: case 2: case 3: case 4: case 5:
          Add(e, MakeLine(x, y, x + 0.3, y + 0.2, 0, i % 16));
          break;
        case 6: Add(e, MakeArc(x, y, 0.1, 0, M_PI)); break;
        case 7: Add(e, MakePoint(x, y)); break;
        case 8: Add(e, MakeText(x, y, x + 1, y, "A-1")); break;
        case 9: Add(e, MakeSolid(x, y, x + 0.1, y, x + 0.1, y + 0.1, x, y + 0.1)); break;
      }
    }
    data->BuildBlockInstances();
    data->ComputeExtents();
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
  r.PrintMethod = 1;
  r.PageWidthPx = kWidthPx;
  r.PageHeightPx = kHeightPx;
  r.PageWidthMm = 420;
  ComputePageWindow(d, r);
}

class NullCanvas : public Canvas {
 public:
  void MoveTo(int32_t, int32_t) override {}
  void LineTo(int32_t x, int32_t) override { benchmark::DoNotOptimize(x); }
  void Polyline(const DevicePoint* p, size_t) override { benchmark::DoNotOptimize(p); }
  void Polygon(const DevicePoint* p, size_t) override { benchmark::DoNotOptimize(p); }
  void TextOut(int32_t, int32_t, const std::string&) override {}
  bool ImageSize(const std::string&, int32_t&, int32_t&) override { return false; }
  void DrawImage(const ImagePlacement&) override {}
};

void Report(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kEntities);
}

void BM_DrawPass_NullCanvas(benchmark::State& state) {
  Prepare();
  NullCanvas canvas;
  for (auto _ : state) LargeDrawing().DrawDrawing(canvas, 0, 0, false, true, true, -1, -1);
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
    LargeDrawing().DrawDrawing(canvas, 0, 0, false, true, true, -1, -1);
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
    LargeDrawing().DrawDrawing(canvas, 0, 0, false, true, true, -1, -1);
    p.end();
    state.counters["pdf_MB"] = static_cast<double>(buffer.size()) / 1e6;
  }
  Report(state);
}
BENCHMARK(BM_DrawPass_Pdf)->Unit(benchmark::kMillisecond)->Iterations(2);

// By layer: 256 passes over the lists.
void BM_DrawPass_ByLayer_NullCanvas(benchmark::State& state) {
  Prepare();
  NullCanvas canvas;
  for (auto _ : state) LargeDrawing().DrawDrawing(canvas, 1, 0, false, true, true, -1, -1);
  Report(state);
}
BENCHMARK(BM_DrawPass_ByLayer_NullCanvas)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
