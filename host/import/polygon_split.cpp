// Ear clipping on a ring of corners linked both ways, in time close to
// linear for the polygons real files hold:
// - only reflex corners can lie inside an ear, so only they are tested, and
//   a grid over them finds those near the ear;
// - after an ear is cut, the walk goes on past the ear's next corner, so
//   that each round around the ring cuts every other corner. The triangles
//   of a round are alike in shape, never a fan of slivers from one corner.
#include "host/import/polygon_split.h"

#include <algorithm>
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

// The polygon's reflex corners in a uniform grid of about as many cells
// as there are of them. A corner that stops being reflex stays in its cell
// and is skipped.
class ReflexGrid {
 public:
  ReflexGrid(const std::vector<Point2>& flat, const std::vector<char>& reflex) {
    size_t count = 0;
    minU_ = maxU_ = flat[0].u;
    minV_ = maxV_ = flat[0].v;
    for (size_t i = 0; i < flat.size(); ++i) {
      minU_ = std::min(minU_, flat[i].u);
      maxU_ = std::max(maxU_, flat[i].u);
      minV_ = std::min(minV_, flat[i].v);
      maxV_ = std::max(maxV_, flat[i].v);
      count += reflex[i] ? 1 : 0;
    }
    side_ = std::max<int32_t>(1, static_cast<int32_t>(std::sqrt(static_cast<double>(count))));
    cells_.resize(static_cast<size_t>(side_) * side_);
    for (size_t i = 0; i < flat.size(); ++i) {
      if (reflex[i])
        cells_[Cell(Column(flat[i].u), Row(flat[i].v))].push_back(static_cast<int32_t>(i));
    }
  }

  // Calls `visit` with every corner filed in the cells that the box from
  // (u0, v0) to (u1, v1) touches, until it returns false.
  template <typename Visit>
  bool Each(double u0, double v0, double u1, double v1, Visit visit) const {
    const int32_t c1 = Column(u1), r1 = Row(v1);
    for (int32_t r = Row(v0); r <= r1; ++r) {
      for (int32_t c = Column(u0); c <= c1; ++c) {
        for (const int32_t corner : cells_[Cell(c, r)]) {
          if (!visit(corner)) return false;
        }
      }
    }
    return true;
  }

 private:
  int32_t Index(double x, double lo, double hi) const {
    if (!(hi > lo)) return 0;
    const double at = (x - lo) / (hi - lo) * side_;
    return std::clamp(static_cast<int32_t>(at), 0, side_ - 1);
  }
  int32_t Column(double u) const { return Index(u, minU_, maxU_); }
  int32_t Row(double v) const { return Index(v, minV_, maxV_); }
  size_t Cell(int32_t column, int32_t row) const {
    return static_cast<size_t>(row) * side_ + column;
  }

  double minU_, maxU_, minV_, maxV_;
  int32_t side_ = 1;
  std::vector<std::vector<int32_t>> cells_;
};

}  // namespace

std::vector<std::array<int32_t, 3>> SplitIntoTriangles(const std::vector<Vec3>& corners) {
  std::vector<std::array<int32_t, 3>> triangles;
  if (corners.size() < 3) return triangles;
  const std::vector<Point2> flat = Flatten(corners);
  const auto count = static_cast<int32_t>(corners.size());
  std::vector<int32_t> prev(count), next(count);
  for (int32_t i = 0; i < count; ++i) {
    prev[i] = (i + count - 1) % count;
    next[i] = (i + 1) % count;
  }
  const auto isReflex = [&](int32_t i) { return Turn(flat[prev[i]], flat[i], flat[next[i]]) < 0; };
  std::vector<char> reflex(count);
  int32_t reflexLeft = 0;
  for (int32_t i = 0; i < count; ++i) {
    reflex[i] = isReflex(i) ? 1 : 0;
    reflexLeft += reflex[i];
  }
  const ReflexGrid grid(flat, reflex);

  // An ear: a convex corner whose triangle holds no reflex corner.
  const auto isEar = [&](int32_t ear) {
    const Point2& a = flat[prev[ear]];
    const Point2& b = flat[ear];
    const Point2& c = flat[next[ear]];
    if (Turn(a, b, c) <= 0) return false;  // reflex or flat
    if (reflexLeft == 0) return true;
    return grid.Each(std::min({a.u, b.u, c.u}), std::min({a.v, b.v, c.v}),
                     std::max({a.u, b.u, c.u}), std::max({a.v, b.v, c.v}), [&](int32_t other) {
                       if (!reflex[other] || other == prev[ear] || other == next[ear]) return true;
                       return !InsideTriangle(flat[other], a, b, c);
                     });
  };

  int32_t left = count;
  int32_t corner = 0;
  int32_t sinceCut = 0;  // corners looked at since the last ear was cut
  while (left > 3 && sinceCut < left) {
    if (!isEar(corner)) {
      corner = next[corner];
      ++sinceCut;
      continue;
    }
    const int32_t before = prev[corner], after = next[corner];
    triangles.push_back({before, corner, after});
    next[before] = after;
    prev[after] = before;
    reflex[corner] = 0;
    --left;
    sinceCut = 0;
    // Cutting an ear can only turn its neighbours from reflex to convex.
    for (const int32_t neighbour : {before, after}) {
      if (reflex[neighbour] && !isReflex(neighbour)) {
        reflex[neighbour] = 0;
        --reflexLeft;
      }
    }
    corner = next[after];
  }
  // Self-intersecting or degenerate: fan out the rest.
  const int32_t first = corner;
  for (int32_t c = next[first]; next[c] != first; c = next[c]) {
    triangles.push_back({first, c, next[c]});
  }
  return triangles;
}

}  // namespace host::import
