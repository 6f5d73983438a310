// Shared test fixture and builders for the renderer's tests: a bound host
// with a clear memory-error flag, a camera at the origin looking along +z,
// and polygons made from corner lists.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "polygons/bsp_polygon.h"
#include "polygons/bsp_view.h"
#include "core/stack.h"
#include "host_fixture.h"
#include "core/export_settings.h"

using BspTest = ModuleTest;

// Camera at the origin looking along +z, x right, y up. With lens = film the
// frustum's sides are the planes |x| = z / 2 and |y| = z / 2 · height / width.
inline CameraInput StraightCamera() {
  CameraInput camera;
  camera.lensLength = 36.0;
  camera.filmWidth = 36.0;
  return camera;
}

inline void MakeStraightView(BspView& view, int32_t width = 100,
                             int32_t height = 100) {
  MakeView(view, width, height);
  SetCamera(view, StraightCamera());
}

inline Point P(double x, double y, double z) {
  return Point{x, y, z, 1.0};
}

// A polygon with these corners (head to tail), every edge flagged
// EdgeOriginal, with centroid, radius, bounds and plane computed.
inline BspPolygon PolygonOf(const std::vector<Point>& corners, BSPPolyObj* source = nullptr,
                            int32_t polygonIndex = -1) {
  std::vector<BspEdge> edges(corners.size());
  for (size_t i = 0; i < corners.size(); ++i) {
    edges[i].start = corners[i];
    edges[i].end = corners[(i + 1) % corners.size()];
    edges[i].flags = EdgeOriginal;
  }
  BspPolygon polygon;
  MakePolygon(polygon, edges.data(), static_cast<int32_t>(edges.size()), source, polygonIndex,
              PageColour{10, 20, 30, 255});
  return polygon;
}

inline std::vector<Point> CornersOf(const BspPolygon& polygon) {
  std::vector<Point> corners;
  for (int32_t i = 0; i < polygon.edges.Count(); ++i) corners.push_back(polygon.edges[i].start);
  return corners;
}

// The host corners a, b, c, d a polygon record keeps, for comparisons.
inline std::vector<int32_t> HostCornersOf(const BspPolygon& polygon) {
  const PolygonCorners& c = polygon.corners;
  return {c.a, c.b, c.c, c.d};
}

inline bool ClosedHeadToTail(const BspPolygon& polygon) {
  const int32_t n = polygon.edges.Count();
  for (int32_t i = 0; i < n; ++i) {
    if (!SamePosition(polygon.edges[i].end, polygon.edges[(i + 1) % n].start)) return false;
  }
  return n >= 3;
}

inline void ExpectPlaneNear(const Plane& actual, const Plane& expected, double tolerance = 1e-9) {
  EXPECT_NEAR(actual.a, expected.a, tolerance);
  EXPECT_NEAR(actual.b, expected.b, tolerance);
  EXPECT_NEAR(actual.c, expected.c, tolerance);
  EXPECT_NEAR(actual.d, expected.d, tolerance);
}
