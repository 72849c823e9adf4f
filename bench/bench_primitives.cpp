// Device lines per second: DrawPatternLine (solid and dashed) into a null
// canvas and into the QPainter raster canvas, next to the same lines drawn
// by QPainter alone in one drawLines call.
//
//   build/release/bench/bench_primitives
#include "QtBenchmarkMain.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <random>
#include <vector>

#include "attr/UnitGraAtt.h"
#include "platform/QtCanvas.h"
#include "render/NoDrawCanvas.h"
#include "render/UnitGra.h"

namespace {

constexpr int kPage = 2000;       // device pixels square
constexpr double kScale = 10;     // pixels per mm
constexpr int kLines = 20000;

struct Segment {
  double x1, y1, x2, y2;
};

// Short CAD-like segments inside the page, in mm.
const std::vector<Segment>& Segments() {
  static const std::vector<Segment> segments = [] {
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> pos(5, kPage / kScale - 5), len(-4, 4);
    std::vector<Segment> s;
    for (int i = 0; i < kLines; ++i) {
      const double x = pos(rng), y = pos(rng);
      s.push_back({x, y, x + len(rng), y + len(rng)});
    }
    return s;
  }();
  return segments;
}

void SetUpPage(int lineType) {
  UnitGval::PageWindow = {0, 0, kPage / kScale, kPage / kScale, kScale, kPage, kPage};
  TgraAttribute& a = UnitGraAtt::GraAttribute();
  a.ResetAttributes();
  a.SetPrintMode(true);
  (void)lineType;
}

void BM_BareQPainterLines(benchmark::State& state) {
  QImage image(kPage, kPage, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  // The same device coordinates the primitives compute.
  std::vector<QLine> lines;
  for (const Segment& s : Segments())
    lines.emplace_back(qRound(s.x1 * kScale), kPage - qRound(s.y1 * kScale), qRound(s.x2 * kScale),
                       kPage - qRound(s.y2 * kScale));
  for (auto _ : state) p.drawLines(lines.data(), static_cast<int>(lines.size()));
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_BareQPainterLines)->Unit(benchmark::kMillisecond);

// `finish` ends each round: the canvas draws what it holds back.
template <typename Finish>
void DrawAll(Canvas& canvas, int lineType, benchmark::State& state, Finish finish) {
  UnitGra::SetLinePen(canvas, 0, 2, 0, lineType);
  for (auto _ : state) {
    UnitGra::ResetPatternContinuation();
    for (const Segment& s : Segments()) UnitGra::DrawPatternLine(canvas, 0, lineType, s.x1, s.y1, s.x2, s.y2);
    finish();
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}

void BM_PatternLine_QPainter(benchmark::State& state) {
  const int lineType = static_cast<int>(state.range(0));
  SetUpPage(lineType);
  QImage image(kPage, kPage, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  platform::QtCanvas canvas(&p);
  DrawAll(canvas, lineType, state, [&] { canvas.Flush(); });
}
// Line type 1 is solid; 2 is dashed (dots of 0.36 mm).
BENCHMARK(BM_PatternLine_QPainter)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_PatternLine_NullCanvas(benchmark::State& state) {
  const int lineType = static_cast<int>(state.range(0));
  SetUpPage(lineType);
  NoDrawCanvas canvas;
  DrawAll(canvas, lineType, state, [] {});
}
BENCHMARK(BM_PatternLine_NullCanvas)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

KESTROVAN_QT_BENCHMARK_MAIN()
