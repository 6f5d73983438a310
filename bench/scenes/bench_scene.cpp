// Writes a generated benchmark scene as a file the program reads, so that
// whole exports can be timed on the same meshes as the stage benchmarks.
//
//   vexmark_bench_scene torus TRIANGLES OUT.ply      one bumpy torus
//   vexmark_bench_scene spheres TRIANGLES OUT.ply    a lattice of 1000-triangle spheres
//   vexmark_bench_scene objects COUNT OUT.obj        COUNT one-triangle objects
//
// Meshes go out as binary PLY (one object); separate objects as OBJ, one
// named object per triangle.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <string>

#include "../generated_meshes.h"

namespace {

bool WritePly(const GeneratedMesh& mesh, const char* path) {
  FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  std::fprintf(file,
               "ply\nformat binary_little_endian 1.0\nelement vertex %zu\n"
               "property float x\nproperty float y\nproperty float z\n"
               "element face %zu\nproperty list uchar int vertex_indices\nend_header\n",
               mesh.points.size(), mesh.polygons.size());
  for (const HostVector& p : mesh.points) {
    const float xyz[3] = {p.x, p.y, p.z};
    std::fwrite(xyz, sizeof xyz, 1, file);
  }
  for (const PolygonCorners& t : mesh.polygons) {
    const unsigned char three = 3;
    const int32_t corners[3] = {t.a, t.b, t.c};
    std::fwrite(&three, 1, 1, file);
    std::fwrite(corners, sizeof corners, 1, file);
  }
  return std::fclose(file) == 0;
}

// One small triangle per object, scattered through a box 4 x 3 x 3 units in
// front of the camera, so that nearer ones hide parts of farther ones.
bool WriteSeparateObjects(int32_t count, const char* path) {
  FILE* file = std::fopen(path, "w");
  if (file == nullptr) return false;
  const int32_t across = static_cast<int32_t>(std::ceil(std::cbrt(count * 4.0)));
  const double size = 6.0 / across;
  for (int32_t i = 0; i < count; ++i) {
    const double x = -2.0 + 4.0 * std::fmod(std::fabs(std::sin(i * 12.9898) * 43758.5453), 1.0);
    const double y = -1.5 + 3.0 * std::fmod(std::fabs(std::sin(i * 78.233) * 12345.6789), 1.0);
    const double z = -1.5 + 3.0 * std::fmod(std::fabs(std::sin(i * 39.425) * 24634.6345), 1.0);
    std::fprintf(file, "o t%d\nv %.6f %.6f %.6f\nv %.6f %.6f %.6f\nv %.6f %.6f %.6f\nf -3 -2 -1\n",
                 i, x, y, z, x + size, y + 0.2 * size, z + 0.3 * size, x + 0.4 * size, y + size,
                 z - 0.2 * size);
  }
  return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: vexmark_bench_scene torus|spheres|objects COUNT OUT\n");
    return 2;
  }
  const std::string kind = argv[1];
  const long count = std::strtol(argv[2], nullptr, 10);
  if (count < 1 || count > 100000000) {
    std::fprintf(stderr, "vexmark_bench_scene: bad count %s\n", argv[2]);
    return 2;
  }
  const int32_t n = static_cast<int32_t>(count);
  bool written = false;
  if (kind == "torus") {
    written = WritePly(BumpyTorus(n), argv[3]);
  } else if (kind == "spheres") {
    written = WritePly(SphereLattice(n, 1000), argv[3]);
  } else if (kind == "objects") {
    written = WriteSeparateObjects(n, argv[3]);
  } else {
    std::fprintf(stderr, "vexmark_bench_scene: unknown kind %s\n", argv[1]);
    return 2;
  }
  if (!written) {
    std::fprintf(stderr, "vexmark_bench_scene: cannot write %s: %s\n", argv[3], std::strerror(errno));
    return 1;
  }
  return 0;
}
