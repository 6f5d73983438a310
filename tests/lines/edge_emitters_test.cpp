// The per-node emitters on two hand-built nodes that share an edge: the
// shared-edge rule (a stretch both show is emitted once, by the node with
// the larger index), the flag each emitter selects, and the region edges
// between same and different colours.
#include "lines/edge_emitters.h"

#include <vector>

#include "host_fixture.h"
#include "line_scene.h"

namespace {

constexpr uint32_t kDrawn = EdgeOriginal | EdgeDrawn;
constexpr uint32_t kCrease = EdgeOriginal | EdgeCrease;

const Vector3d kA{0, 0, 0};
const Vector3d kB{4, 0, 0};
// Every corner of the nodes below is one of these points.
const Point kPoints[] = {{0, 0, 0, 1}, {4, 0, 0, 1}, {0, 4, 0, 1}, {0, -4, 0, 1}};

int32_t PointIndex(const Vector3d& p) {
  for (int32_t i = 0; i < 4; ++i) {
    if (kPoints[i].x == p.x && kPoints[i].y == p.y && kPoints[i].z == p.z) return i;
  }
  ADD_FAILURE() << "no such point";
  return 0;
}

// Stretch x0..x1 of the shared edge A-B (y = z = 0) with its flags.
struct Stretch {
  double x0;
  double x1;
  uint32_t flags;
};

// N: triangle A, B, C; M: triangle B, A, D. Edge 0 of each is the shared
// edge A-B, which M runs the other way.
class TwoNodes : public LineStageTest {
 protected:
  void SetUp() override {
    LineStageTest::SetUp();
    Shape(n_, 0, kA, kB, Vector3d{0, 4, 0});
    Shape(m_, 1, kB, kA, Vector3d{0, -4, 0});
    n_.neighbours[0] = &m_;
    m_.neighbours[0] = &n_;
  }

  static void Shape(MeshNode& node, int32_t index, Vector3d p0, Vector3d p1, Vector3d p2) {
    node.vertexCount = 3;
    node.polygonIndex = index;
    const Vector3d corners[3] = {p0, p1, p2};
    node.points = kPoints;
    for (int k = 0; k < 3; ++k) node.cornerPoints[k] = PointIndex(corners[k]);
  }

  // Pieces on the shared edge, in the direction the node runs it.
  static void Put(MeshNode& node, const std::vector<Stretch>& stretches) {
    const bool reversed = node.Corner(0).x > node.Corner(1).x;
    for (const Stretch& s : stretches) {
      const Vector3d from{reversed ? s.x1 : s.x0, 0, 0};
      const Vector3d to{reversed ? s.x0 : s.x1, 0, 0};
      node.edgePieces[0].Push(EdgePiece{from, to, s.flags});
    }
  }

  static double Shared(void (*emit)(const MeshNode&, Stack<EdgeSegment>&), const MeshNode& node) {
    Stack<EdgeSegment> out;
    emit(node, out);
    std::vector<EdgeSegment> segments(out.Items(), out.Items() + out.Count());
    return CoveredLength(segments, kA, kB);
  }

  MeshNode n_;
  MeshNode m_;
};

TEST_F(TwoNodes, SharedEdgeRuleEmitsWhatBothShowOnce) {
  using Emitter = void (*)(const MeshNode&, Stack<EdgeSegment>&);
  struct Case {
    const char* what;
    Emitter emit;
    std::vector<Stretch> n;
    std::vector<Stretch> m;
    bool mutual;
    int32_t nIndex;
    double nEmits;
    double mEmits;
  };
  const Case cases[] = {
      {"both show all", emitDrawnEdges, {{0, 4, kDrawn}}, {{0, 4, kDrawn}}, true, 0, 0, 4},
      {"M shows half", emitDrawnEdges, {{0, 4, kDrawn}}, {{0, 2, kDrawn}}, true, 0, 2, 2},
      {"N shows half", emitDrawnEdges, {{0, 2, kDrawn}}, {{0, 4, kDrawn}}, true, 0, 0, 4},
      {"each shows a half", emitDrawnEdges, {{0, 2, kDrawn}}, {{2, 4, kDrawn}}, true, 0, 2, 2},
      {"split differently",
       emitDrawnEdges,
       {{0, 1, kDrawn}, {1, 4, kDrawn}},
       {{0, 3, kDrawn}, {3, 4, kDrawn}},
       true,
       0,
       0,
       4},
      {"N has the larger index", emitDrawnEdges, {{0, 4, kDrawn}}, {{0, 4, kDrawn}}, true, 5, 4, 0},
      {"M does not list N", emitDrawnEdges, {{0, 4, kDrawn}}, {{0, 4, kDrawn}}, false, 0, 4, 4},
      {"M's piece is not drawn",
       emitDrawnEdges,
       {{0, 4, kDrawn}},
       {{0, 4, EdgeOriginal}},
       true,
       0,
       4,
       0},
      {"creases once", emitCreaseEdges, {{0, 4, kCrease}}, {{0, 4, kCrease}}, true, 0, 0, 4},
      {"drawn pieces are no creases",
       emitCreaseEdges,
       {{0, 4, kDrawn}},
       {{0, 4, kDrawn}},
       true,
       0,
       0,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MeshNode n;
    MeshNode m;
    Shape(n, c.nIndex, kA, kB, Vector3d{0, 4, 0});
    Shape(m, 1, kB, kA, Vector3d{0, -4, 0});
    n.neighbours[0] = &m;
    m.neighbours[0] = c.mutual ? &n : nullptr;
    Put(n, c.n);
    Put(m, c.m);
    EXPECT_NEAR(Shared(c.emit, n), c.nEmits, 1e-9);
    EXPECT_NEAR(Shared(c.emit, m), c.mEmits, 1e-9);
  }
}

TEST_F(TwoNodes, RegionEdgesDisappearOnlyBetweenEqualColours) {
  Put(n_, {{0, 4, kDrawn}});
  Put(m_, {{0, 2, kDrawn}});
  n_.innerPieces.Push(EdgePiece{{1, 1, 0}, {1, 2, 0}, EdgeInnerBoundary});

  // Same colour: only the stretch that N alone shows remains, from N.
  EXPECT_NEAR(Shared(emitRegionEdges, n_), 2, 1e-9);
  EXPECT_NEAR(Shared(emitRegionEdges, m_), 0, 1e-9);

  // Different colours: each side emits all it shows.
  m_.colour.r = 200;
  EXPECT_NEAR(Shared(emitRegionEdges, n_), 4, 1e-9);
  EXPECT_NEAR(Shared(emitRegionEdges, m_), 2, 1e-9);

  // The inner cut comes with the region edges and on its own.
  Stack<EdgeSegment> region;
  emitRegionEdges(n_, region);
  EXPECT_EQ(region.Count(), 2);
  Stack<EdgeSegment> inner;
  emitInnerPieces(n_, inner);
  ASSERT_EQ(inner.Count(), 1);
  EXPECT_DOUBLE_EQ(inner[0].b.y, 2.0);
}

// In a filled region's outline a piece shorter than the covering tolerance
// (0.0005) right at an end of the neighbour's piece counts as covered: both
// its ends are that end, so no overlap case takes it, and left alone it
// would be a stray stub of outline between two faces of one colour.
TEST_F(TwoNodes, FillEdgesTakeAShortPieceAtTheEndOfTheNeighboursPieceAsCovered) {
  const std::vector<std::vector<Stretch>> splits = {
      {{0, 3.9997, kDrawn}, {3.9997, 4, kDrawn}},
      {{0, 0.0003, kDrawn}, {0.0003, 4, kDrawn}},
      {{0, 0.0002, kDrawn}, {0.0002, 3.9998, kDrawn}, {3.9998, 4, kDrawn}},
  };
  for (const std::vector<Stretch>& split : splits) {
    SCOPED_TRACE(split.size());
    MeshNode n;
    MeshNode m;
    Shape(n, 0, kA, kB, Vector3d{0, 4, 0});
    Shape(m, 1, kB, kA, Vector3d{0, -4, 0});
    n.neighbours[0] = &m;
    m.neighbours[0] = &n;
    Put(n, split);
    Put(m, {{0, 4, kDrawn}});
    EXPECT_NEAR(Shared(emitFillEdges, n), 0, 1e-9);
    EXPECT_NEAR(Shared(emitFillEdges, m), 0, 1e-9);
  }

  // A short piece just beyond the neighbour's piece is not covered.
  Put(n_, {{0, 3.999, kDrawn}, {3.999, 4, kDrawn}});
  Put(m_, {{0, 3.998, kDrawn}});
  EXPECT_NEAR(Shared(emitFillEdges, n_), 0.002, 1e-9);
}

TEST_F(TwoNodes, SharedEdgeIsFoundByItsCornersWhenNeighboursShareSeveralEdges) {
  // A double-sided face: M has N's corners in the opposite order, so each
  // lists the other across all three edges.
  MeshNode n;
  MeshNode m;
  const Vector3d c{0, 4, 0};
  Shape(n, 0, kA, kB, c);
  Shape(m, 1, kA, c, kB);
  for (int k = 0; k < 3; ++k) {
    n.neighbours[k] = &m;
    m.neighbours[k] = &n;
  }
  // N's edges A-B, B-C, C-A are M's edges 2 (B-A), 1 (C-B) and 0 (A-C).
  EXPECT_EQ(SharedEdgeIndex(n, 0), 2);
  EXPECT_EQ(SharedEdgeIndex(n, 1), 1);
  EXPECT_EQ(SharedEdgeIndex(n, 2), 0);
  EXPECT_EQ(SharedEdgeIndex(m, 2), 0);

  m.neighbours[1] = nullptr;
  EXPECT_EQ(SharedEdgeIndex(n, 1), 0) << "without the matching edge, the first that lists N";
  n.neighbours[0] = nullptr;
  EXPECT_EQ(SharedEdgeIndex(n, 0), -1);
}

}  // namespace
