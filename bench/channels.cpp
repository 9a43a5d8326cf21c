// The Engine A Channels page over a project of 64 configured functions (PWM and GPIO on every channel of both engines), offscreen: the refill the page makes when the project tells it of a change, up to its table painted.
#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QTableView>

#include <cstdlib>
#include <memory>

#include "bench/benchproject.h"
#include "bench/windowedmain.h"
#include "project/projdoc.h"
#include "project/projectport.h"
#include "ui/pages.h"
#include "ui/viewchanns.h"

namespace {

using benchproject::CBenchProject;

// The page as the window shows it: sized for its table, one function selected.
struct CShownPage {
  CViewChanns page;
  explicit CShownPage(CProjDoc& doc) : page(doc, kPageChannelsA) {
    page.resize(page.minimumSizeHint().expandedTo(QSize(900, 600)));
    page.show();
    page.SelectChannel(5);
    QApplication::processEvents();
  }
  bool Full() const { return page.Table()->model()->index(31, 1).data().toString().size() > 0; }
};

// A change elsewhere in the project (hint 0): the rows built again from the
// core, the selection marked, the total set and the visible rows painted.
void BM_ChannelsRefill(benchmark::State& state) {
  CBenchProject project;
  if (!project.Ready())
    state.SkipWithError("project not built");
  CShownPage shown(*project.doc);
  if (!shown.Full())
    state.SkipWithError("page not filled");
  for (auto _ : state) {
    shown.page.OnUpdate(kHintEverything);
    shown.page.Table()->viewport()->repaint();
  }
}
BENCHMARK(BM_ChannelsRefill)->Unit(benchmark::kMicrosecond);

// The page's own part alone, without the painting.
void BM_ChannelsRefillUnpainted(benchmark::State& state) {
  CBenchProject project;
  if (!project.Ready())
    state.SkipWithError("project not built");
  CShownPage shown(*project.doc);
  for (auto _ : state)
    shown.page.OnUpdate(kHintEverything);
}
BENCHMARK(BM_ChannelsRefillUnpainted)->Unit(benchmark::kMicrosecond);

// The same after the project has recomputed the engine's loads, as it does
// when a function of the engine changed.
void BM_ChannelsRefillWithLoads(benchmark::State& state) {
  CBenchProject project;
  if (!project.Ready())
    state.SkipWithError("project not built");
  CShownPage shown(*project.doc);
  for (auto _ : state) {
    project.doc->NotifyChanged(0);
    shown.page.OnUpdate(kHintEverything);
    shown.page.Table()->viewport()->repaint();
  }
}
BENCHMARK(BM_ChannelsRefillWithLoads)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return RunWindowedBenchmarks(argc, argv); }
