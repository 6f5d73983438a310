// Edge planes through the eye and their sharing between neighbours.
#include "polygons/edge_plane.h"

#include "capture/object_edge_planes.h"

#include <gtest/gtest.h>

#include <random>

#include "capture/bsp_poly_obj.h"
#include "bsp_fixture.h"

namespace {

using EdgePlaneTest = BspTest;

TEST_F(EdgePlaneTest, PlanesPassThroughEyeAndEdgeWithTheInteriorBehind) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> coordinate(-5.0, 5.0);
  for (int trial = 0; trial < 50; ++trial) {
    const Point eye = P(coordinate(random), coordinate(random), coordinate(random) - 20.0);
    BspPolygon triangle =
        PolygonOf({P(coordinate(random), coordinate(random), coordinate(random)),
                   P(coordinate(random), coordinate(random), coordinate(random)),
                   P(coordinate(random), coordinate(random), coordinate(random))});
    if (!FacesViewer(triangle, eye)) Flip(triangle);
    for (int32_t i = 0; i < 3; ++i) {
      BspEdge& edge = triangle.edges[i];
      ASSERT_TRUE(ComputeEdgePlane(eye, edge, triangle.centroid));
      EXPECT_NEAR(Distance(edge.edgePlane, eye), 0.0, 1e-9);
      EXPECT_NEAR(Distance(edge.edgePlane, edge.start), 0.0, 1e-9);
      EXPECT_NEAR(Distance(edge.edgePlane, edge.end), 0.0, 1e-9);
      EXPECT_LT(Distance(edge.edgePlane, triangle.centroid), 0.0);
    }
  }
}

TEST_F(EdgePlaneTest, EdgeAlongTheLineOfSightTakesThePlaneFacingTheReference) {
  BspEdge edge;
  edge.start = P(0, 0, 5);
  edge.end = P(0, 0, 10);
  ASSERT_TRUE(ComputeEdgePlane(P(0, 0, 0), edge, P(3, 0, 7)));
  ExpectPlaneNear(edge.edgePlane, Plane{1, 0, 0, 0});

  edge.edgePlane = Plane{0, 1, 0, 4};
  EXPECT_FALSE(ComputeEdgePlane(P(0, 0, 0), edge, P(0, 0, 7)));
  ExpectPlaneNear(edge.edgePlane, Plane{0, 1, 0, 4}, 0.0);
}

TEST_F(EdgePlaneTest, NeighboursShareOnePlaneAlongTheirCommonEdge) {
  ExportSettings settings;
  BSPPolyObj object(settings, settings.lines, MeshInput{});
  // Two triangles over the quad 0-1-2-3 at z = 10, sharing corners 0 and 2;
  // the second one is stored facing away and is turned first.
  const std::vector<Point> points = {P(-1, -1, 10), P(1, -1.2, 10.5), P(1.1, 1, 10), P(-1, 1, 9.5)};
  BspPolygon first = PolygonOf({points[0], points[2], points[1]}, &object, 0);
  BspPolygon second = PolygonOf({points[0], points[3], points[2]}, &object, 1);
  first.corners = PolygonCorners{0, 2, 1, 1};
  second.corners = PolygonCorners{0, 3, 2, 2};
  const Point eye = P(0, 0, 0);
  if (!FacesViewer(first, eye)) Flip(first);
  if (FacesViewer(second, eye)) Flip(second);
  object.polygons.Push(HostNew<BspPolygon>(first));
  object.polygons.Push(HostNew<BspPolygon>(second));

  ComputeObjectEdgePlanes(object, eye);

  const BspPolygon& a = *object.polygons[0];
  const BspPolygon& b = *object.polygons[1];
  EXPECT_TRUE(FacesViewer(b, eye));
  const BspEdge* sharedA = nullptr;
  const BspEdge* sharedB = nullptr;
  for (int32_t i = 0; i < 3; ++i) {
    for (int32_t j = 0; j < 3; ++j) {
      if (SamePosition(a.edges[i].start, b.edges[j].end) &&
          SamePosition(a.edges[i].end, b.edges[j].start)) {
        sharedA = &a.edges[i];
        sharedB = &b.edges[j];
      }
    }
  }
  ASSERT_NE(sharedA, nullptr);
  ExpectPlaneNear(sharedB->edgePlane, Negated(sharedA->edgePlane), 0.0);
  for (const BspPolygon* polygon : {&a, &b}) {
    for (int32_t i = 0; i < 3; ++i) {
      EXPECT_NEAR(Distance(polygon->edges[i].edgePlane, eye), 0.0, 1e-9);
      EXPECT_LT(Distance(polygon->edges[i].edgePlane, polygon->centroid), 0.0);
    }
  }
}

}  // namespace
