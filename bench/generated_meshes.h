// Meshes the benchmarks render: closed, with real occlusion, at any size.
#pragma once

#include <cstdint>
#include <vector>

#include "capture/edge_neighbours.h"
#include "sdk/container.h"

struct GeneratedMesh {
  std::vector<HostVector> points;
  std::vector<PolygonCorners> polygons;  // triangles: c == d

  int32_t TriangleCount() const { return static_cast<int32_t>(polygons.size()); }
};

// A bumpy torus of about `triangles` triangles around the origin, outer
// radius 1.5, tilted towards the camera so that its near side hides parts of
// its far side and of its hole.
GeneratedMesh BumpyTorus(int32_t triangles);

// Spheres of `trianglesEach` triangles in a jittered 3D lattice around the
// origin (about 4 x 3 x 3 units), about `triangles` in all; nearer spheres
// hide parts of farther ones.
GeneratedMesh SphereLattice(int32_t triangles, int32_t trianglesEach);
