// The meshes of one Assimp node as the geometry of one polygon object:
// points welded where their positions are equal, triangles and quads kept,
// larger polygons split into triangles, each polygon with the Assimp
// material it came from.
#pragma once

#include <assimp/scene.h>

#include <cstdint>
#include <vector>

#include "host/api/host_scene_api.h"

namespace host::import {

struct NodeGeometry {
  std::vector<HostVector> points;
  std::vector<HostPolygon> polygons;
  std::vector<uint32_t> polygonMaterials;  // Assimp material index per polygon
};

// What the conversion left out, for the import's warnings.
struct GeometryDrops {
  int64_t nonFinitePolygons = 0;      // used a point with a NaN or infinite coordinate
  int64_t missingCornerPolygons = 0;  // used a point the mesh does not have
  int64_t degeneratePolygons = 0;     // fewer than three distinct corners
  int64_t pointsAndLines = 0;         // faces of one or two corners
};

// False when the node holds more points or polygons than an object can.
bool ConvertNodeMeshes(const aiScene& scene, const aiNode& node, NodeGeometry& geometry,
                       GeometryDrops& drops);

// The triangles the node tree expands to, counted before any is built: each
// node's meshes as often as nodes name them, a face of n corners as n - 2
// triangles (what the conversion and the export's splitting make of it).
// The count stops once it passes `limit`, so that a file naming its meshes
// from a great many nodes costs no more than the limit to count.
int64_t ExpandedTriangles(const aiScene& scene, int64_t limit);

}  // namespace host::import
