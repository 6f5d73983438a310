// What the Assimp of Debian 12 reads wrongly or not at all from glTF files,
// read here from the file's own JSON: camera projections (Assimp multiplies
// the vertical field of view by the aspect ratio instead of converting it,
// and copies the node's translation into the camera's own position) and the
// interpolation of animation samplers (Assimp keeps only the keys).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace host::import {

struct GltfCamera {
  bool parallel = false;
  double yfov = 0;                    // perspective: vertical field of view, radians
  std::optional<double> aspectRatio;  // perspective: width / height, when given
  double xmag = 0;                    // parallel: half the visible width
};

struct GltfDetails {
  std::vector<GltfCamera> cameras;  // in the file's order, as Assimp keeps them
  // Sampler interpolation ("LINEAR", "STEP", "CUBICSPLINE") by the animated
  // node's name as Assimp gives it and the path ("translation", "rotation",
  // "scale").
  std::map<std::pair<std::string, std::string>, std::string> interpolation;
  // The extensions a reader must understand to read the file right.
  std::vector<std::string> extensionsRequired;
  // Levels of the deepest node below a scene root (1 for a root alone).
  size_t nodeDepth = 0;
};

// The deepest node hierarchy the importer is handed: its recursion, one call
// per level, then fits the stack that files are read on (large_stack.h)
// with room to spare.
inline constexpr size_t kMaxNodeDepth = 100000;

// The first of the file's required extensions that Vexmark cannot honour
// (they change the geometry, as mesh compression does); empty when there is
// none. Extensions of materials, texture placement and lights change nothing
// that Vexmark draws.
std::string UnsupportedRequiredExtension(const GltfDetails& details);

// True for the suffixes .gltf and .glb.
bool IsGltfFile(const std::string& path);

// The details of a glTF file (JSON text or binary container); nullopt when
// its JSON cannot be read.
std::optional<GltfDetails> ReadGltfDetails(const std::string& path);

}  // namespace host::import
