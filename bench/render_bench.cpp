// The frame driver's capture and visibility stages on generated scenes of
// growing size, seen through a 1920 x 1080 camera that the scene fills.
#include <benchmark/benchmark.h>

#include "generated_meshes.h"
#include "host/runtime.h"
#include "sdk/host_table.h"
#include "shell/bsp_renderer.h"

namespace {

struct WhiteColours final : PolygonColours {
  bool ColourOf(int32_t, Colour& colour) const override {
    colour = Colour{1.0f, 1.0f, 1.0f};
    return true;
  }
};

// Camera on the -z side looking at the origin from `distance`.
CameraInput CameraAt(double distance) {
  CameraInput camera;
  camera.lensLength = 36.0;
  camera.filmWidth = 36.0;
  camera.matrix.off = Vector3d{0.0, 0.0, -distance};
  return camera;
}

struct FrameResult {
  int32_t captured = 0;
  int32_t fragments = 0;
  bool memoryFailed = false;
};

// One frame through the frame driver's stages up to visibility: neighbour
// table, capture, frustum clip, pass 1, pass 2, release.
FrameResult RenderFrame(const GeneratedMesh& mesh, const ExportSettings& settings,
                        double distance) {
  ExportJob job;
  JobBinding binding(job);
  EdgeNeighbourTable neighbours;
  neighbours.Build(mesh.polygons.data(), mesh.TriangleCount());
  WhiteColours colours;
  MeshInput input;
  input.points = mesh.points.data();
  input.pointCount = static_cast<int32_t>(mesh.points.size());
  input.polygons = mesh.polygons.data();
  input.polygonCount = mesh.TriangleCount();
  input.neighbours = &neighbours;
  input.colours = &colours;

  FrameResult result;
  BSPRenderer renderer;
  if (renderer.Prepare(settings, job) == 0) return result;
  renderer.scene.camera = CameraAt(distance);
  BSPPolyObj* object = AddCapturedObject(renderer.scene, settings, settings.lines, input);
  if (object == nullptr) return result;
  renderer.Draw(FrameStage::kVisibility);
  result.captured = object->polygons.Count();
  result.fragments = object->fragments.Count();
  result.memoryFailed = job.memoryFailed;
  return result;
}

void RunScene(benchmark::State& state, const GeneratedMesh& mesh, double distance) {
  host::ResetForTest();
  HostBind(host::Table());
  ExportSettings settings;
  settings.drawingStyle = kStyleVisibleEdges;
  settings.width = 1920;
  settings.height = 1080;

  FrameResult result;
  for (auto _ : state) {
    result = RenderFrame(mesh, settings, distance);
    benchmark::DoNotOptimize(result);
  }
  state.counters["triangles"] = mesh.TriangleCount();
  state.counters["captured"] = result.captured;
  state.counters["fragments"] = result.fragments;
  state.counters["memory_error"] = result.memoryFailed ? 1 : 0;
}

void BM_BumpyTorus(benchmark::State& state) {
  const GeneratedMesh mesh = BumpyTorus(static_cast<int32_t>(state.range(0)));
  RunScene(state, mesh, 4.0);
}

void BM_SphereLattice(benchmark::State& state) {
  const GeneratedMesh mesh = SphereLattice(static_cast<int32_t>(state.range(0)), 1000);
  RunScene(state, mesh, 6.0);
}

BENCHMARK(BM_BumpyTorus)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Arg(100000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SphereLattice)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Arg(100000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
