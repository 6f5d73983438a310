#include "host/import/polygon_split.h"

#include <cmath>

namespace host::import {
namespace {

struct Point2 {
  double u = 0, v = 0;
};

// Twice the signed area of triangle a, b, c; positive when counter-clockwise.
double Turn(const Point2& a, const Point2& b, const Point2& c) {
  return (b.u - a.u) * (c.v - a.v) - (b.v - a.v) * (c.u - a.u);
}

bool InsideTriangle(const Point2& p, const Point2& a, const Point2& b, const Point2& c) {
  return Turn(a, b, p) >= 0 && Turn(b, c, p) >= 0 && Turn(c, a, p) >= 0;
}

// The corners projected onto the coordinate plane most parallel to the
// polygon, oriented so that the polygon runs counter-clockwise.
std::vector<Point2> Flatten(const std::vector<Vec3>& corners) {
  Vec3 normal;  // Newell's normal
  for (size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
    const Vec3& p = corners[j];
    const Vec3& q = corners[i];
    normal.x += (p.y - q.y) * (p.z + q.z);
    normal.y += (p.z - q.z) * (p.x + q.x);
    normal.z += (p.x - q.x) * (p.y + q.y);
  }
  const double ax = std::fabs(normal.x), ay = std::fabs(normal.y), az = std::fabs(normal.z);
  std::vector<Point2> flat;
  flat.reserve(corners.size());
  for (const Vec3& c : corners) {
    if (az >= ax && az >= ay) {
      flat.push_back({c.x, normal.z >= 0 ? c.y : -c.y});
    } else if (ax >= ay) {
      flat.push_back({c.y, normal.x >= 0 ? c.z : -c.z});
    } else {
      flat.push_back({c.z, normal.y >= 0 ? c.x : -c.x});
    }
  }
  return flat;
}

}  // namespace

std::vector<std::array<int32_t, 3>> SplitIntoTriangles(const std::vector<Vec3>& corners) {
  std::vector<std::array<int32_t, 3>> triangles;
  if (corners.size() < 3) return triangles;
  const std::vector<Point2> flat = Flatten(corners);
  std::vector<int32_t> left;
  for (size_t i = 0; i < corners.size(); ++i) left.push_back(static_cast<int32_t>(i));

  while (left.size() > 3) {
    bool clipped = false;
    for (size_t i = 0; i < left.size() && !clipped; ++i) {
      const int32_t prev = left[(i + left.size() - 1) % left.size()];
      const int32_t ear = left[i];
      const int32_t next = left[(i + 1) % left.size()];
      if (Turn(flat[prev], flat[ear], flat[next]) <= 0) continue;  // reflex or flat
      bool empty = true;
      for (const int32_t other : left) {
        if (other == prev || other == ear || other == next) continue;
        if (InsideTriangle(flat[other], flat[prev], flat[ear], flat[next])) {
          empty = false;
          break;
        }
      }
      if (!empty) continue;
      triangles.push_back({prev, ear, next});
      left.erase(left.begin() + static_cast<std::ptrdiff_t>(i));
      clipped = true;
    }
    if (!clipped) break;  // self-intersecting or degenerate: fan out the rest
  }
  for (size_t i = 1; i + 1 < left.size(); ++i) triangles.push_back({left[0], left[i], left[i + 1]});
  return triangles;
}

}  // namespace host::import
