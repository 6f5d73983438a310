// The plotter paths on a drawing of k x k filled squares in three colours,
// each square its own closed outline, so that every inner side is drawn
// twice and every corner is shared by four squares; corners are shaken by
// up to 0.01 points so that ends must be matched within the tolerance.
// 4 k^2 segments: k = 175 gives about 120,000.
#include <benchmark/benchmark.h>

#include "core/job.h"
#include "host/runtime.h"
#include "plotter/plotter_paths.h"
#include "sdk/host_table.h"

namespace {

double Shake(int32_t i, int32_t j) {
  const uint32_t h = static_cast<uint32_t>(i) * 2654435761u ^ static_cast<uint32_t>(j) * 40503u;
  return ((h % 2001) / 1000.0 - 1.0) * 0.01;
}

Drawing Squares(int32_t k) {
  Drawing drawing;
  drawing.width = drawing.height = 10 * k;
  const auto corner = [](int32_t i, int32_t j) {
    return Vector3d{10.0 * i + Shake(i, j), 10.0 * j + Shake(j, i), 0.0};
  };
  for (int32_t i = 0; i < k; ++i) {
    for (int32_t j = 0; j < k; ++j) {
      DrawingPart part;
      part.paint.kind = kFillKind;
      part.paint.lineColour.r = static_cast<uint8_t>(80 * ((i + j) % 3));
      EpsPath path;
      path.points.Push(corner(i, j));
      path.points.Push(corner(i + 1, j));
      path.points.Push(corner(i + 1, j + 1));
      path.points.Push(corner(i, j + 1));
      part.paths.Push(path);
      drawing.parts.Push(part);
    }
  }
  return drawing;
}

void BM_PlotterPaths(benchmark::State& state) {
  host::ResetForTest();
  HostBind(host::Table());
  const int32_t k = static_cast<int32_t>(state.range(0));
  PlotterOptions options;
  options.on = true;
  options.simplify = 0.1;
  int32_t paths = 0;
  bool done = false;
  for (auto _ : state) {
    state.PauseTiming();
    ExportJob job;
    JobBinding binding(job);
    Drawing drawing = Squares(k);
    state.ResumeTiming();
    done = MakePlotterPaths(drawing, options, &job);
    paths = 0;
    for (int32_t p = 0; p < drawing.parts.Count(); ++p) paths += drawing.parts[p].paths.Count();
    benchmark::DoNotOptimize(paths);
  }
  state.counters["segments"] = 4.0 * k * k;
  state.counters["paths"] = paths;
  state.counters["complete"] = done ? 1 : 0;
}

BENCHMARK(BM_PlotterPaths)->Arg(50)->Arg(100)->Arg(175)->Unit(benchmark::kMillisecond);

}  // namespace
