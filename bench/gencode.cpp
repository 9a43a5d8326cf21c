// The Generated Code page over a project of 64 configured functions (PWM and GPIO on every channel of both engines), offscreen: the refresh the page makes when the project tells it of a change, both texts generated, compared with the saved files and marked.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "bench/benchproject.h"
#include "bench/windowedmain.h"
#include "project/generatedcode.h"
#include "project/linediff.h"
#include "project/projdoc.h"
#include "ui/pages.h"
#include "ui/qsci.h"
#include "ui/viewgencode.h"

namespace {

namespace fs = std::filesystem;
using benchproject::CBenchProject;

// The project saved into a folder of its own, then changed so that the page
// has lines to mark: the system clock (a comment line and the engines'
// frequencies) and a verbatim block of two lines.
struct CSavedProject {
  CBenchProject project;
  fs::path folder;
  CSavedProject() : folder(fs::temp_directory_path() / ("kv_bench_gencode_" + std::to_string(getpid()))) {
    fs::create_directories(folder);
    project.doc->OnSaveDocument((folder / "kivo_vam.c").string());
    project.doc->SetClocks(120000000, 0);
    project.doc->SetVerbatim("#define SPARE 3\r\nint spare;\r\n");
  }
  ~CSavedProject() {
    std::error_code error;
    fs::remove_all(folder, error);
  }
  std::string Path() const { return (folder / "kivo_vam.c").string(); }
};

// A change of the project between refreshes (the clock going back and forth,
// not timed): the texts generated, shown in place of the last ones and marked.
void BM_GenCodeRefresh(benchmark::State& state) {
  CSavedProject saved;
  if (!saved.project.Ready())
    state.SkipWithError("project not built");
  CViewGenCode page(*saved.project.doc, kPageGenCode);
  page.SetProjectPath(saved.Path());
  page.resize(1000, 700);
  page.show();
  page.Refresh(true);
  QApplication::processEvents();
  if (page.Differences(0).Same())
    state.SkipWithError("nothing marked");
  bool fast = false;
  for (auto _ : state) {
    state.PauseTiming();
    saved.project.doc->SetClocks(fast ? 120000000 : 110000000, 0);
    fast = !fast;
    state.ResumeTiming();
    page.Refresh(false);
    page.Editor(0)->viewport()->repaint();
  }
  state.counters["source_lines"] = page.Editor(0)->lines();
}
BENCHMARK(BM_GenCodeRefresh)->Unit(benchmark::kMillisecond);

// The core's part alone: the next save's texts, and the comparison of the source with the saved file.
void BM_GenCodeTexts(benchmark::State& state) {
  CSavedProject saved;
  for (auto _ : state)
    benchmark::DoNotOptimize(ComputeNextSave(*saved.project.doc, saved.Path()));
}
BENCHMARK(BM_GenCodeTexts)->Unit(benchmark::kMillisecond);

void BM_GenCodeCompare(benchmark::State& state) {
  CSavedProject saved;
  CNextSave next = ComputeNextSave(*saved.project.doc, saved.Path());
  CDiskText disk = ReadDiskText(next.sourcePath);
  for (auto _ : state)
    benchmark::DoNotOptimize(CompareWithDisk(next.source, disk, next.stamps));
}
BENCHMARK(BM_GenCodeCompare)->Unit(benchmark::kMicrosecond);

// Two texts of about 1 MiB: 33,000 distinct lines with 90 places that differ,
// and 100,000 lines of two kinds that differ almost everywhere (the matching
// gives up on the exact script and takes what no single line anchors as replaced).
void BM_LineDiffLarge(benchmark::State& state) {
  std::string oldText, newText;
  if (state.range(0) == 0) {
    for (int i = 0; i < 33000; ++i) {
      std::string line = "    value_" + std::to_string(i) + " = " + std::to_string(i * 7) + "; /* row */\n";
      oldText += line;
      newText += i % 1000 == 500 ? "    changed;\n" : i % 1000 == 900 ? std::string() : line;
      if (i % 1000 == 100)
        newText += "    added;\n";
    }
  } else {
    for (int i = 0; i < 100000; ++i) {
      oldText += i % 3 ? "        }\n" : "        {\n";
      newText += i % 5 ? "        }\n" : "        {\n";
    }
  }
  for (auto _ : state)
    benchmark::DoNotOptimize(DiffLines(SplitLines(oldText), SplitLines(newText)));
  state.counters["bytes"] = double(oldText.size());
}
BENCHMARK(BM_LineDiffLarge)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWindowedBenchmarks(argc, argv); }
