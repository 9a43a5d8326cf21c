// Saving and opening a project of 64 configured functions (32 PWM channels on each engine) from the bundled library.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

#include "base/ports.h"
#include "base/recordingports.h"
#include "app/startup.h"
#include "knowledge/knowledgebase.h"
#include "project/notesmodel.h"
#include "project/projdoc.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFunctions = 64;

struct CBenchProject {
  CRecordingMessagePort messages;
  CScopedPorts ports{CPorts{&messages, nullptr, nullptr}};
  CKnowledgeBase kb;
  CNotesModel notes;
  std::unique_ptr<CProjDoc> doc;
  fs::path folder;

  CBenchProject() {
    CLoadOptions options;
    options.confFolder = KV_SOURCE_DIR "/conf";
    options.functionSetFolder = KV_SOURCE_DIR "/fsets";
    LoadKnowledgeBase(kb, options);
    folder = fs::temp_directory_path() / ("kivovam-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    doc = std::make_unique<CProjDoc>(kb, nullptr, &notes);
    doc->OnNewDocument();
    doc->SetProcessor({"Omiro Q32", 100000000, 0});
    doc->SelectFunctionSet(kb.fsetLib.FindSet("kivo2/kivo_set_k2_motion.h"));
    const CKivoFunc* pwm = doc->m_pFSet ? doc->m_pFSet->FindFunc("PWM") : nullptr;
    // Straight into the list: the functions are the bench's ground, not its edits.
    for (int i = 0; pwm && i < kFunctions; ++i)
      doc->AddFunction(doc->NewFunction(*pwm, i / 32, i % 32));
    doc->NotifyChanged(-1);
  }
  ~CBenchProject() { fs::remove_all(folder); }
  std::string Path() const { return (folder / "kivo_vam.c").string(); }
};

void BM_SaveProject(benchmark::State& state) {
  CBenchProject project;
  for (auto _ : state)
    benchmark::DoNotOptimize(project.doc->OnSaveDocument(project.Path()));
  state.counters["functions"] = static_cast<double>(project.doc->Functions().size());
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);

void BM_OpenProject(benchmark::State& state) {
  CBenchProject project;
  project.doc->OnSaveDocument(project.Path());
  CProjDoc reader(project.kb, nullptr, &project.notes);
  for (auto _ : state)
    benchmark::DoNotOptimize(reader.OnOpenDocument(project.Path()));
  state.counters["functions"] = static_cast<double>(reader.Functions().size());
}
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond);

// One edit of the project: the images before and after it are written.
void BM_EditStep(benchmark::State& state) {
  CBenchProject project;
  bool on = false;
  for (auto _ : state)
    benchmark::DoNotOptimize(project.doc->SetExternDecls(on = !on));
  state.counters["functions"] = static_cast<double>(project.doc->Functions().size());
}
BENCHMARK(BM_EditStep)->Unit(benchmark::kMillisecond);

// Undo of one step: the image before it is read back into the project.
void BM_UndoStep(benchmark::State& state) {
  CBenchProject project;
  project.doc->SetExternDecls(false);
  for (auto _ : state) {
    benchmark::DoNotOptimize(project.doc->Undo());
    state.PauseTiming();
    project.doc->Redo();
    state.ResumeTiming();
  }
  state.counters["functions"] = static_cast<double>(project.doc->Functions().size());
}
BENCHMARK(BM_UndoStep)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
