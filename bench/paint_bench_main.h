// The main of the benchmarks that paint: Google Benchmark inside an offscreen
// QApplication, then the run's own summary (figures next to their raw peer).
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

inline int RunPaintBenchmarks(int argc, char** argv, void (*PrintSummary)()) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  PrintSummary();
  benchmark::Shutdown();
  return 0;
}
