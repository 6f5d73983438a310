#include "host/import/default_camera.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace host::import {
namespace {

constexpr double kMargin = 1.05;             // a little room around the scene
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

Box SceneBounds(const Scene& scene) {
  Box box;
  for (const auto& object : scene.objects) {
    if (object->type != kObjectPolygon) continue;
    const Matrix global = GlobalMatrix(*object);
    for (const HostVector& p : object->points) box.Add(Transform(global, {p.x, p.y, p.z}));
  }
  return box;
}

}  // namespace

HostObject& AddFramingCamera(Scene& scene, double pictureAspect) {
  const Box box = SceneBounds(scene);
  const Vec3 centre = box.empty ? Vec3{} : (box.low + box.high) * 0.5;
  double radius = box.empty ? 0 : Length(box.high - box.low) / 2;
  if (!(radius > 0)) radius = 1;

  HostObject& camera = AddObject(scene, kNoIndex, kObjectCamera, "Camera");
  const double halfWidth = std::atan(camera.camera.filmWidth / 2 / camera.camera.lens);
  const double aspect = pictureAspect > 0 ? pictureAspect : 1;
  const double halfHeight = std::atan(std::tan(halfWidth) / aspect);
  const double distance = radius / std::sin(std::min(halfWidth, halfHeight)) * kMargin;

  const Vec3 eye = centre + Normalized(kTowardsCamera) * distance;
  const Vec3 forward = Normalized(centre - eye);
  const Vec3 right = Normalized(Cross(Vec3{0, 1, 0}, forward));
  camera.local = {eye, right, Cross(forward, right), forward};
  scene.view.linkedCamera = camera.index;
  return camera;
}

}  // namespace host::import
