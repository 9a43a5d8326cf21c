// Start-up of the desktop program over the bundled library, offscreen: from
// the start of the start-up order to the main window shown.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/paths.h"
#include "base/recordingports.h"
#include "ui/desktopprogram.h"

namespace {

const std::string kDemo = std::string(KV_SOURCE_DIR) + "/examples/demo/kivo_vam.c";

bool StartOnce(const std::vector<std::string>& args) {
  FolderSettings() = CFolderSettings{};
  CRecordingMessagePort messages;
  CMemorySettingsPort settings;
  CPorts ports{&messages, nullptr, &settings};
  CDesktopProgram program(&ports);
  return program.Start(args);
}

void StartNewProject(benchmark::State& state) {
  for (auto _ : state)
    if (!StartOnce({}))
      state.SkipWithError("start-up failed");
}
BENCHMARK(StartNewProject)->Unit(benchmark::kMillisecond)->Iterations(10);

void StartSampleProject(benchmark::State& state) {
  for (auto _ : state)
    if (!StartOnce({kDemo}))
      state.SkipWithError("start-up failed");
}
BENCHMARK(StartSampleProject)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  auto begin = std::chrono::steady_clock::now();
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  SetProgramFolder(KV_SOURCE_DIR);
  QApplication application(argc, argv);
  // The first start of the process, as a user sees it: the application
  // object of Qt, then the program's own start-up.
  bool first = StartOnce({kDemo});
  auto shown = std::chrono::steady_clock::now();
  std::printf("first start of the process, main to window shown (sample project): %.1f ms%s\n",
              std::chrono::duration<double, std::milli>(shown - begin).count(), first ? "" : " (failed)");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
