// main() of the benchmarks that draw with Qt: an offscreen application
// around Google Benchmark, and the temporary folder removed afterwards.
#pragma once

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "jww/jwwtype.h"

#define KESTROVAN_QT_BENCHMARK_MAIN()                                                   \
  int main(int argc, char** argv) {                                                     \
    if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen"); \
    QGuiApplication app(argc, argv);                                                    \
    benchmark::Initialize(&argc, argv);                                                 \
    benchmark::RunSpecifiedBenchmarks();                                                \
    benchmark::Shutdown();                                                              \
    jwwtype::RemoveTempFolder();                                                        \
    return 0;                                                                           \
  }
