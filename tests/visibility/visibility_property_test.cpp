// Property: for random scenes of non-intersecting triangles in front of the
// camera, the visible fragments of pass 2, projected into the picture, cover
// every point of the picture at most once, always with the triangle that a
// ray through that point meets first, and their total area equals the area
// of the union of the projected triangles. The reference is computed
// independently by casting rays through jittered sample points.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "bsp_fixture.h"
#include "test_scene.h"

namespace {

struct Triangle {
  Vector3d p[3];
  int32_t object = 0;
  int32_t index = 0;  // polygon index within its object
};

struct Point2 {
  double x, y;
};

double Cross2(const Point2& o, const Point2& a, const Point2& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Whether some axis (face normals, edge cross products, in-plane edge
// normals) separates the triangles by more than `margin`.
bool Separated(const Triangle& a, const Triangle& b, double margin) {
  Vector3d edgesA[3];
  Vector3d edgesB[3];
  for (int i = 0; i < 3; ++i) {
    edgesA[i] = a.p[(i + 1) % 3] - a.p[i];
    edgesB[i] = b.p[(i + 1) % 3] - b.p[i];
  }
  const Vector3d na = Cross(edgesA[0], edgesA[1]);
  const Vector3d nb = Cross(edgesB[0], edgesB[1]);
  std::vector<Vector3d> axes = {na, nb};
  for (int i = 0; i < 3; ++i) {
    axes.push_back(Cross(na, edgesA[i]));
    axes.push_back(Cross(nb, edgesB[i]));
    for (int j = 0; j < 3; ++j) axes.push_back(Cross(edgesA[i], edgesB[j]));
  }
  for (const Vector3d& axis : axes) {
    const double length = Length(axis);
    if (length < 1e-9) continue;
    const Vector3d unit = axis * (1.0 / length);
    double minA = 1e300, maxA = -1e300, minB = 1e300, maxB = -1e300;
    for (int i = 0; i < 3; ++i) {
      minA = std::min(minA, Dot(unit, a.p[i]));
      maxA = std::max(maxA, Dot(unit, a.p[i]));
      minB = std::min(minB, Dot(unit, b.p[i]));
      maxB = std::max(maxB, Dot(unit, b.p[i]));
    }
    if (maxA + margin < minB || maxB + margin < minA) return true;
  }
  return false;
}

// Distance along the ray from the origin with direction d to the triangle,
// or infinity when the ray misses it.
double RayDistance(const Triangle& t, const Vector3d& d) {
  const Vector3d e1 = t.p[1] - t.p[0];
  const Vector3d e2 = t.p[2] - t.p[0];
  const Vector3d h = Cross(d, e2);
  const double det = Dot(e1, h);
  if (std::fabs(det) < 1e-14) return std::numeric_limits<double>::infinity();
  const Vector3d s = Vector3d{} - t.p[0];
  const double u = Dot(s, h) / det;
  const Vector3d q = Cross(s, e1);
  const double v = Dot(d, q) / det;
  if (u < 0.0 || v < 0.0 || u + v > 1.0) return std::numeric_limits<double>::infinity();
  const double along = Dot(e2, q) / det;
  return along > 0.0 ? along : std::numeric_limits<double>::infinity();
}

double DistanceToSegment(const Point2& p, const Point2& a, const Point2& b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double lengthSquared = dx * dx + dy * dy;
  double t = lengthSquared > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared : 0.0;
  t = std::max(0.0, std::min(1.0, t));
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

struct Fragment {
  std::vector<Point2> corners;
  int32_t object = 0;
  int32_t index = 0;
  double orientation = 0.0;  // twice the signed area
};

bool Contains(const Fragment& f, const Point2& p) {
  if (f.orientation == 0.0) return false;
  for (size_t i = 0; i < f.corners.size(); ++i) {
    const double side = Cross2(f.corners[i], f.corners[(i + 1) % f.corners.size()], p);
    if (side * f.orientation <= 0.0) return false;
  }
  return true;
}

std::vector<Triangle> RandomTriangles(std::mt19937& random, int count) {
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_real_distribution<double> depth(3.0, 12.0);
  std::uniform_real_distribution<double> size(0.3, 0.9);
  std::vector<Triangle> triangles;
  for (int attempt = 0; attempt < 400 && static_cast<int>(triangles.size()) < count; ++attempt) {
    const double z = depth(random);
    const Vector3d centre{0.6 * unit(random) * 0.5 * z, 0.6 * unit(random) * 0.5 * z, z};
    const double radius = size(random) * z * 0.5;
    Triangle t;
    for (Vector3d& p : t.p) {
      p = centre + Vector3d{unit(random), unit(random), unit(random)} * radius;
    }
    if (Length(Cross(t.p[1] - t.p[0], t.p[2] - t.p[0])) < 0.05 * radius * radius) continue;
    bool clear = true;
    for (const Triangle& other : triangles) clear = clear && Separated(t, other, 0.02);
    if (!clear) continue;
    t.object = static_cast<int32_t>(triangles.size() % 2);
    t.index = static_cast<int32_t>(triangles.size() / 2);
    triangles.push_back(t);
  }
  return triangles;
}

// Adds the triangles as two objects, the even ones to object 0.
void AddTriangles(TestScene& scene, const std::vector<Triangle>& triangles) {
  for (int32_t object = 0; object < 2; ++object) {
    std::vector<HostVector> points;
    std::vector<PolygonCorners> polygons;
    for (const Triangle& t : triangles) {
      if (t.object != object) continue;
      const int32_t first = static_cast<int32_t>(points.size());
      for (const Vector3d& p : t.p) {
        points.push_back(
            HostVector{static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)});
      }
      polygons.push_back(PolygonCorners{first, first + 1, first + 2, first + 2});
    }
    scene.Add(points, polygons);
  }
}

using VisibilityPropertyTest = BspTest;

TEST_F(VisibilityPropertyTest, FragmentsTileTheVisiblePartOfThePicture) {
  std::mt19937 random(20240607);
  constexpr int kScenes = 30;
  constexpr int kGrid = 120;
  constexpr double kHalfPage = 50.0;
  constexpr double kEdgeBand = 0.02;  // pixels; samples this close to an edge are ambiguous
  int64_t hiddenSamples = 0;          // rays that meet more than one triangle
  for (int sceneIndex = 0; sceneIndex < kScenes; ++sceneIndex) {
    std::vector<Triangle> triangles = RandomTriangles(random, 8 + sceneIndex % 20);
    // The triangles as the scene stores them, in single precision.
    for (Triangle& t : triangles) {
      for (Vector3d& p : t.p) {
        p = Vector3d{static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
      }
    }
    TestScene scene;
    AddTriangles(scene, triangles);
    scene.Capture();
    ASSERT_TRUE(scene.RunPasses());
    ASSERT_EQ(MemoryErrorFlag::Test(), 0);
    const double f = scene.View().focalScale;

    std::vector<Fragment> fragments;
    double fragmentArea = 0.0;
    for (int32_t o = 0; o < scene.Objects().Count(); ++o) {
      const Stack<BspPolygon>& list = scene.Objects()[o]->fragments;
      for (int32_t i = 0; i < list.Count(); ++i) {
        Fragment fragment;
        fragment.object = o;
        fragment.index = list[i].polygonIndex;
        for (const Point& p : CornersOf(list[i])) {
          ASSERT_GT(p.z, 0.0);
          fragment.corners.push_back(Point2{p.x * f / p.z, p.y * f / p.z});
        }
        for (size_t k = 1; k + 1 < fragment.corners.size(); ++k) {
          fragment.orientation +=
              Cross2(fragment.corners[0], fragment.corners[k], fragment.corners[k + 1]);
        }
        fragmentArea += std::fabs(fragment.orientation) / 2.0;
        fragments.push_back(fragment);
      }
    }

    std::vector<std::vector<Point2>> outlines;
    for (const Triangle& t : triangles) {
      std::vector<Point2> outline;
      for (const Vector3d& p : t.p) outline.push_back(Point2{p.x * f / p.z, p.y * f / p.z});
      outlines.push_back(outline);
    }

    std::uniform_real_distribution<double> jitter(0.0, 1.0);
    const double cell = 2.0 * kHalfPage / kGrid;
    int hits = 0;
    int mismatches = 0;
    for (int gx = 0; gx < kGrid; ++gx) {
      for (int gy = 0; gy < kGrid; ++gy) {
        const Point2 s{-kHalfPage + (gx + jitter(random)) * cell,
                       -kHalfPage + (gy + jitter(random)) * cell};
        const Vector3d ray{s.x / f, s.y / f, 1.0};
        double nearest = std::numeric_limits<double>::infinity();
        const Triangle* seen = nullptr;
        int met = 0;
        for (const Triangle& t : triangles) {
          const double distance = RayDistance(t, ray);
          met += distance < std::numeric_limits<double>::infinity();
          if (distance < nearest) {
            nearest = distance;
            seen = &t;
          }
        }
        hits += seen != nullptr;
        hiddenSamples += met > 1;

        bool ambiguous =
            std::fabs(s.x) > kHalfPage - kEdgeBand || std::fabs(s.y) > kHalfPage - kEdgeBand;
        for (const auto& outline : outlines) {
          for (size_t k = 0; k < 3 && !ambiguous; ++k) {
            ambiguous = DistanceToSegment(s, outline[k], outline[(k + 1) % 3]) < kEdgeBand;
          }
        }
        if (ambiguous) continue;
        int covering = 0;
        bool right = seen == nullptr;
        for (const Fragment& fragment : fragments) {
          if (!Contains(fragment, s)) continue;
          ++covering;
          right =
              seen != nullptr && fragment.object == seen->object && fragment.index == seen->index;
        }
        if (covering > 1 || !right) ++mismatches;
      }
    }
    EXPECT_EQ(mismatches, 0) << "scene " << sceneIndex;
    const double unionArea = hits * cell * cell;
    EXPECT_NEAR(fragmentArea, unionArea, 0.004 * 4 * kHalfPage * kHalfPage)
        << "scene " << sceneIndex << " with " << triangles.size() << " triangles";
  }
  // The scenes must hide enough to test anything: a twentieth of all samples.
  EXPECT_GT(hiddenSamples, kScenes * kGrid * kGrid / 20);
}

}  // namespace
