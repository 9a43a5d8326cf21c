// The Channel Map over a project of 64 configured functions (PWM and GPIO on every channel of both engines), offscreen: the map built from the project, painted, and written as a picture.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QByteArray>

#include <cstdlib>

#include "bench/benchproject.h"
#include "bench/windowedmain.h"
#include "mapdraw/channelmapdraw.h"
#include "project/channelmap.h"
#include "project/projectport.h"
#include "ui/channelmapview.h"

namespace {

using benchproject::CBenchProject;

// The view as the dock shows it, at the width of the window's side.
struct CShownMap {
  CChannelMapView view;
  explicit CShownMap(CProjDoc& doc) : view(doc) {
    view.resize(720, view.heightForWidth(720));
    view.show();
    QApplication::processEvents();
  }
};

// What a change of the project costs the map: the model built again from the
// project and the whole map painted.
void BM_ChannelMapRepaint(benchmark::State& state) {
  CBenchProject project;
  if (!project.Ready())
    state.SkipWithError("project not built");
  CShownMap shown(*project.doc);
  for (auto _ : state) {
    shown.view.Refresh();
    shown.view.repaint();
  }
}
BENCHMARK(BM_ChannelMapRepaint)->Unit(benchmark::kMillisecond);

// The model alone: the channel tables of both engines, names, colours and totals.
void BM_ChannelMapModel(benchmark::State& state) {
  CBenchProject project;
  if (!project.Ready())
    state.SkipWithError("project not built");
  for (auto _ : state)
    benchmark::DoNotOptimize(BuildChannelMap(*project.doc));
}
BENCHMARK(BM_ChannelMapModel)->Unit(benchmark::kMicrosecond);

// The export's drawing: the whole picture as SVG and as PNG, without the write.
void BM_ChannelMapPicture(benchmark::State& state) {
  CBenchProject project;
  if (!project.Ready())
    state.SkipWithError("project not built");
  CChannelMap map = BuildChannelMap(*project.doc);
  EMapFormat format = state.range(0) ? EMapFormat::kPng : EMapFormat::kSvg;
  for (auto _ : state) {
    QByteArray bytes;
    if (!RenderChannelMap(map, format, bytes))
      state.SkipWithError("not drawn");
  }
}
BENCHMARK(BM_ChannelMapPicture)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWindowedBenchmarks(argc, argv); }
