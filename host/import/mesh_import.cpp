#include "host/import/mesh_import.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>

#include "host/import/handedness.h"
#include "host/import/polygon_split.h"

namespace host::import {
namespace {

constexpr size_t kMaxCount = static_cast<size_t>(std::numeric_limits<int32_t>::max());
constexpr int32_t kNonFinitePoint = -1;
constexpr int32_t kMissingPoint = -2;

// Welds points of equal position into one point index.
class PointWelder {
 public:
  explicit PointWelder(NodeGeometry& geometry) : geometry_(geometry) {}

  // The point index of a position, or kNonFinitePoint when it is not finite.
  int32_t Add(const Vec3& p) {
    if (!IsFinite(p)) return kNonFinitePoint;
    const HostVector v{static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
    const auto [it, added] =
        index_.try_emplace(Key(v), static_cast<int32_t>(geometry_.points.size()));
    if (added) geometry_.points.push_back(v);
    return it->second;
  }

 private:
  struct KeyHash {
    size_t operator()(const std::array<uint32_t, 3>& k) const {
      return (static_cast<size_t>(k[0]) * 73856093u) ^ (static_cast<size_t>(k[1]) * 19349663u) ^
             (static_cast<size_t>(k[2]) * 83492791u);
    }
  };
  // The bits of each coordinate, with -0 counted as +0.
  static std::array<uint32_t, 3> Key(HostVector v) {
    std::array<uint32_t, 3> key{};
    const float coords[3] = {v.x + 0.0f, v.y + 0.0f, v.z + 0.0f};
    for (int i = 0; i < 3; ++i) std::memcpy(&key[static_cast<size_t>(i)], &coords[i], 4);
    return key;
  }

  NodeGeometry& geometry_;
  std::unordered_map<std::array<uint32_t, 3>, int32_t, KeyHash> index_;
};

// Removes corners equal to the corner before them (cyclically).
std::vector<int32_t> WithoutRepeats(const std::vector<int32_t>& corners) {
  std::vector<int32_t> kept;
  for (size_t i = 0; i < corners.size(); ++i) {
    const int32_t previous = corners[(i + corners.size() - 1) % corners.size()];
    if (corners.size() == 1 || corners[i] != previous) kept.push_back(corners[i]);
  }
  return kept;
}

void AddPolygon(NodeGeometry& geometry, const std::vector<int32_t>& corners, uint32_t material) {
  if (corners.size() == 3) {
    geometry.polygons.push_back({corners[0], corners[1], corners[2], corners[2]});
    geometry.polygonMaterials.push_back(material);
    return;
  }
  if (corners.size() == 4) {
    geometry.polygons.push_back({corners[0], corners[1], corners[2], corners[3]});
    geometry.polygonMaterials.push_back(material);
    return;
  }
  std::vector<Vec3> positions;
  for (const int32_t c : corners) {
    const HostVector& p = geometry.points[static_cast<size_t>(c)];
    positions.push_back({p.x, p.y, p.z});
  }
  for (const auto& t : SplitIntoTriangles(positions)) {
    AddPolygon(geometry,
               {corners[static_cast<size_t>(t[0])], corners[static_cast<size_t>(t[1])],
                corners[static_cast<size_t>(t[2])]},
               material);
  }
}

// A face in host order: the mirror into left-handed space reverses the
// corners; keeping the first corner in front keeps quads recognisable.
// An index outside the mesh's vertices gives kMissingPoint.
std::vector<int32_t> HostCorners(const aiFace& face, const std::vector<int32_t>& pointOf) {
  const auto point = [&pointOf](unsigned index) {
    return index < pointOf.size() ? pointOf[index] : kMissingPoint;
  };
  std::vector<int32_t> corners;
  corners.reserve(face.mNumIndices);
  corners.push_back(point(face.mIndices[0]));
  for (unsigned k = face.mNumIndices - 1; k > 0; --k) corners.push_back(point(face.mIndices[k]));
  return corners;
}

bool ConvertMesh(const aiMesh& mesh, PointWelder& welder, NodeGeometry& geometry,
                 GeometryDrops& drops) {
  if (mesh.mVertices == nullptr || mesh.mFaces == nullptr) return true;  // nothing to draw
  std::vector<int32_t> pointOf(mesh.mNumVertices);
  for (unsigned i = 0; i < mesh.mNumVertices; ++i)
    pointOf[i] = welder.Add(Mirrored(mesh.mVertices[i]));
  if (geometry.points.size() > kMaxCount) return false;

  for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
    const aiFace& face = mesh.mFaces[f];
    if (face.mNumIndices < 3 || face.mIndices == nullptr) {
      ++drops.pointsAndLines;
      continue;
    }
    const std::vector<int32_t> corners = HostCorners(face, pointOf);
    const auto uses = [&corners](int32_t point) {
      return std::find(corners.begin(), corners.end(), point) != corners.end();
    };
    if (uses(kMissingPoint)) {
      ++drops.missingCornerPolygons;
      continue;
    }
    if (uses(kNonFinitePoint)) {
      ++drops.nonFinitePolygons;
      continue;
    }
    const std::vector<int32_t> distinct = WithoutRepeats(corners);
    if (distinct.size() < 3) {
      ++drops.degeneratePolygons;
      continue;
    }
    AddPolygon(geometry, distinct, mesh.mMaterialIndex);
    if (geometry.polygons.size() > kMaxCount) return false;
  }
  return true;
}

}  // namespace

bool ConvertNodeMeshes(const aiScene& scene, const aiNode& node, NodeGeometry& geometry,
                       GeometryDrops& drops) {
  PointWelder welder(geometry);
  if (node.mMeshes == nullptr || scene.mMeshes == nullptr) return true;
  for (unsigned m = 0; m < node.mNumMeshes; ++m) {
    const unsigned index = node.mMeshes[m];
    if (index >= scene.mNumMeshes || scene.mMeshes[index] == nullptr) continue;
    if (!ConvertMesh(*scene.mMeshes[index], welder, geometry, drops)) return false;
  }
  return true;
}

int64_t ExpandedTriangles(const aiScene& scene, int64_t limit) {
  // Each mesh's triangles once, then the walk over the nodes only adds.
  std::vector<int64_t> meshTriangles(scene.mMeshes != nullptr ? scene.mNumMeshes : 0, 0);
  for (size_t m = 0; m < meshTriangles.size(); ++m) {
    const aiMesh* mesh = scene.mMeshes[m];
    if (mesh == nullptr || mesh->mFaces == nullptr) continue;
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
      const unsigned corners = mesh->mFaces[f].mNumIndices;
      if (corners >= 3) meshTriangles[m] += corners - 2;
    }
  }
  int64_t count = 0;
  std::vector<const aiNode*> pending;
  if (scene.mRootNode != nullptr) pending.push_back(scene.mRootNode);
  while (!pending.empty() && count <= limit) {
    const aiNode* node = pending.back();
    pending.pop_back();
    for (unsigned m = 0; node->mMeshes != nullptr && m < node->mNumMeshes; ++m) {
      const unsigned index = node->mMeshes[m];
      if (index < meshTriangles.size()) count += meshTriangles[index];
      if (count > limit) break;
    }
    for (unsigned c = 0; node->mChildren != nullptr && c < node->mNumChildren; ++c) {
      if (node->mChildren[c] != nullptr) pending.push_back(node->mChildren[c]);
    }
  }
  return count;
}

}  // namespace host::import
