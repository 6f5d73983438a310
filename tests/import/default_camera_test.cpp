// The camera a scene without one gets: the scene fills nine tenths of the
// picture's smaller side, whatever the picture's shape and where the scene
// lies.
#include "host/import/default_camera.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using host::Vec3;

TEST(DefaultCameraTest, TheScenesBoundingSphereFillsNineTenthsOfTheSmallerSide) {
  struct Case {
    const char* name;
    double aspect;  // width / height
    Vec3 centre;
    double radius;
  };
  const Case cases[] = {
      {"landscape", 4.0 / 3.0, {5, 1, -3}, 2},
      {"portrait", 3.0 / 4.0, {0, 0, 0}, 0.01},
      {"square, far from the origin", 1.0, {1e4, -2e4, 5e3}, 300},
  };
  const double pi = std::acos(-1.0);
  for (const Case& c : cases) {
    host::Scene scene;
    HostObject& ball = host::AddObject(scene, host::kNoIndex, kObjectPolygon, "Ball");
    for (int i = 0; i <= 60; ++i) {
      for (int j = 0; j < 120; ++j) {
        const double theta = pi * i / 60, phi = 2 * pi * j / 120;
        ball.points.push_back(
            {static_cast<float>(c.centre.x + c.radius * std::sin(theta) * std::cos(phi)),
             static_cast<float>(c.centre.y + c.radius * std::cos(theta)),
             static_cast<float>(c.centre.z + c.radius * std::sin(theta) * std::sin(phi))});
      }
    }
    const HostObject& camera = host::import::AddFramingCamera(scene, c.aspect);
    const host::Matrix& m = camera.local;
    const double height = 600, width = height * c.aspect;
    const double focal = camera.camera.lens * width / camera.camera.filmWidth;
    double extentX = 0, extentY = 0;
    for (const HostVector& p : ball.points) {
      const Vec3 d = Vec3{p.x, p.y, p.z} - m.off;
      const double depth = host::Dot(d, m.v3);
      ASSERT_GT(depth, 0) << c.name;
      extentX = std::max(extentX, std::fabs(host::Dot(d, m.v1) * focal / depth));
      extentY = std::max(extentY, std::fabs(host::Dot(d, m.v2) * focal / depth));
    }
    const double smaller = std::min(width, height);
    EXPECT_NEAR(2 * std::max(extentX, extentY) / smaller, 0.9, 0.02) << c.name;
  }
}

}  // namespace
