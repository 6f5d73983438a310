#include "host/import/camera_import.h"

#include <cmath>

#include "host/api/vexmark_ids.h"
#include "host/import/handedness.h"

namespace host::import {
namespace {

constexpr double kFrameTolerance = 1e-6;

bool Usable(double fieldOfView) {
  return std::isfinite(fieldOfView) && fieldOfView > 0 && fieldOfView < kPi;
}

bool NearlyEqual(const Vec3& a, const Vec3& b) {
  return Length(a - b) < kFrameTolerance;
}

// The camera's frame from Assimp's position, look and up vectors (relative
// to its node), mirrored into host space. Some of Assimp's readers (glTF,
// 3DS) also copy the node's offset into the camera's position; a position
// equal to that offset is the node's own and is not counted twice.
ImportedCamera Frame(const aiCamera& camera, const aiVector3D& nodeOffset) {
  ImportedCamera out;
  Vec3 look = Normalized({camera.mLookAt.x, camera.mLookAt.y, camera.mLookAt.z});
  if (Length(look) == 0) look = {0, 0, -1};
  Vec3 position{camera.mPosition.x, camera.mPosition.y, camera.mPosition.z};
  const Vec3 offset{nodeOffset.x, nodeOffset.y, nodeOffset.z};
  if (Length(position - offset) <= kFrameTolerance * (1 + Length(offset))) position = {};
  Vec3 right = Normalized(Cross(look, {camera.mUp.x, camera.mUp.y, camera.mUp.z}));
  if (Length(right) == 0) right = Normalized(Cross(look, Vec3{0, 0, 1}));
  if (Length(right) == 0) right = {1, 0, 0};
  const Vec3 up = Cross(right, look);
  // Right-handed camera matrix: x right, y up, z backwards.
  out.frameIsNodeFrame =
      NearlyEqual(position, {}) && NearlyEqual(look, {0, 0, -1}) && NearlyEqual(up, {0, 1, 0});
  aiMatrix4x4 m;
  m.a1 = right.x, m.b1 = right.y, m.c1 = right.z;
  m.a2 = up.x, m.b2 = up.y, m.c2 = up.z;
  m.a3 = -look.x, m.b3 = -look.y, m.c3 = -look.z;
  m.a4 = position.x, m.b4 = position.y, m.c4 = position.z;
  // Mirrored, the backward axis turns into the host's forward third axis.
  out.frame = out.frameIsNodeFrame ? Matrix{} : Mirrored(m);
  return out;
}

}  // namespace

double LensForFieldOfView(double fieldOfView, double filmWidth) {
  return filmWidth / 2 / std::tan(fieldOfView / 2);
}

ImportedCamera ConvertCamera(const aiCamera& camera, const GltfCamera* gltf,
                             const aiVector3D& nodeOffset, double pictureAspect,
                             ImportReport& report) {
  // glTF cameras sit at their node and look down its -z axis.
  ImportedCamera out = gltf != nullptr ? ImportedCamera{} : Frame(camera, nodeOffset);
  CameraParams& params = out.params;

  bool parallel = camera.mOrthographicWidth > 0;
  double halfWidth = camera.mOrthographicWidth;
  double fieldOfView = camera.mHorizontalFOV;
  if (gltf != nullptr) {
    parallel = gltf->parallel;
    halfWidth = gltf->xmag;
    const double aspect =
        gltf->aspectRatio && *gltf->aspectRatio > 0 ? *gltf->aspectRatio : pictureAspect;
    fieldOfView = 2 * std::atan(aspect * std::tan(gltf->yfov / 2));
  }

  const std::string name = camera.mName.C_Str();
  if (parallel) {
    params.projection = kProjectionParallel;
    if (std::isfinite(halfWidth) && halfWidth > 0) {
      params.zoom = 1 / (2 * halfWidth);
    } else {
      report.Warn("camera '" + name + "' has no usable width; it shows 1 unit across");
    }
  } else if (Usable(fieldOfView)) {
    params.lens = LensForFieldOfView(fieldOfView, params.filmWidth);
  } else {
    report.Warn("camera '" + name + "' has no usable field of view; it gets a 36 mm lens");
  }
  return out;
}

}  // namespace host::import
