// Fuzzing the module's frame: the input becomes the export options, a few
// small meshes (points anywhere, polygons with any indices, c == d making a
// triangle) and a camera, and runs through every stage from capture to the
// drawing, as tests and the benchmark drive it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "host/runtime.h"
#include "sdk/host_table.h"
#include "shell/bsp_renderer.h"

namespace {

// Reads the input front to back; past its end every value is zero.
class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  int32_t Small(int32_t limit) { return limit > 0 ? Byte() % limit : 0; }
  // A coordinate from -8 to 8 in steps of 1/16, so that coincident and
  // collinear corners are common.
  float Coordinate() { return (static_cast<int32_t>(Byte()) - 128) / 16.0f; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

struct Mesh final : PolygonColours {
  std::vector<HostVector> points;
  std::vector<PolygonCorners> polygons;
  std::vector<uint8_t> shades;
  EdgeNeighbourTable neighbours;

  bool ColourOf(int32_t polygon, Colour& colour) const override {
    const float shade = shades[static_cast<size_t>(polygon)] / 255.0f;
    colour = Colour{shade, 1.0f - shade, 0.5f};
    return true;
  }
};

constexpr int32_t kStyles[] = {kStyleAllEdges, kStyleVisibleEdges, kStyleEdgeLines, kStyleFilled};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  host::ResetForTest();
  HostBind(host::Table());
  host::SetConsoleSink([](const std::string&) {});  // the module's diagnostics
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes in(data, size);
  ExportSettings options;
  options.drawingStyle = kStyles[in.Small(4)];
  options.backFaces = in.Small(2) == 0 ? kBackFacesDrop : kBackFacesKeep;
  options.width = 16 + in.Small(200);
  options.height = 16 + in.Small(200);
  options.lines.outlineLines = in.Small(2) != 0;
  options.lines.creaseLines = in.Small(2) != 0;
  options.lines.skipCoplanarEdges = in.Small(2) != 0;
  options.lines.creaseAngle = in.Byte() / 255.0f * 3.2f;

  std::vector<Mesh> meshes(static_cast<size_t>(1 + in.Small(3)));
  for (Mesh& mesh : meshes) {
    const int32_t points = 3 + in.Small(12);
    for (int32_t i = 0; i < points; ++i)
      mesh.points.push_back(HostVector{in.Coordinate(), in.Coordinate(), 10.0f + in.Coordinate()});
    const int32_t polygons = 1 + in.Small(12);
    for (int32_t i = 0; i < polygons; ++i) {
      // Mostly valid indices; now and then one out of range.
      const int32_t range = points + (in.Small(8) == 0 ? 3 : 0);
      PolygonCorners corners{in.Small(range), in.Small(range), in.Small(range), 0};
      corners.d = in.Small(2) == 0 ? corners.c : in.Small(range);
      mesh.polygons.push_back(corners);
      mesh.shades.push_back(in.Byte());
    }
    mesh.neighbours.Build(mesh.polygons.data(), static_cast<int32_t>(mesh.polygons.size()));
  }

  // Read after the meshes, so that earlier inputs keep their meaning.
  options.plotter.on = in.Small(2) != 0;
  options.plotter.minLength = in.Small(4) * 0.5;
  options.plotter.simplify = in.Small(4) * 0.1;
  if (in.Small(2) != 0) options.paper = PaperOptions{210.0, 297.0, in.Small(120) * 1.0};

  ExportJob job;
  JobBinding binding(job);
  BSPRenderer renderer;
  if (renderer.Prepare(options, job) == 0) return 0;
  renderer.scene.camera.lensLength = 20.0 + in.Small(60);
  renderer.scene.camera.filmWidth = 36.0;
  for (Mesh& mesh : meshes) {
    MeshInput input;
    input.points = mesh.points.data();
    input.pointCount = static_cast<int32_t>(mesh.points.size());
    input.polygons = mesh.polygons.data();
    input.polygonCount = static_cast<int32_t>(mesh.polygons.size());
    input.neighbours = &mesh.neighbours;
    input.colours = &mesh;
    AddCapturedObject(renderer.scene, options, options.lines, input);
  }
  renderer.Draw();
  return 0;
}
