// The problems list over a project of 64 configured functions (PWM and GPIO on every channel of both engines): the core's listing, and the "Problems" dock's refresh in the real window, offscreen, as it runs on every change of the project.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/paths.h"
#include "bench/benchproject.h"
#include "bench/windowedmain.h"
#include "project/problems.h"
#include "project/projdoc.h"
#include "ui/desktopprogram.h"
#include "ui/mainframe.h"
#include "ui/problemspane.h"

namespace {

using benchproject::CBenchProject;

// Every PWM's load input reads (`bad` false) or does not: 32 findings.
void SetDutyUpdates(CProjDoc& doc, bool bad) {
  for (const auto& func : doc.Functions())
    if (func->IsApi())
      static_cast<CProjDoc::CFuncInfo_Api&>(*func).loadInputs.values["duty_updates"] = bad ? "lots" : "1000";
}

// The check itself: no problem / 32 failing loads.
void BM_ProblemsList(benchmark::State& state) {
  CBenchProject project;
  if (!project.Ready())
    state.SkipWithError("project not built");
  SetDutyUpdates(*project.doc, state.range(0) != 0);
  std::size_t found = 0;
  for (auto _ : state)
    found = ListProjectProblems(*project.doc, {}).size();
  if (found != (state.range(0) ? 32u : 0u))
    state.SkipWithError("unexpected findings");
}
BENCHMARK(BM_ProblemsList)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The program's window on the same project, saved and opened as a user opens it.
struct CWindow {
  CRecordingMessagePort messages;
  CMemorySettingsPort settings;
  CPorts ports{&messages, nullptr, &settings};
  CDesktopProgram program{&ports};
  bool started = false;

  explicit CWindow(const std::string& folder) {
    CBenchProject project;
    std::filesystem::create_directories(folder);
    if (!project.Ready() || !project.doc->OnSaveDocument(folder + "/kivo_vam.c"))
      return;
    FolderSettings() = CFolderSettings{};
    started = program.Start({folder + "/kivo_vam.c"});
    QApplication::processEvents();
  }
  CProblemsPane& Pane() { return *program.Frame()->Problems(); }
  CProjDoc& Doc() { return program.Frame()->Doc(); }
};

// What the dock does on a change notification: the project checked, and the
// rows filled anew when what it found changed (argument 1: every refresh
// finds 32 problems come or go; 0: nothing changed).
void BM_ProblemsPaneRefresh(benchmark::State& state) {
  std::string folder = (std::filesystem::temp_directory_path() / "kivovam-bench-problems").string();
  CWindow window(folder);
  if (!window.started)
    state.SkipWithError("window not started");
  // Opened by the user, the dock stays whatever it lists.
  window.Pane().show();
  bool bad = false;
  for (auto _ : state) {
    if (state.range(0)) {
      bad = !bad;
      SetDutyUpdates(window.Doc(), bad);
    }
    window.Pane().Refresh();
  }
  if (window.Pane().List()->topLevelItemCount() != (bad ? 32 : 0))
    state.SkipWithError("the list does not show the findings");
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ProblemsPaneRefresh)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  SetProgramFolder(KV_SOURCE_DIR);
  return RunWindowedBenchmarks(argc, argv);
}
