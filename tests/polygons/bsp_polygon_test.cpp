// Polygon records: shape, side test, flip and copy rules.
#include "polygons/bsp_polygon.h"

#include <gtest/gtest.h>

#include "bsp_fixture.h"

namespace {

using PolygonTest = BspTest;

TEST_F(PolygonTest, MakingComputesCentroidRadiusAndPlane) {
  const BspPolygon square = PolygonOf({P(0, 0, 4), P(2, 0, 4), P(2, 2, 4), P(0, 2, 4)});
  EXPECT_DOUBLE_EQ(square.centroid.x, 1.0);
  EXPECT_DOUBLE_EQ(square.centroid.y, 1.0);
  EXPECT_DOUBLE_EQ(square.centroid.z, 4.0);
  EXPECT_DOUBLE_EQ(square.radius, std::sqrt(2.0));
  ExpectPlaneNear(square.plane, Plane{0, 0, 1, -4});
  EXPECT_EQ(square.colour.r, 10);
}

TEST_F(PolygonTest, ClassifiesBySphereFirstThenByCornersWithinEpsilon) {
  // A unit square in z = 0; the plane z = h.
  const BspPolygon square = PolygonOf({P(0, 0, 0), P(1, 0, 0), P(1, 1, 0), P(0, 1, 0)});
  const BspPolygon tiny = PolygonOf({P(0, 0, 0), P(1e-6, 0, 0), P(0, 1e-6, 0)});
  struct Case {
    const BspPolygon* polygon;
    Plane plane;
    PolygonSide expected;
  };
  const Case cases[] = {
      {&square, Plane{0, 0, 1, 5}, kSideFront},           // sphere wholly in front
      {&square, Plane{0, 0, 1, -5}, kSideBack},           // sphere wholly behind
      {&square, Plane{0, 0, 1, 0.00005}, kSideCoplanar},  // corners within epsilon
      {&square, Plane{1, 0, 0, -0.5}, kSideSpanning},
      {&square, Plane{1, 0, 0, -1}, kSideBack},  // touching along an edge
      {&square, Plane{1, 0, 0, 0}, kSideFront},
      // A tiny polygon near the plane is decided by its sphere alone.
      {&tiny, Plane{0, 0, 1, 0.00005}, kSideFront},
      // A degenerate plane classifies by d only.
      {&square, Plane{0, 0, 0, 2}, kSideFront},
      {&square, Plane{0, 0, 0, 0}, kSideCoplanar},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Classify(*c.polygon, c.plane, kSideEpsilon), c.expected)
        << c.plane.a << " " << c.plane.b << " " << c.plane.c << " " << c.plane.d;
  }
}

TEST_F(PolygonTest, FlipReversesTheBoundaryAndTwiceRestoresIt) {
  for (const bool triangle : {true, false}) {
    BspPolygon polygon = triangle ? PolygonOf({P(0, 0, 3), P(1, 0, 3), P(0, 1, 3)})
                                  : PolygonOf({P(0, 0, 3), P(1, 0, 3), P(1, 1, 3), P(0, 1, 3)});
    for (int32_t i = 0; i < polygon.edges.Count(); ++i) {
      polygon.edges[i].edgePlane = Plane{double(i), 1, 2, 3};
    }
    polygon.corners = PolygonCorners{5, 6, 7, triangle ? 7 : 8};
    const BspPolygon original = polygon;

    Flip(polygon);
    EXPECT_TRUE(polygon.flipped);
    ExpectPlaneNear(polygon.plane, Negated(original.plane), 0.0);
    const int32_t n = polygon.edges.Count();
    EXPECT_TRUE(SamePosition(polygon.edges[0].start, original.edges[0].start));
    for (int32_t i = 0; i < n; ++i) {
      const BspEdge& was = original.edges[n - 1 - i];
      EXPECT_TRUE(SamePosition(polygon.edges[i].start, was.end));
      EXPECT_TRUE(SamePosition(polygon.edges[i].end, was.start));
      ExpectPlaneNear(polygon.edges[i].edgePlane, Negated(was.edgePlane), 0.0);
    }
    if (triangle) {
      EXPECT_EQ(HostCornersOf(polygon), (std::vector<int32_t>{5, 7, 6, 6}));
    } else {
      EXPECT_EQ(HostCornersOf(polygon), (std::vector<int32_t>{5, 8, 7, 6}));
    }
    EXPECT_TRUE(ClosedHeadToTail(polygon));

    Flip(polygon);
    EXPECT_FALSE(polygon.flipped);
    for (int32_t i = 0; i < n; ++i) {
      EXPECT_TRUE(SamePosition(polygon.edges[i].start, original.edges[i].start));
      ExpectPlaneNear(polygon.edges[i].edgePlane, original.edges[i].edgePlane, 0.0);
    }
    EXPECT_EQ(HostCornersOf(polygon), HostCornersOf(original));
  }
}

TEST_F(PolygonTest, CopyingLeavesTheTargetsOccludersAlone) {
  BspPolygon a = PolygonOf({P(0, 0, 3), P(1, 0, 3), P(0, 1, 3)}, nullptr, 4);
  BspPolygon b = PolygonOf({P(0, 0, 9), P(1, 0, 9), P(1, 1, 9), P(0, 1, 9)});
  a.occluders.Push(&b);
  const BspPolygon fresh(a);
  EXPECT_TRUE(fresh.occluders.Empty());
  EXPECT_EQ(fresh.polygonIndex, 4);
  EXPECT_EQ(fresh.edges.Count(), 3);

  BspPolygon target = b;
  target.occluders.Push(&a);
  target.occluders.Push(&b);
  target = a;
  EXPECT_EQ(target.occluders.Count(), 2);
  EXPECT_EQ(target.edges.Count(), 3);
  EXPECT_EQ(target.polygonIndex, 4);
}

}  // namespace
