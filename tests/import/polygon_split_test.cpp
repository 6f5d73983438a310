// Splitting polygons of many corners into triangles: every split covers the
// polygon exactly, keeps its winding, and stays fast and well shaped on
// polygons of a hundred thousand corners.
#include "host/import/polygon_split.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/api/vexmark_ids.h"

namespace {

using host::Vec3;
using host::import::SplitIntoTriangles;

// Twice the signed area in the x-y plane.
double Area2(const Vec3& a, const Vec3& b, const Vec3& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

double PolygonArea2(const std::vector<Vec3>& corners) {
  double sum = 0;
  for (size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
    sum += corners[j].x * corners[i].y - corners[i].x * corners[j].y;
  }
  return sum;
}

bool Inside(const std::vector<Vec3>& corners, double x, double y) {
  bool inside = false;
  for (size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
    const Vec3& p = corners[i];
    const Vec3& q = corners[j];
    if ((p.y > y) != (q.y > y) && x < (q.x - p.x) * (y - p.y) / (q.y - p.y) + p.x) inside = !inside;
  }
  return inside;
}

std::vector<Vec3> Ring(int corners, double inner, bool clockwise = false) {
  std::vector<Vec3> ring;
  for (int i = 0; i < corners; ++i) {
    const double angle = 2 * kPi * i / corners * (clockwise ? -1 : 1);
    const double r = i % 2 == 0 ? 1.0 : inner;
    ring.push_back({r * std::cos(angle), r * std::sin(angle), 0});
  }
  return ring;
}

// A comb: teeth along the bottom, so that most corners are reflex.
std::vector<Vec3> Comb(int teeth) {
  std::vector<Vec3> comb;
  for (int t = 0; t < teeth; ++t) {
    comb.push_back({t * 2.0, 0, 0});
    comb.push_back({t * 2.0 + 1, 0, 0});
    comb.push_back({t * 2.0 + 1, 5, 0});
    comb.push_back({t * 2.0 + 2, 5, 0});
  }
  comb.push_back({teeth * 2.0, 6, 0});
  comb.push_back({0, 6, 0});
  return comb;
}

// A square with many corners along straight sides.
std::vector<Vec3> DottedSquare(int perSide) {
  std::vector<Vec3> square;
  for (int side = 0; side < 4; ++side) {
    for (int k = 0; k < perSide; ++k) {
      const double t = static_cast<double>(k) / perSide;
      const double s[4][2] = {{t, 0}, {1, t}, {1 - t, 1}, {0, 1 - t}};
      square.push_back({s[side][0], s[side][1], 0});
    }
  }
  return square;
}

TEST(PolygonSplitTest, TrianglesCoverThePolygonExactlyWithItsWinding) {
  struct Case {
    std::string name;
    std::vector<Vec3> corners;
    bool checkInside;  // each triangle's centre lies in the polygon (costly)
  };
  const std::vector<Case> cases = {
      {"convex, 100000 corners", Ring(100000, 1.0), false},
      {"star, 100000 corners", Ring(100000, 0.7), false},
      {"star, clockwise", Ring(2000, 0.5, true), true},
      {"comb", Comb(300), true},
      {"corners along straight sides", DottedSquare(500), true},
  };
  for (const Case& c : cases) {
    const auto triangles = SplitIntoTriangles(c.corners);
    ASSERT_EQ(triangles.size(), c.corners.size() - 2) << c.name;
    const double polygon = PolygonArea2(c.corners);
    double sum = 0;
    std::vector<int> uses(c.corners.size(), 0);
    for (const auto& t : triangles) {
      const Vec3 &a = c.corners[t[0]], &b = c.corners[t[1]], &d = c.corners[t[2]];
      const double area = Area2(a, b, d);
      ASSERT_GE(area * polygon, 0) << c.name << ": a triangle turned over";
      sum += area;
      for (int k = 0; k < 3; ++k) ++uses[t[k]];
      if (c.checkInside && area != 0) {
        ASSERT_TRUE(Inside(c.corners, (a.x + b.x + d.x) / 3, (a.y + b.y + d.y) / 3))
            << c.name << ": a triangle leaves the polygon";
      }
    }
    EXPECT_NEAR(sum, polygon, 1e-9 * std::fabs(polygon)) << c.name;
    for (size_t i = 0; i < uses.size(); ++i) ASSERT_GT(uses[i], 0) << c.name << " corner " << i;
  }
}

// A convex polygon is not split into a fan of slivers around one corner,
// which the hidden-line passes handle badly: no corner is in more than a
// few dozen triangles.
TEST(PolygonSplitTest, AConvexPolygonIsNotSplitIntoAFan) {
  const std::vector<Vec3> ring = Ring(100000, 1.0);
  std::vector<int> uses(ring.size(), 0);
  for (const auto& t : SplitIntoTriangles(ring)) {
    for (int k = 0; k < 3; ++k) ++uses[t[k]];
  }
  int most = 0;
  for (int u : uses) most = std::max(most, u);
  EXPECT_LE(most, 40);
}

}  // namespace
