// Beam tree insertion: node creation, hiding, cutting at beam planes, the
// coplanar tie, and the deferred stack for deep trees.
#include "visibility/beam_tree.h"

#include <gtest/gtest.h>

#include <memory>

#include "bsp_fixture.h"
#include "capture/bsp_poly_obj.h"
#include "polygons/edge_plane.h"
#include "test_scene.h"

namespace {

class BeamTreeTest : public BspTest {
 protected:
  void SetUp() override {
    BspTest::SetUp();
    MakeStraightView(view);
  }
  void TearDown() override {
    DestroyBeamTree(tree);
    captured.clear();
    BspTest::TearDown();
  }

  // A captured polygon facing the eye with its edge planes; the tree gets
  // copies that point back at it.
  BspPolygon& Capture(const std::vector<Point>& corners, BSPPolyObj* source = nullptr,
                      int32_t index = -1) {
    captured.push_back(std::make_unique<BspPolygon>(PolygonOf(corners, source, index)));
    BspPolygon& polygon = *captured.back();
    if (!FacesViewer(polygon, view.eye)) Flip(polygon);
    for (int32_t i = 0; i < polygon.edges.Count(); ++i) {
      ComputeEdgePlane(view.eye, polygon.edges[i], polygon.centroid);
    }
    return polygon;
  }
  BspPolygon CopyOf(BspPolygon& polygon) {
    BspPolygon copy = polygon;
    copy.origin = &polygon;
    return copy;
  }
  void Insert(BspPolygon& polygon) {
    BspPolygon copy = CopyOf(polygon);
    InsertPolygon(tree, copy, view, &deferred, 0);
  }
  static std::vector<Point> Square(double half, double z) {
    return {P(-half, -half, z), P(half, -half, z), P(half, half, z), P(-half, half, z)};
  }

  ExportSettings settings;
  BspView view;
  BeamTree tree;
  Stack<DeferredInsert> deferred;
  std::vector<std::unique_ptr<BspPolygon>> captured;
};

TEST_F(BeamTreeTest, FirstPolygonBecomesTheRootWithItsEdgePlanesAsBeams) {
  BspPolygon& square = Capture(Square(2, 10));
  Stack<BspPolygon> output;
  BspPolygon copy = CopyOf(square);
  InsertPolygonWithOutput(tree, copy, view, &deferred, 0, &output);
  ASSERT_NE(tree.root, nullptr);
  ASSERT_EQ(tree.root->beams.Count(), 4);
  for (int32_t i = 0; i < 4; ++i) {
    ExpectPlaneNear(tree.root->beams[i].plane, square.edges[i].edgePlane, 0.0);
    EXPECT_EQ(tree.root->beams[i].subtree, nullptr);
  }
  EXPECT_EQ(tree.root->frontChild, nullptr);
  ASSERT_EQ(output.Count(), 1);  // reaching an empty tree, it is visible
  EXPECT_EQ(CornersOf(output[0]).size(), 4u);

  BeamTree plain;
  BspPolygon again = CopyOf(square);
  InsertPolygon(plain, again, view, &deferred, 0);
  EXPECT_NE(plain.root, nullptr);
  DestroyBeamTree(plain);
  EXPECT_EQ(plain.root, nullptr);
}

TEST_F(BeamTreeTest, PolygonBehindANodeInsideItsBeamDisappearsAndRecordsIt) {
  ExportSettings objectSettings;
  BSPPolyObj object(objectSettings, objectSettings.lines, MeshInput{});
  object.selection.Create(4);
  BspPolygon& front = Capture(Square(2, 10), &object, 0);
  BspPolygon& behind = Capture({P(-1, -1, 20), P(1, -1, 20), P(0, 1, 20)}, &object, 3);
  Insert(front);
  Insert(behind);

  const BeamNode& root = *tree.root;
  EXPECT_EQ(root.frontChild, nullptr);
  for (int32_t i = 0; i < root.beams.Count(); ++i) EXPECT_EQ(root.beams[i].subtree, nullptr);
  ASSERT_EQ(behind.occluders.Count(), 1);
  EXPECT_EQ(behind.occluders[0], &front);
  EXPECT_TRUE(front.occluders.Empty());
  EXPECT_TRUE(object.selection.IsSelected(3));
  EXPECT_FALSE(object.selection.IsSelected(0));
}

TEST_F(BeamTreeTest, PolygonAcrossOneBeamPlaneIsCutThere) {
  BspPolygon& front = Capture(Square(2, 10), nullptr, 0);
  // At z = 20 the beam reaches x = 4; this triangle runs out to x = 6.
  BspPolygon& across = Capture({P(0, -1, 20), P(6, -1, 20), P(6, 1, 20)}, nullptr, 1);
  Insert(front);
  Insert(across);

  const BeamNode& root = *tree.root;
  EXPECT_EQ(root.frontChild, nullptr);
  int32_t filled = 0;
  for (int32_t i = 0; i < root.beams.Count(); ++i) {
    const BeamNode* outside = root.beams[i].subtree;
    if (outside == nullptr) continue;
    ++filled;
    // The outside piece is the triangle's, closed along the beam plane,
    // which its cut edge takes as edge plane, turned away from it.
    EXPECT_EQ(outside->face.polygonIndex, 1);
    EXPECT_EQ(outside->face.origin, &across);
    ExpectPlaneNear(outside->face.plane, across.plane, 1e-12);
    int32_t cutBeams = 0;
    for (int32_t e = 0; e < outside->beams.Count(); ++e) {
      const Plane& plane = outside->beams[e].plane;
      const Plane turned = Negated(root.beams[i].plane);
      cutBeams +=
          plane.a == turned.a && plane.b == turned.b && plane.c == turned.c && plane.d == turned.d;
    }
    EXPECT_EQ(cutBeams, 1);
  }
  EXPECT_EQ(filled, 1);
  ASSERT_EQ(across.occluders.Count(), 1);  // the inside piece lies behind the square
  EXPECT_EQ(across.occluders[0], &front);
}

TEST_F(BeamTreeTest, InsertionsDeeperThanTheLimitContinueThroughTheDeferredStack) {
  // Squares ever nearer the eye, each inside the beam of the one before: each
  // new square travels the whole chain to its end.
  constexpr int32_t kChain = kMaxInsertDepth + 2;
  std::vector<BspPolygon*> chain;
  for (int32_t k = 0; k < kChain; ++k) {
    const double z = 100.0 - 0.5 * k;
    chain.push_back(&Capture(Square(0.4 * z * std::pow(0.99, k), z), nullptr, k));
  }
  for (const bool output : {false, true}) {
    DestroyBeamTree(tree);
    Stack<BspPolygon> visible;
    for (int32_t k = 0; k < kChain; ++k) {
      BspPolygon copy = CopyOf(*chain[k]);
      if (output) {
        InsertPolygonWithOutput(tree, copy, view, &deferred, 0, &visible);
      } else {
        InsertPolygon(tree, copy, view, &deferred, 0);
      }
      // Only the last square runs out of depth, at the 102nd node.
      ASSERT_EQ(deferred.Count(), k == kChain - 1 ? 1 : 0) << k;
    }
    DeferredInsert item = deferred.Pop();
    EXPECT_EQ(item.kind, output ? kDeferredOutput : kDeferredPlain);
    const BeamNode* node = tree.root;
    for (int32_t k = 0; k < kChain - 2; ++k) node = node->frontChild;
    EXPECT_EQ(item.node, node);
    EXPECT_EQ(item.node->face.polygonIndex, kChain - 2);
    EXPECT_EQ(visible.Count(), output ? kChain - 1 : 0);

    ResumeDeferredInsert(item, view, &deferred, &visible);
    EXPECT_TRUE(deferred.Empty());
    ASSERT_NE(item.node->frontChild, nullptr);
    EXPECT_EQ(item.node->frontChild->face.polygonIndex, kChain - 1);
    EXPECT_EQ(visible.Count(), output ? kChain : 0);
  }
}

// Two overlapping squares in one plane, from two objects or one.
TEST_F(BeamTreeTest, CoplanarOverlapIsRecordedBothWaysAndKeptByTheSmallerIndex) {
  struct Case {
    bool twoObjects;
    int32_t winner;  // which square keeps the overlap: 0 = left, 1 = right
  };
  for (const Case c : {Case{false, 0}, Case{true, 1}}) {
    TestScene scene;
    std::vector<HostVector> points = {{-2, -1, 10}, {-2, 1, 10}, {1, 1, 10}, {1, -1, 10},
                                      {-1, -1, 10}, {-1, 1, 10}, {2, 1, 10}, {2, -1, 10}};
    const PolygonCorners left{0, 1, 2, 3};
    const PolygonCorners right{4, 5, 6, 7};
    if (c.twoObjects) {
      // Object 0 comes first although its square has the larger polygon
      // index (after a degenerate polygon that capture skips).
      scene.Add(points, {PolygonCorners{4, 4, 5, 5}, right});
      scene.Add(points, {left});
    } else {
      scene.Add(points, {left, right});
    }
    scene.Capture();
    const BspPolygon* leftSquare =
        c.twoObjects ? scene.Object(1).polygons[0] : scene.Object(0).polygons[0];
    const BspPolygon* rightSquare = scene.Object(0).polygons[c.twoObjects ? 0 : 1];

    ASSERT_TRUE(
        RunOcclusionPass(scene.View(), scene.tree, scene.clipped, scene.job, ProgressBand{0, 25}));
    ASSERT_EQ(leftSquare->occluders.Count(), 1);
    EXPECT_EQ(leftSquare->occluders[0], rightSquare);
    ASSERT_EQ(rightSquare->occluders.Count(), 1);
    EXPECT_EQ(rightSquare->occluders[0], leftSquare);

    ASSERT_TRUE(RunVisibilityPass(scene.View(), scene.tree, scene.Objects(), scene.job,
                                  ProgressBand{25, 50}));
    double area[2] = {0, 0};
    for (int32_t o = 0; o < scene.Objects().Count(); ++o) {
      const Stack<BspPolygon>& fragments = scene.Objects()[o]->fragments;
      for (int32_t i = 0; i < fragments.Count(); ++i) {
        const BspPolygon& f = fragments[i];
        const bool isLeft = c.twoObjects ? o == 1 : f.polygonIndex == 0;
        Vector3d twice;
        for (int32_t e = 0; e < f.edges.Count(); ++e) {
          twice = twice + Cross(AsVector(f.edges[e].start), AsVector(f.edges[e].end));
        }
        area[isLeft ? 0 : 1] += Length(twice) / 2.0;
      }
    }
    // Each square is 3 x 2; they overlap in 2 x 2.
    EXPECT_NEAR(area[c.winner], 6.0, 1e-9);
    EXPECT_NEAR(area[1 - c.winner], 2.0, 1e-9);
  }
}

}  // namespace
