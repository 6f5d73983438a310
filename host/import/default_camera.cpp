#include "host/import/default_camera.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace host::import {
namespace {

// The share of the picture's smaller side that the scene's bounding sphere
// fills: a little room around it.
constexpr double kFill = 0.9;
const Vec3 kTowardsCamera{0.6, 0.45, -1.0};  // right, above, in front

struct Box {
  Vec3 low{std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
           std::numeric_limits<double>::max()};
  Vec3 high{-std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
            -std::numeric_limits<double>::max()};
  bool empty = true;

  void Add(const Vec3& p) {
    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    empty = false;
  }
};

// Calls `visit` with every corner point of the scene's polygon objects, in
// world space.
template <typename Visit>
void EachScenePoint(const Scene& scene, Visit visit) {
  for (const auto& object : scene.objects) {
    if (object->type != kObjectPolygon) continue;
    const Matrix global = GlobalMatrix(*object);
    for (const HostVector& p : object->points) visit(Transform(global, {p.x, p.y, p.z}));
  }
}

}  // namespace

HostObject& AddFramingCamera(Scene& scene, double pictureAspect) {
  // The bounding sphere round the centre of the bounding box: as tight as
  // the box's own corners allow for most scenes, and cheap.
  Box box;
  EachScenePoint(scene, [&box](const Vec3& p) { box.Add(p); });
  const Vec3 centre = box.empty ? Vec3{} : (box.low + box.high) * 0.5;
  double radius = 0;
  EachScenePoint(scene, [&](const Vec3& p) { radius = std::max(radius, Length(p - centre)); });
  if (!(radius > 0) || !std::isfinite(radius)) radius = 1;

  HostObject& camera = AddObject(scene, kNoIndex, kObjectCamera, "Camera");
  const double halfWidth = std::atan(camera.camera.filmWidth / 2 / camera.camera.lens);
  const double aspect = pictureAspect > 0 ? pictureAspect : 1;
  const double halfHeight = std::atan(std::tan(halfWidth) / aspect);
  // A sphere at distance d shows as a disc of angular radius asin(r / d);
  // that disc spans kFill of the smaller side.
  const double halfSmaller = std::min(halfWidth, halfHeight);
  const double distance = radius / std::sin(std::atan(kFill * std::tan(halfSmaller)));

  const Vec3 eye = centre + Normalized(kTowardsCamera) * distance;
  const Vec3 forward = Normalized(centre - eye);
  const Vec3 right = Normalized(Cross(Vec3{0, 1, 0}, forward));
  camera.local = {eye, right, Cross(forward, right), forward};
  scene.view.linkedCamera = camera.index;
  return camera;
}

}  // namespace host::import
