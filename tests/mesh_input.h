// The MeshInput of a test mesh held in vectors, as the fixtures hand it to
// the frame driver's capture.
#pragma once

#include <cstdint>
#include <vector>

#include "capture/bsp_poly_obj.h"

// Builds the mesh's neighbour table and points the input at the vectors,
// which must outlive the capture.
inline MeshInput MeshInputOf(const std::vector<HostVector>& points,
                             const std::vector<PolygonCorners>& polygons,
                             EdgeNeighbourTable& neighbours, const PolygonColours* colours) {
  neighbours.Build(polygons.data(), static_cast<int32_t>(polygons.size()));
  MeshInput input;
  input.points = points.data();
  input.pointCount = static_cast<int32_t>(points.size());
  input.polygons = polygons.data();
  input.polygonCount = static_cast<int32_t>(polygons.size());
  input.neighbours = &neighbours;
  input.colours = colours;
  return input;
}
