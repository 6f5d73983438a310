// Capture plus both visibility passes on generated scenes of growing size,
// seen through a 1920 x 1080 camera that the scene fills.
#include <benchmark/benchmark.h>

#include "capture/capture.h"
#include "visibility/passes.h"
#include "generated_meshes.h"
#include "host/runtime.h"

namespace {

struct WhiteColours final : PolygonColours {
  bool ColourOf(int32_t, float rgb[3]) const override {
    rgb[0] = rgb[1] = rgb[2] = 1.0f;
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
};

// One frame: neighbour table, capture, frustum clip, pass 1, pass 2, release.
FrameResult RenderFrame(const GeneratedMesh& mesh, const BspView& view,
                        const ExportSettings& settings) {
  MemoryErrorFlag::Clear();
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

  BSPPolyObj* object = HostNew<BSPPolyObj>(settings, input);
  Stack<BSPPolyObj*> objects;
  objects.Push(object);
  Stack<BspPolygon> pass1;
  Stack<BspPolygon> clipped;
  BeamTree tree;
  if (CaptureWorldPoints(*object)) BuildPolygons(*object, view, pass1);
  FrameResult result;
  result.captured = object->polygons.Count();
  ClipToFrustum(view, pass1, clipped);
  if (RunOcclusionPass(view, tree, clipped)) RunVisibilityPass(view, tree, objects);
  DestroyBeamTree(tree);
  result.fragments = object->fragments.Count();
  HostDelete(object);
  return result;
}

void RunScene(benchmark::State& state, const GeneratedMesh& mesh, double distance) {
  host::ResetForTest();
  HostBind(host::Table());
  ExportSettings settings;
  settings.drawingStyle = kStyleVisibleEdges;
  settings.width = 1920;
  settings.height = 1080;
  BspView view;
  MakeView(view, settings.width, settings.height, &settings);
  SetCamera(view, CameraAt(distance));

  FrameResult result;
  for (auto _ : state) {
    result = RenderFrame(mesh, view, settings);
    benchmark::DoNotOptimize(result);
  }
  state.counters["triangles"] = mesh.TriangleCount();
  state.counters["captured"] = result.captured;
  state.counters["fragments"] = result.fragments;
  state.counters["memory_error"] = MemoryErrorFlag::Test();
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
