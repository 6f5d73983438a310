// Building the object net from hand-made fragments: nodes, neighbours,
// colours, pieces put onto the edges they lie on, polygons that cannot be
// drawn, and the two memory reports.
#include "lines/obj_netz.h"

#include <cmath>
#include <vector>

#include "capture/capture.h"
#include "host/runtime.h"
#include "line_scene.h"
#include "lines/edge_emitters.h"
#include "lines/visible_pieces.h"

namespace {

constexpr uint32_t kDrawn = EdgeOriginal | EdgeDrawn;

class ObjNetzTest : public LineStageTest {
 protected:
  // A(0,0) B(4,0) C(0,4) D(4,4) at depth 10. Polygon 0 is A B C, polygon 1
  // B D C (sharing B-C), polygon 2 has equal first indices, polygon 3 a
  // corner that is no point.
  void SetUp() override {
    LineStageTest::SetUp();
    Load({{0, 0, 10}, {4, 0, 10}, {0, 4, 10}, {4, 4, 10}},
         {{0, 1, 2, 2}, {1, 3, 2, 2}, {3, 3, 1, 1}, {0, 1, 99, 99}});
  }

  // Makes the object of these points and polygons, in place of the last.
  void Load(std::vector<HostVector> points, std::vector<PolygonCorners> polygons) {
    HostDelete(object_);
    points_ = std::move(points);
    polygons_ = std::move(polygons);
    neighbours_ = EdgeNeighbourTable();
    neighbours_.Build(polygons_.data(), static_cast<int32_t>(polygons_.size()));
    input_.points = points_.data();
    input_.pointCount = static_cast<int32_t>(points_.size());
    input_.polygons = polygons_.data();
    input_.polygonCount = static_cast<int32_t>(polygons_.size());
    input_.neighbours = &neighbours_;
    object_ = HostNew<BSPPolyObj>(settings_, settings_.lines, input_);
    ASSERT_TRUE(CaptureWorldPoints(*object_));
  }
  void TearDown() override {
    HostDelete(object_);
    object_ = nullptr;
    LineStageTest::TearDown();
  }

  // A fragment of host polygon `polygon` with these edges (start, end, flags).
  void AddFragment(int32_t polygon, uint8_t red, std::vector<BspEdge> edges) {
    BspPolygon fragment;
    fragment.polygonIndex = polygon;
    fragment.colour.r = red;
    for (const BspEdge& edge : edges) fragment.edges.Push(edge);
    object_->fragments.Push(fragment);
  }

  static BspEdge Edge(double x0, double y0, double x1, double y1, uint32_t flags) {
    BspEdge edge;
    edge.start = Point{x0, y0, 10, 1};
    edge.end = Point{x1, y1, 10, 1};
    edge.flags = flags;
    return edge;
  }

  void Build(ObjNetz& net, OverlappingEdges overlapping = OverlappingEdges::kLast) {
    PiecesByPolygon pieces;
    ASSERT_TRUE(CollectVisiblePieces(object_->fragments, input_.polygonCount, pieces));
    buildNet(net, *object_, object_->fragments, pieces, nullptr, overlapping);
  }

  ExportSettings settings_;
  std::vector<HostVector> points_;
  std::vector<PolygonCorners> polygons_;
  EdgeNeighbourTable neighbours_;
  MeshInput input_;
  BSPPolyObj* object_ = nullptr;
};

TEST_F(ObjNetzTest, NodesKnowTheirEdgesNeighboursColourAndPieces) {
  // Polygon 0 in two fragments cut along A-(2,2); the second also has an
  // original piece that lies on no edge of the polygon.
  AddFragment(
      0, 10,
      {Edge(0, 0, 4, 0, kDrawn), Edge(4, 0, 2, 2, kDrawn), Edge(2, 2, 0, 0, EdgeInnerBoundary)});
  AddFragment(0, 20,
              {Edge(2, 2, 0, 4, kDrawn), Edge(0, 4, 0, 0, kDrawn),
               Edge(0, 0, 2, 2, EdgeInnerBoundary), Edge(1, 1, 2, 1, kDrawn)});
  AddFragment(1, 30,
              {Edge(4, 0, 4, 4, kDrawn), Edge(4, 4, 0, 4, kDrawn), Edge(0, 4, 4, 0, kDrawn)});
  AddFragment(3, 40, {Edge(0, 0, 4, 0, kDrawn)});
  AddFragment(7, 50, {Edge(0, 0, 4, 0, kDrawn)});  // no polygon of the object

  ObjNetz net;
  Build(net);
  ASSERT_EQ(net.nodes.Count(), 4);
  EXPECT_EQ(MemoryErrorFlag::Test(), 0);

  const MeshNode& first = net.nodes[0];
  const MeshNode& second = net.nodes[1];
  EXPECT_EQ(first.vertexCount, 3);
  EXPECT_EQ(first.polygonIndex, 0);
  EXPECT_DOUBLE_EQ(first.Edge(1).p0.x, 4.0);
  EXPECT_DOUBLE_EQ(first.Edge(1).p1.y, 4.0);
  EXPECT_EQ(first.colour.r, 20) << "the later fragment's colour";
  EXPECT_EQ(first.colour.a, 255);
  EXPECT_EQ(second.colour.r, 30);

  // B-C is edge 1 of polygon 0 and edge 2 of polygon 1. Across A-B lies
  // polygon 3, whose empty node lists nothing back.
  EXPECT_EQ(first.neighbours[0], &net.nodes[3]);
  EXPECT_EQ(SharedEdgeIndex(first, 0), -1);
  EXPECT_EQ(first.neighbours[1], &second);
  EXPECT_EQ(first.neighbours[2], nullptr);
  EXPECT_EQ(second.neighbours[2], &first);
  EXPECT_EQ(SharedEdgeIndex(first, 1), 2);

  EXPECT_EQ(first.edgePieces[0].Count(), 1);
  EXPECT_EQ(first.edgePieces[1].Count(), 2) << "both halves of B-C";
  EXPECT_EQ(first.edgePieces[2].Count(), 1);
  EXPECT_EQ(first.innerPieces.Count(), 2) << "the cuts, not yet cancelled here";
  EXPECT_EQ(second.edgePieces[2].Count(), 1);

  // Polygons that cannot be drawn have empty nodes, whatever fragments say.
  for (int32_t i : {2, 3}) {
    const MeshNode& empty = net.nodes[i];
    EXPECT_EQ(empty.vertexCount, 0) << i;
    EXPECT_TRUE(empty.innerPieces.Empty()) << i;
    for (int k = 0; k < 4; ++k) EXPECT_TRUE(empty.edgePieces[k].Empty()) << i;
  }
  EXPECT_EQ(net.nodes[2].colour.r, 0);
}

// Two corners of a triangle in one point (as welding near points makes
// them): its two long edges run over each other, B-Q one way and Q-B the
// other. For a filled region each piece of its outline has to go onto the
// edge that runs its way; put onto one edge together, the pieces cover
// each other there and the edge to the lower triangle stays bare, so the
// region of the three same-coloured triangles got a stray edge along B-Q
// that no other edge closes.
TEST_F(ObjNetzTest, TriangleWithTwoCornersInOnePointLeavesNoEdgeInItsRegion) {
  // Lower A B Q, the flat Q B Q' (Q' lies on Q), upper B D Q'.
  Load({{0, 0, 10}, {4, 0, 10}, {2, 2, 10}, {2, 2, 10}, {6, 2, 10}},
       {{0, 1, 2, 2}, {2, 1, 3, 3}, {1, 4, 3, 3}});
  AddFragment(0, 10,
              {Edge(0, 0, 4, 0, kDrawn), Edge(4, 0, 2, 2, kDrawn), Edge(2, 2, 0, 0, kDrawn)});
  AddFragment(1, 10,
              {Edge(2, 2, 4, 0, kDrawn), Edge(4, 0, 2, 2, kDrawn), Edge(2, 2, 2, 2, kDrawn)});
  AddFragment(2, 10,
              {Edge(4, 0, 6, 2, kDrawn), Edge(6, 2, 2, 2, kDrawn), Edge(2, 2, 4, 0, kDrawn)});
  ObjNetz net;
  Build(net, OverlappingEdges::kRunningItsWay);
  ASSERT_EQ(net.nodes.Count(), 3);

  const MeshNode& flat = net.nodes[1];
  ASSERT_EQ(flat.edgePieces[0].Count(), 1);
  EXPECT_DOUBLE_EQ(flat.edgePieces[0][0].start.x, 2.0) << "Q-B on the edge from Q to B";
  ASSERT_EQ(flat.edgePieces[1].Count(), 1);
  EXPECT_DOUBLE_EQ(flat.edgePieces[1][0].start.x, 4.0) << "B-Q on the edge from B to Q'";

  std::vector<EdgeSegment> region;
  for (int32_t i = 0; i < net.nodes.Count(); ++i) {
    Stack<EdgeSegment> out;
    emitFillEdges(net.nodes[i], out);
    region.insert(region.end(), out.Items(), out.Items() + out.Count());
  }
  EXPECT_NEAR(CoveredLength(region, {4, 0, 10}, {2, 2, 10}), 0.0, 1e-9) << "inside the region";
  EXPECT_NEAR(TotalLength(region), 4 + 2 * std::sqrt(8.0) + 4, 1e-9) << "A-B, B-D, D-Q, Q-A";
}

TEST_F(ObjNetzTest, ReportsWhenTheNodesOrTheNeighboursCannotBeAllocated) {
  {
    host::ConsoleCapture console;
    ObjNetz net;
    PiecesByPolygon pieces;
    host::FailNthAllocation(1);  // the node array
    buildNet(net, *object_, object_->fragments, pieces);
    EXPECT_TRUE(console.Contains("NO MEMORY: ObjNetz 27"));
    EXPECT_NE(MemoryErrorFlag::Test(), 0);
    EXPECT_EQ(net.nodes.Count(), 0);
  }
  MemoryErrorFlag::Clear();
  host::ClearAllocationFaults();
  {
    // Without a neighbour service of its own the net builds one.
    object_->mesh.neighbours = nullptr;
    host::ConsoleCapture console;
    ObjNetz net;
    PiecesByPolygon pieces;
    host::FailNthAllocation(1);  // the net's own neighbour table
    buildNet(net, *object_, object_->fragments, pieces);
    EXPECT_TRUE(console.Contains("NO MEMORY: ObjNetz 23"));
    EXPECT_FALSE(console.Contains("NO MEMORY: ObjNetz 27"));
  }
  MemoryErrorFlag::Clear();
  host::ClearAllocationFaults();
  {
    ObjNetz net;
    PiecesByPolygon pieces;
    buildNet(net, *object_, object_->fragments, pieces);
    ASSERT_EQ(net.nodes.Count(), 4);
    EXPECT_EQ(net.nodes[0].neighbours[1], &net.nodes[1]) << "neighbours from the net's own table";
  }
}

}  // namespace
