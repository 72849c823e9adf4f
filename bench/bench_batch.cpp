// A batch of 200 real drawings into one PDF: pages per second, peak memory,
// and resident memory after the first file, along the run and after it; and
// the PDF bytes per page of a dense drawing next to the same lines drawn by a
// plain QPdfWriter loop.
//
//   build/release/bench/bench_batch
#include "QtBenchmarkMain.h"
#include <unistd.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/core/PrintRun.h"
#include "jww/PageWindow.h"
#include "jww/jwwtype.h"
#include "platform/PrintService.h"
#include "render/UnitGval.h"

namespace fs = std::filesystem;

namespace {

double ResidentMiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

std::vector<std::string> Drawings(size_t n) {
  std::vector<std::string> pool;
  const fs::path corpus = fs::path(KESTROVAN_CORPUS_DIR) / "jww";
  for (const auto& e : fs::directory_iterator(corpus)) pool.push_back(e.path().string());
  std::sort(pool.begin(), pool.end());
  std::vector<std::string> files;
  for (size_t i = 0; i < n; ++i) files.push_back(pool[i % pool.size()]);
  return files;
}

// Resident memory as the run reaches files 2, 51, 101 and 200: what one
// file leaves behind would show as a climb between them.
class MemoryProbe : public PrintRunObserver {
 public:
  double at[4] = {0, 0, 0, 0};
  void FileStarted(size_t index, size_t, const std::string&) override {
    const size_t marks[4] = {1, 50, 100, 199};
    for (int i = 0; i < 4; ++i)
      if (index == marks[i]) at[i] = ResidentMiB();
  }
};

double PeakResidentMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;  // kB
  return 0;
}

void BM_Batch200IntoOnePdf(benchmark::State& state) {
  const std::vector<std::string> files = Drawings(200);
  const std::string out = jwwtype::TempFolder().Value() + "batch.pdf";
  PrintSettings s;
  s.PrintMethod = PrintMethod::FitToPage;
  s.WhiteToBlackSxf = true;
  PrintRunObserver quiet;
  MemoryProbe probe;
  double afterFirst = 0, afterRun = 0, afterSecondRun = 0, seconds = 1;
  int pages = 0;
  for (auto _ : state) {
    {
      auto device = platform::MakePdfPrintService(out, {420, 297, 600});
      TJwwData d;
      PrintRun(d, *device, s, quiet).Run({files.front()});
      (void)device->Finish();
    }
    afterFirst = ResidentMiB();
    const auto start = std::chrono::steady_clock::now();
    auto device = platform::MakePdfPrintService(out, {420, 297, 600});
    TJwwData d;
    pages = PrintRun(d, *device, s, probe).Run(files).Counts().Pages;
    (void)device->Finish();
    device.reset();
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    afterRun = ResidentMiB();
    // A second run of the same size: growth per file would show here.
    auto again = platform::MakePdfPrintService(out, {420, 297, 600});
    TJwwData d2;
    PrintRun(d2, *again, s, quiet).Run(files);
    (void)again->Finish();
    again.reset();
    afterSecondRun = ResidentMiB();
  }
  state.counters["pages"] = pages;
  state.counters["pages_per_s"] = pages / seconds;
  state.counters["rss_after_first_MiB"] = afterFirst;
  state.counters["rss_after_run_MiB"] = afterRun;
  state.counters["rss_after_second_run_MiB"] = afterSecondRun;
  state.counters["rss_in_run_file_2_MiB"] = probe.at[0];
  state.counters["rss_in_run_file_51_MiB"] = probe.at[1];
  state.counters["rss_in_run_file_101_MiB"] = probe.at[2];
  state.counters["rss_in_run_file_200_MiB"] = probe.at[3];
  state.counters["peak_MiB"] = PeakResidentMiB();
  state.counters["pdf_MB"] = static_cast<double>(fs::file_size(out)) / 1e6;
}
BENCHMARK(BM_Batch200IntoOnePdf)->Unit(benchmark::kMillisecond)->Iterations(1);

// A dense real drawing: our page against its lines drawn plainly.
const char kDense[] = "jwmac__tenkuuritsuhyou.jww";

void BM_PdfBytesPerPage_Kestrovan(benchmark::State& state) {
  const std::string path = std::string(KESTROVAN_CORPUS_DIR) + "/jww/" + kDense;
  const std::string out = jwwtype::TempFolder().Value() + "dense.pdf";
  PrintSettings s;
  s.PrintMethod = PrintMethod::FitToPage;
  PrintRunObserver quiet;
  for (auto _ : state) {
    auto device = platform::MakePdfPrintService(out, {420, 297, 600});
    TJwwData d;
    PrintRun(d, *device, s, quiet).Run({path});
    (void)device->Finish();
  }
  state.counters["pdf_bytes_per_page"] = static_cast<double>(fs::file_size(out));
}
BENCHMARK(BM_PdfBytesPerPage_Kestrovan)->Unit(benchmark::kMillisecond);

void BM_PdfBytesPerPage_PlainQPdfWriter(benchmark::State& state) {
  const std::string path = std::string(KESTROVAN_CORPUS_DIR) + "/jww/" + kDense;
  TJwwData d;
  d.LoadForPrint(path);
  d.ComputeExtents();
  PageWindowRequest r;
  r.PrintMethod = PrintMethod::FitToPage;
  r.PageWidthPx = static_cast<int>(420 * 600 / 25.4);
  r.PageHeightPx = static_cast<int>(297 * 600 / 25.4);
  r.PageWidthMm = 420;
  ComputePageWindow(d, r);
  qint64 bytes = 0;
  for (auto _ : state) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(600);
    writer.setPageSize(QPageSize(QSizeF(420, 297), QPageSize::Millimeter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&writer);
    p.setPen(QPen(Qt::black, 1));
    for (const TJwwSen& l : d.Entities.Lines) {
      const DevicePoint a = UnitGval::ToDevice(l.StartX, l.StartY), b = UnitGval::ToDevice(l.EndX, l.EndY);
      p.drawLine(a.x, a.y, b.x, b.y);
    }
    p.end();
    bytes = buffer.size();
  }
  state.counters["pdf_bytes_per_page"] = static_cast<double>(bytes);
}
BENCHMARK(BM_PdfBytesPerPage_PlainQPdfWriter)->Unit(benchmark::kMillisecond);

}  // namespace

KESTROVAN_QT_BENCHMARK_MAIN()
