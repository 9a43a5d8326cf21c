// The function dialog over a project of 64 configured functions (PWM and GPIO on every channel of both engines), offscreen: opening it, and a parameter edit up to the code box shown anew.
#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTableView>

#include <cstdlib>
#include <memory>

#include "bench/benchproject.h"
#include "bench/windowedmain.h"
#include "project/projdoc.h"
#include "ui/funcdialogpages.h"
#include "ui/funcdialogwindow.h"

namespace {

struct CBenchProject : benchproject::CBenchProject {
  // The synchronised PWM call names another PWM channel: its list of choices
  // runs over every function of the engine.
  CFuncDialogRequest EditRequest() const {
    return {CFuncDialogRequest::kEdit, 0, doc->Functions()[2].get(), -1};
  }
};

void BM_OpenEditDialog(benchmark::State& state) {
  CBenchProject project;
  if (!project.Ready())
    state.SkipWithError("project not built");
  for (auto _ : state) {
    CFuncDialog dialog(*project.doc, project.EditRequest());
    dialog.show();
    benchmark::DoNotOptimize(dialog.CodeBox()->toPlainText().size());
  }
}
BENCHMARK(BM_OpenEditDialog)->Unit(benchmark::kMillisecond);

void BM_OpenAddDialog(benchmark::State& state) {
  CBenchProject project;
  if (!project.Ready())
    state.SkipWithError("project not built");
  for (auto _ : state) {
    CFuncDialog dialog(*project.doc, {CFuncDialogRequest::kAddFunction, 1, nullptr, -1});
    dialog.show();
    benchmark::DoNotOptimize(dialog.CodeBox()->toPlainText().size());
  }
}
BENCHMARK(BM_OpenAddDialog)->Unit(benchmark::kMillisecond);

// A value typed into the parameter table: stored, the channels rebuilt, both
// tables and the error line refilled, the code generated and shown.
void BM_ParamEditRefresh(benchmark::State& state) {
  CBenchProject project;
  if (!project.Ready())
    state.SkipWithError("project not built");
  CFuncDialog dialog(*project.doc, project.EditRequest());
  dialog.show();
  dialog.ApiPage()->InitCall()->setCurrentIndex(2);
  QAbstractItemModel* params = dialog.ApiPage()->ParamsTable()->model();
  QModelIndex master = params->index(2, 1);
  bool odd = false;
  for (auto _ : state) {
    params->setData(master, (odd = !odd) ? QStringLiteral("PWM15_OUTPUT") : QStringLiteral("PWM0_OUTPUT"));
    benchmark::DoNotOptimize(dialog.CodeBox()->document()->characterCount());
  }
}
BENCHMARK(BM_ParamEditRefresh)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return RunWindowedBenchmarks(argc, argv); }
