#include "host/import/triangle_budget.h"

#include <limits>

namespace host::import {
namespace {

// Measured peaks of the importer's child on one-mesh files of a million
// triangles: about 125 bytes per triangle for binary PLY, about 250 for OBJ
// text; the allowance is four times the larger figure.
constexpr uint64_t kImporterBytesPerTriangle = 1000;
// The large stack (1 GiB of address space), the library's fixed costs and
// the file's own bytes for small scenes.
constexpr uint64_t kImporterFixedBytes = uint64_t{2} << 30;

}  // namespace

int64_t SceneTriangles(const Scene& scene) {
  int64_t count = 0;
  for (const auto& object : scene.objects) {
    if (object->type != kObjectPolygon) continue;
    for (const HostPolygon& polygon : object->polygons) count += TrianglesOf(polygon);
  }
  return count;
}

std::string GroupedDigits(int64_t count) {
  std::string digits = std::to_string(count);
  const size_t first = digits[0] == '-' ? 1 : 0;
  for (size_t at = digits.size(); at > first + 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

std::string TooManyTriangles(int64_t count, int64_t limit) {
  return "the scene expands to " + GroupedDigits(count) + " triangles, more than the limit of " +
         GroupedDigits(limit) + " (--max-triangles)";
}

uint64_t ImporterMemoryBytes(int64_t maxTriangles) {
  const uint64_t triangles = maxTriangles > 0 ? static_cast<uint64_t>(maxTriangles) : 0;
  const uint64_t most = std::numeric_limits<uint64_t>::max();
  if (triangles > (most - kImporterFixedBytes) / kImporterBytesPerTriangle) return most;
  return kImporterFixedBytes + triangles * kImporterBytesPerTriangle;
}

}  // namespace host::import
