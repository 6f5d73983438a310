// A large test scene for the filled style: a long bumpy closed body, bent
// into a C whose arms pass behind its middle, so that it hides parts of
// itself; cut into eight objects of their own colour by the octant (around
// the body's centre) in which each triangle lies. Hundreds of thousands of
// small triangles make the regions' outlines of very many short pieces that
// meet at nearly the same points.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "export_support.h"

namespace e2e {

// Adds the body of at least `triangles` triangles, about 5 units across at
// a depth of 5, in the view of the camera of AddCamera.
inline void AddFoldedBody(HostDocument& doc, int triangles) {
  const double pi = std::acos(-1.0);
  // Rings along the body's length, each of `around` points; the ends are
  // closed by a pole each.
  const int around = std::max(8, static_cast<int>(std::sqrt(triangles / 5.0)));
  const int rings = triangles / (2 * around) + 2;

  const auto bodyPoint = [&](double along, double turn) {
    // A tube 7 units long, thick in the middle, closed at both ends.
    const double v = pi * along;  // 0 .. pi from end to end
    const double bumps = 1.0 + 0.12 * std::sin(9 * turn) * std::sin(23 * v) +
                         0.05 * std::sin(31 * turn + 5 * v);
    const double radius = 0.75 * std::sin(v) * bumps;
    const double x = -3.5 * std::cos(v);
    const double y = radius * std::cos(turn);
    const double z = radius * std::sin(turn);
    // Wound round the y axis by more than a full turn, rising as it
    // goes, so that the arms pass over each other; tilted towards the camera,
    // which then sees along the winding's axis.
    const double wind = x / 1.0;
    const double r = 1.0 - z;
    const double bx = r * std::sin(wind);
    const double by = y + 0.26 * wind;
    const double bz = 1.0 - r * std::cos(wind);
    const double tilt = 1.15;
    const double tx = bx;
    const double ty = by * std::cos(tilt) - bz * std::sin(tilt);
    const double tz = by * std::sin(tilt) + bz * std::cos(tilt);
    return host::Vec3{tx, ty + 0.6, tz + 5.0};
  };

  // Every point moved by up to a third of the grid spacing, as a scanner's
  // would lie: the triangles are of uneven size and shape.
  const auto jitter = [](int n, int salt) {
    const double s = std::sin(n * 12.9898 + salt * 78.233) * 43758.5453;
    return (s - std::floor(s) - 0.5) * 0.66;
  };
  std::vector<host::Vec3> points;
  points.push_back(bodyPoint(0.0, 0.0));
  for (int i = 1; i < rings; ++i) {
    for (int k = 0; k < around; ++k) {
      const int n = i * around + k;
      points.push_back(bodyPoint((i + jitter(n, 1)) / rings, 2 * pi * (k + jitter(n, 2)) / around));
    }
  }
  points.push_back(bodyPoint(1.0, 0.0));
  const int last = static_cast<int>(points.size()) - 1;
  const auto at = [&](int ring, int k) { return 1 + (ring - 1) * around + (k % around); };

  std::vector<std::array<int, 3>> triangleCorners;
  for (int k = 0; k < around; ++k) {
    triangleCorners.push_back({0, at(1, k + 1), at(1, k)});
    triangleCorners.push_back({last, at(rings - 1, k), at(rings - 1, k + 1)});
  }
  for (int i = 1; i + 1 < rings; ++i) {
    for (int k = 0; k < around; ++k) {
      triangleCorners.push_back({at(i, k), at(i, k + 1), at(i + 1, k + 1)});
      triangleCorners.push_back({at(i, k), at(i + 1, k + 1), at(i + 1, k)});
    }
  }

  host::Vec3 centre{0, 0, 0};
  for (const host::Vec3& p : points) centre = centre + p * (1.0 / points.size());
  const HostVector colours[8] = {{0.9f, 0.1f, 0.1f}, {0.1f, 0.7f, 0.2f}, {0.1f, 0.2f, 0.9f},
                                 {1.0f, 0.85f, 0.0f}, {0.0f, 0.7f, 0.9f}, {0.8f, 0.3f, 0.8f},
                                 {0.5f, 0.5f, 0.1f}, {0.9f, 0.5f, 0.2f}};
  // Each octant's triangles as an object of its own, sharing the points.
  std::vector<HostVector> hostPoints;
  for (const host::Vec3& p : points)
    hostPoints.push_back({static_cast<float>(p.x), static_cast<float>(p.y),
                          static_cast<float>(p.z)});
  std::vector<HostPolygon> octants[8];
  for (const std::array<int, 3>& t : triangleCorners) {
    const host::Vec3 mid = (points[t[0]] + points[t[1]] + points[t[2]]) * (1.0 / 3.0);
    const int octant = (mid.x > centre.x ? 1 : 0) + (mid.y > centre.y ? 2 : 0) +
                       (mid.z > centre.z ? 4 : 0);
    octants[octant].push_back(Triangle(t[0], t[1], t[2]));
  }
  for (int o = 0; o < 8; ++o) {
    if (octants[o].empty()) continue;
    AddMesh(doc, "Octant " + std::to_string(o), hostPoints, std::move(octants[o]), colours[o]);
  }
}

}  // namespace e2e
