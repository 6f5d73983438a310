// Splitting polygons by planes and marking edges on planes.
#include "polygons/split.h"

#include <gtest/gtest.h>

#include "bsp_fixture.h"
#include "host/runtime.h"

namespace {

using SplitTest = BspTest;

const Point kEye = P(0, 0, 0);

// A 2 x 2 square in z = 5 facing the eye at the origin, each edge with its
// own flags and edge plane so that the pieces can be traced back.
BspPolygon MarkedSquare() {
  BspPolygon square = PolygonOf({P(0, 0, 5), P(0, 2, 5), P(2, 2, 5), P(2, 0, 5)}, nullptr, 7);
  const uint32_t flags[4] = {0x11, 0x13, 0x15, 0x17};
  for (int32_t i = 0; i < 4; ++i) {
    square.edges[i].flags = flags[i];
    square.edges[i].edgePlane = Plane{0, 0, 0, double(i + 1)};
  }
  return square;
}

int32_t CountEdgesWithFlags(const BspPolygon& polygon, uint32_t flags) {
  int32_t count = 0;
  for (int32_t i = 0; i < polygon.edges.Count(); ++i) count += polygon.edges[i].flags == flags;
  return count;
}

const BspEdge* ClosingEdge(const BspPolygon& polygon) {
  for (int32_t i = 0; i < polygon.edges.Count(); ++i) {
    if (polygon.edges[i].flags == EdgeInnerBoundary) return &polygon.edges[i];
  }
  return nullptr;
}

TEST_F(SplitTest, SquareThroughTwoEdgeMidpointsGivesTwoClosedRectangles) {
  const BspPolygon square = MarkedSquare();
  const Plane cut{1, 0, 0, -1};  // x = 1
  BspPolygon back;
  BspPolygon front;
  ASSERT_EQ(Split(square, cut, back, front, kEye, kCutPlaneIsCutPlane, kSideEpsilon),
            kSideSpanning);

  for (const BspPolygon* piece : {&back, &front}) {
    EXPECT_EQ(piece->edges.Count(), 4);
    EXPECT_TRUE(ClosedHeadToTail(*piece));
    EXPECT_EQ(CountEdgesWithFlags(*piece, EdgeInnerBoundary), 1);
    EXPECT_NEAR(piece->radius, std::sqrt(1.25), 1e-12);  // half the diagonal of 1 x 2
    ExpectPlaneNear(piece->plane, square.plane, 0.0);
    EXPECT_EQ(piece->polygonIndex, 7);
    EXPECT_EQ(piece->colour.g, 20);
  }
  EXPECT_DOUBLE_EQ(back.centroid.x, 0.5);
  EXPECT_DOUBLE_EQ(front.centroid.x, 1.5);
  // The cut plane is the closing edge's plane, turned so that each piece
  // lies behind it as behind every edge plane.
  ExpectPlaneNear(ClosingEdge(back)->edgePlane, cut, 0.0);
  ExpectPlaneNear(ClosingEdge(front)->edgePlane, Negated(cut), 0.0);

  // The pieces of the two cut edges keep their flags and planes; the whole
  // edges go to their sides.
  EXPECT_EQ(CountEdgesWithFlags(back, 0x11), 1);  // x = 0, whole
  EXPECT_EQ(CountEdgesWithFlags(back, 0x13), 1);  // y = 2, back half
  EXPECT_EQ(CountEdgesWithFlags(back, 0x17), 1);  // y = 0, back half
  EXPECT_EQ(CountEdgesWithFlags(front, 0x13), 1);
  EXPECT_EQ(CountEdgesWithFlags(front, 0x15), 1);  // x = 2, whole
  EXPECT_EQ(CountEdgesWithFlags(front, 0x17), 1);
  for (int32_t i = 0; i < front.edges.Count(); ++i) {
    if (front.edges[i].flags == 0x15) ExpectPlaneNear(front.edges[i].edgePlane, Plane{0, 0, 0, 3});
  }
}

TEST_F(SplitTest, ClosingEdgeInModeZeroLiesInThePlaneThroughTheEye) {
  const BspPolygon square = MarkedSquare();
  const Plane cut{1, 0, -0.1, -0.6};  // slanted; meets the square along x = 1.1
  BspPolygon back;
  BspPolygon front;
  ASSERT_EQ(Split(square, cut, back, front, kEye, kCutPlaneThroughEye, kSideEpsilon),
            kSideSpanning);
  for (const BspPolygon* piece : {&back, &front}) {
    const BspEdge* closing = ClosingEdge(*piece);
    ASSERT_NE(closing, nullptr);
    EXPECT_NEAR(Distance(closing->edgePlane, kEye), 0.0, 1e-12);
    EXPECT_NEAR(Distance(closing->edgePlane, closing->start), 0.0, 1e-12);
    EXPECT_NEAR(Distance(closing->edgePlane, closing->end), 0.0, 1e-12);
    EXPECT_LT(Distance(closing->edgePlane, piece->centroid), 0.0);
  }
}

TEST_F(SplitTest, OneSidedPolygonsAreCopiedAndCoplanarOnesFillNothing) {
  const BspPolygon square = MarkedSquare();
  struct Case {
    Plane plane;
    PolygonSide expected;
  };
  const Case cases[] = {
      {Plane{1, 0, 0, -2}, kSideBack},  // touches x = 2 from behind
      {Plane{1, 0, 0, 0.5}, kSideFront},
      {Plane{0, 0, 1, -5.00005}, kSideCoplanar},
  };
  for (const Case& c : cases) {
    BspPolygon back;
    BspPolygon front;
    EXPECT_EQ(Split(square, c.plane, back, front, kEye, kCutPlaneIsCutPlane, kSideEpsilon),
              c.expected);
    EXPECT_EQ(back.edges.Count(), c.expected == kSideBack ? 4 : 0);
    EXPECT_EQ(front.edges.Count(), c.expected == kSideFront ? 4 : 0);
  }
}

TEST_F(SplitTest, ABoundaryThatDoesNotCloseIsReportedAndStillSplit) {
  BspPolygon broken = MarkedSquare();
  broken.edges[2].start = P(2, 1.5, 5);  // leaves a gap after edge 1
  host::ConsoleCapture console;
  BspPolygon back;
  BspPolygon front;
  EXPECT_EQ(Split(broken, Plane{1, 0, 0, -1}, back, front, kEye, kCutPlaneIsCutPlane, kSideEpsilon),
            kSideSpanning);
  EXPECT_TRUE(console.Contains("Split error"));
  EXPECT_GE(back.edges.Count(), 3);
  EXPECT_GE(front.edges.Count(), 3);
}

TEST_F(SplitTest, MarkingGivesEdgesOnThePlaneThatPlaneOrItsNegation) {
  const Plane plane{1, 0, 0, 0};  // x = 0: edge 0 of the square lies on it
  for (const int32_t sign : {-1, 1}) {
    BspPolygon square = MarkedSquare();
    MarkEdgesOnPlane(square, plane, sign, kSideEpsilon);
    ExpectPlaneNear(square.edges[0].edgePlane, sign < 0 ? plane : Negated(plane), 0.0);
    for (int32_t i = 1; i < 4; ++i) {
      ExpectPlaneNear(square.edges[i].edgePlane, Plane{0, 0, 0, double(i + 1)}, 0.0);
    }
  }
}

}  // namespace
