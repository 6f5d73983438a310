// Torus and sphere generators with deterministic bumps and jitter.
#include "generated_meshes.h"

#include <cmath>

#include "host/api/vexmark_ids.h"

namespace {

HostVector ToVector(double x, double y, double z) {
  return HostVector{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

// Two triangles per quad of a rows x columns grid that wraps in both
// directions; `first` is the index of the grid's first point.
void AddWrappedGrid(GeneratedMesh& mesh, int32_t first, int32_t rows, int32_t columns) {
  for (int32_t i = 0; i < rows; ++i) {
    for (int32_t j = 0; j < columns; ++j) {
      const int32_t a = first + i * columns + j;
      const int32_t b = first + i * columns + (j + 1) % columns;
      const int32_t c = first + ((i + 1) % rows) * columns + (j + 1) % columns;
      const int32_t d = first + ((i + 1) % rows) * columns + j;
      mesh.polygons.push_back(PolygonCorners{a, b, c, c});
      mesh.polygons.push_back(PolygonCorners{a, c, d, d});
    }
  }
}

// A UV sphere: two poles and rings between them, 2 x slices x (stacks - 1)
// triangles.
void AddSphere(GeneratedMesh& mesh, double cx, double cy, double cz, double radius, int32_t stacks,
               int32_t slices) {
  const int32_t north = static_cast<int32_t>(mesh.points.size());
  mesh.points.push_back(ToVector(cx, cy + radius, cz));
  const int32_t south = north + 1;
  mesh.points.push_back(ToVector(cx, cy - radius, cz));
  const int32_t ring0 = north + 2;
  for (int32_t s = 1; s < stacks; ++s) {
    const double phi = kPi * s / stacks;
    for (int32_t k = 0; k < slices; ++k) {
      const double theta = 2.0 * kPi * k / slices;
      mesh.points.push_back(ToVector(cx + radius * std::sin(phi) * std::cos(theta),
                                     cy + radius * std::cos(phi),
                                     cz + radius * std::sin(phi) * std::sin(theta)));
    }
  }
  auto at = [&](int32_t ring, int32_t k) { return ring0 + ring * slices + (k % slices); };
  for (int32_t k = 0; k < slices; ++k) {
    mesh.polygons.push_back(PolygonCorners{north, at(0, k + 1), at(0, k), at(0, k)});
    const int32_t last = stacks - 2;
    mesh.polygons.push_back(PolygonCorners{south, at(last, k), at(last, k + 1), at(last, k + 1)});
  }
  for (int32_t ring = 0; ring + 1 < stacks - 1; ++ring) {
    for (int32_t k = 0; k < slices; ++k) {
      const int32_t a = at(ring, k);
      const int32_t b = at(ring, k + 1);
      const int32_t c = at(ring + 1, k + 1);
      const int32_t d = at(ring + 1, k);
      mesh.polygons.push_back(PolygonCorners{a, b, c, c});
      mesh.polygons.push_back(PolygonCorners{a, c, d, d});
    }
  }
}

}  // namespace

GeneratedMesh BumpyTorus(int32_t triangles) {
  const int32_t rings = static_cast<int32_t>(std::sqrt(triangles / 2.0 * 1.25));
  const int32_t sides = triangles / 2 / rings;
  const double tilt = 1.0;  // radians about the x axis
  GeneratedMesh mesh;
  mesh.points.reserve(static_cast<size_t>(rings) * sides);
  for (int32_t i = 0; i < rings; ++i) {
    const double u = 2.0 * kPi * i / rings;
    for (int32_t j = 0; j < sides; ++j) {
      const double v = 2.0 * kPi * j / sides;
      const double tube = 0.5 * (1.0 + 0.15 * std::sin(7 * u) * std::sin(5 * v));
      const double x = (1.0 + tube * std::cos(v)) * std::cos(u);
      const double y = (1.0 + tube * std::cos(v)) * std::sin(u);
      const double z = tube * std::sin(v);
      mesh.points.push_back(ToVector(x, y * std::cos(tilt) - z * std::sin(tilt),
                                     y * std::sin(tilt) + z * std::cos(tilt)));
    }
  }
  AddWrappedGrid(mesh, 0, rings, sides);
  return mesh;
}

GeneratedMesh SphereLattice(int32_t triangles, int32_t trianglesEach) {
  const int32_t slices = static_cast<int32_t>(std::sqrt(trianglesEach));
  const int32_t stacks = trianglesEach / (2 * slices) + 1;
  const int32_t perSphere = 2 * slices * (stacks - 1);
  const int32_t count = triangles / perSphere > 0 ? triangles / perSphere : 1;
  // The lattice is twice as wide as deep; about count spheres in all.
  const int32_t across = static_cast<int32_t>(std::ceil(std::cbrt(count * 4.0)));
  const int32_t deep = (count + across * across - 1) / (across * across);
  const double spacing = 4.0 / across;
  GeneratedMesh mesh;
  int32_t made = 0;
  for (int32_t layer = 0; layer < deep && made < count; ++layer) {
    for (int32_t row = 0; row < across && made < count; ++row) {
      for (int32_t column = 0; column < across && made < count; ++column, ++made) {
        const double jitter = std::sin(made * 12.9898) * 0.3 * spacing;
        const double x = -2.0 + spacing * (column + 0.5) + jitter;
        const double y = (-2.0 + spacing * (row + 0.5)) * 0.75 - jitter;
        const double z = 1.5 * layer + jitter;
        AddSphere(mesh, x, y, z, 0.45 * spacing, stacks, slices);
      }
    }
  }
  return mesh;
}
