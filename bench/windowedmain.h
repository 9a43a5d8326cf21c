// The main of a benchmark of the desktop program's windows: they are drawn
// offscreen unless the caller names a platform.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>

inline int RunWindowedBenchmarks(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
