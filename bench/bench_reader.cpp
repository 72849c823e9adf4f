// Reading a large drawing: LoadForPrint against merely reading the same bytes.
//
//   build/release/bench/bench_reader
//
// Reports MB/s of both in one run (their ratio is the reader's cost) and the
// model's size in memory against the file's size.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BigDrawings.h"
#include "JwwWriter.h"
#include "jww/jwwtype.h"
#include "jww/jwwunit.h"

namespace {

// About a million entities of mixed kinds, as a large real plan holds them.
const std::string& LargeDrawing() {
  static const std::string path = [] {
    TJwwData d;
    BuildMixedDrawing(d, 1000000);
    std::string p = jwwtype::TempFolder().Value() + "large.jww";
    WriteFile(p, WriteJww(d));
    return p;
  }();
  return path;
}

size_t FileSize(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  std::fseek(f, 0, SEEK_END);
  const size_t n = static_cast<size_t>(std::ftell(f));
  std::fclose(f);
  return n;
}

template <typename T>
size_t Bytes(const std::vector<T>& v) { return v.capacity() * sizeof(T); }

size_t ModelBytes(const TJwwEntityLists& l) {
  size_t n = Bytes(l.Lines) + Bytes(l.Arcs) + Bytes(l.Points) + Bytes(l.Texts) +
             Bytes(l.Dimensions) + Bytes(l.Solids) + Bytes(l.Blocks) + Bytes(l.Order);
  for (const TJwwMoji& m : l.Texts) {
    if (m.Text.capacity() > 15) n += m.Text.capacity() + 1;
    if (m.FontName.capacity() > 15) n += m.FontName.capacity() + 1;
  }
  return n;
}

void BM_PlainRead(benchmark::State& state) {
  const std::string& path = LargeDrawing();
  std::vector<char> buf;
  for (auto _ : state) {
    FILE* f = std::fopen(path.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    buf.resize(static_cast<size_t>(std::ftell(f)));
    std::fseek(f, 0, SEEK_SET);
    benchmark::DoNotOptimize(std::fread(buf.data(), 1, buf.size(), f));
    std::fclose(f);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileSize(path)));
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

void BM_LoadForPrint(benchmark::State& state) {
  const std::string& path = LargeDrawing();
  TJwwData d;
  for (auto _ : state) {
    if (!d.LoadForPrint(path)) state.SkipWithError("load failed");
  }
  const size_t file = FileSize(path);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file));
  size_t model = ModelBytes(d.Entities) + Bytes(d.BlockInstances);
  for (const TJwwBlockDef& def : d.BlockDefs) model += ModelBytes(def.Entities);
  state.counters["entities"] = static_cast<double>(d.Entities.Order.size());
  state.counters["file_MB"] = static_cast<double>(file) / 1e6;
  state.counters["model_per_file"] = static_cast<double>(model) / static_cast<double>(file);
}
BENCHMARK(BM_LoadForPrint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  jwwtype::RemoveTempFolder();
  return 0;
}
