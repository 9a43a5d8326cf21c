// The function dialog over a project of 64 configured functions (PWM and GPIO on every channel of both engines), offscreen: opening it, and a parameter edit up to the code box shown anew.
#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTableView>

#include <cstdlib>
#include <memory>

#include "app/startup.h"
#include "base/ports.h"
#include "base/recordingports.h"
#include "knowledge/knowledgebase.h"
#include "project/notesmodel.h"
#include "project/projdoc.h"
#include "ui/funcdialogpages.h"
#include "ui/funcdialogwindow.h"

namespace {

constexpr int kFunctions = 64;

struct CBenchProject {
  CRecordingMessagePort messages;
  CScopedPorts ports{CPorts{&messages, nullptr, nullptr}};
  CKnowledgeBase kb;
  CNotesModel notes;
  std::unique_ptr<CProjDoc> doc;

  CBenchProject() {
    CLoadOptions options;
    options.confFolder = KV_SOURCE_DIR "/conf";
    options.functionSetFolder = KV_SOURCE_DIR "/fsets";
    LoadKnowledgeBase(kb, options);
    doc = std::make_unique<CProjDoc>(kb, nullptr, &notes);
    doc->OnNewDocument();
    doc->SetProcessor({"Omiro Q32", 100000000, 0});
    doc->SelectFunctionSet(kb.fsetLib.FindSet("kivo2/kivo_set_k2_motion.h"));
    const CKivoFunc* pwm = doc->m_pFSet ? doc->m_pFSet->FindFunc("PWM") : nullptr;
    const CKivoFunc* gpio = doc->m_pFSet ? doc->m_pFSet->FindFunc("GPIO") : nullptr;
    for (int i = 0; pwm && gpio && i < kFunctions; ++i)
      doc->AddFunction(doc->NewFunction(i % 2 ? *gpio : *pwm, i / 32, i % 32));
    doc->NotifyChanged(-1);
  }
  bool Ready() const { return doc->Functions().size() == kFunctions; }
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

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
