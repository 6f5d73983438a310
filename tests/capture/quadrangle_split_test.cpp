// Quadrangle splitting: planar quadrangles stay whole, folded ones become two
// triangles along the diagonal the neighbouring faces pick, with the
// quadrangle's record and edges and the diagonal's own flags; bad input and
// failed allocations leave the quadrangle whole.
#include "capture/quadrangle_split.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "bsp_fixture.h"
#include "host/runtime.h"
#include "mesh_input.h"
#include "shell/bsp_renderer.h"

namespace {

// A fresh host, a clear memory-failure flag and no allocation faults left
// over; views are MakeStraightView's, which at depth z span |x| <= z / 2 and
// |y| <= z / 2.
using QuadrangleSplitTest = BspTest;

// Quadrangle 0-1-2-3 facing the camera at depth 10, folded by lifting
// corner 2 by `lift`; points from index 4 on are the neighbours' far corners.
struct Mesh : PolygonColours {
  std::vector<HostVector> points;
  std::vector<PolygonCorners> polygons;
  EdgeNeighbourTable neighbours;

  explicit Mesh(float lift)
      : points{{-1, -1, 10}, {-1, 1, 10}, {1, 1, 10 + lift}, {1, -1, 10}}, polygons{{0, 1, 2, 3}} {}

  bool ColourOf(int32_t, Colour& colour) const override {
    colour = Colour{1.0f, 0.0f, 0.5f};
    return true;
  }
  MeshInput Input() {
    return MeshInputOf(points, polygons, neighbours, this);
  }
};

// The mesh captured through the real capture with the splitter, back faces
// kept.
struct Captured {
  ExportSettings settings;
  ExportJob job;
  BspView view;
  BSPPolyObj* object = nullptr;

  explicit Captured(Mesh& mesh) {
    settings.backFaces = kBackFacesKeep;
    MakeStraightView(view);
    object = HostNew<BSPPolyObj>(settings, settings.lines, mesh.Input());
    if (CaptureWorldPoints(*object)) BuildPolygons(*object, view, &splitQuadrangle, job);
  }
  ~Captured() { HostDelete(object); }

  std::vector<const BspPolygon*> OfHostPolygon(int32_t index) const {
    std::vector<const BspPolygon*> found;
    for (int32_t i = 0; i < object->polygons.Count(); ++i) {
      if (object->polygons[i]->polygonIndex == index) found.push_back(object->polygons[i]);
    }
    return found;
  }
};

// The edge of a triangle between host points a and b, in either direction.
const BspEdge* EdgeBetween(const BspPolygon& triangle, int32_t a, int32_t b) {
  for (int32_t i = 0; i < 3; ++i) {
    const int32_t from = Corner(triangle.corners, i);
    const int32_t to = Corner(triangle.corners, (i + 1) % 3);
    if ((from == a && to == b) || (from == b && to == a)) return &triangle.edges[i];
  }
  return nullptr;
}

TEST_F(QuadrangleSplitTest, PlanarQuadranglesStayWhole) {
  struct Case {
    const char* name;
    std::vector<HostVector> points;
  };
  const Case cases[] = {
      {"flat", {{-1, -1, 10}, {-1, 1, 10}, {1, 1, 10}, {1, -1, 10}}},
      {"tilted plane", {{-1, -1, 9.25f}, {-1, 1, 9.75f}, {1, 1, 10.75f}, {1, -1, 10.25f}}},
      {"corner 3 on corner 0", {{-1, -1, 10}, {-1, 1, 10}, {1, 1, 11}, {-1, -1, 10}}},
      {"corners 0, 1, 2 in a line", {{-1, -1, 10}, {0, 0, 10.5f}, {1, 1, 11}, {1, -1, 10}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Mesh mesh(0);
    mesh.points = c.points;
    Captured captured(mesh);
    ASSERT_EQ(captured.object->polygons.Count(), 1);
    EXPECT_EQ(captured.object->polygons[0]->edges.Count(), 4);
  }
}

TEST_F(QuadrangleSplitTest, FoldedQuadrangleIsCutAlongTheDiagonalTheNeighboursContinue) {
  using Corners = std::vector<int32_t>;
  struct Case {
    const char* name;
    std::vector<HostVector> farCorners;  // points 4 and 5
    std::vector<PolygonCorners> neighbours;
    int32_t diagonal[2];
    Corners first;
    Corners second;
  };
  // Each neighbour is the mirror image, through the middle of the shared
  // edge, of one triangle of a cut, so it lies in that triangle's plane.
  const Case cases[] = {
      {"no neighbours", {}, {}, {1, 3}, {0, 1, 3, 3}, {1, 2, 3, 3}},
      {"neighbours continue (0, 1, 2) and (0, 2, 3)",
       {{-3, -1, 9}, {3, 1, 11}},
       {{1, 0, 4, 4}, {3, 2, 5, 5}},
       {0, 2},
       {0, 1, 2, 2},
       {0, 2, 3, 3}},
      {"neighbours continue (1, 2, 3) and (0, 1, 3)",
       {{-1, 3, 11}, {1, -3, 10}},
       {{2, 1, 4, 4}, {0, 3, 5, 5}},
       {1, 3},
       {0, 1, 3, 3},
       {1, 2, 3, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Mesh mesh(1);
    mesh.points.insert(mesh.points.end(), c.farCorners.begin(), c.farCorners.end());
    mesh.polygons.insert(mesh.polygons.end(), c.neighbours.begin(), c.neighbours.end());
    Captured captured(mesh);
    const std::vector<const BspPolygon*> triangles = captured.OfHostPolygon(0);
    ASSERT_EQ(triangles.size(), 2u);
    EXPECT_EQ(HostCornersOf(*triangles[0]), c.first);
    EXPECT_EQ(HostCornersOf(*triangles[1]), c.second);

    const BspEdge* diagonals[2] = {};
    for (int32_t t = 0; t < 2; ++t) {
      const BspPolygon& triangle = *triangles[t];
      ASSERT_EQ(triangle.edges.Count(), 3);
      EXPECT_EQ(triangle.source, captured.object);
      EXPECT_EQ(triangle.colour, (PageColour{255, 0, 127, 255}));
      diagonals[t] = EdgeBetween(triangle, c.diagonal[0], c.diagonal[1]);
      ASSERT_NE(diagonals[t], nullptr);
      for (int32_t e = 0; e < 3; ++e) {
        const BspEdge& edge = triangle.edges[e];
        EXPECT_EQ((edge.flags & EdgeOriginal) != 0, &edge != diagonals[t]) << "edge " << e;
      }
    }
    // The triangles meet along the diagonal, so they share its edge plane.
    const Plane& a = diagonals[0]->edgePlane;
    const Plane& b = diagonals[1]->edgePlane;
    const double sign = a.a * b.a + a.b * b.b + a.c * b.c < 0.0 ? -1.0 : 1.0;
    EXPECT_EQ(a.a, sign * b.a);
    EXPECT_EQ(a.b, sign * b.b);
    EXPECT_EQ(a.c, sign * b.c);
    EXPECT_EQ(a.d, sign * b.d);
    EXPECT_NE(a.a * a.a + a.b * a.b + a.c * a.c, 0.0);
  }
}

TEST_F(QuadrangleSplitTest, TheFrameDriverSplitsFoldedQuadrangles) {
  ExportSettings settings;
  settings.backFaces = kBackFacesKeep;
  settings.width = settings.height = 100;
  ExportJob job;
  BSPRenderer renderer;
  ASSERT_NE(renderer.Prepare(settings, job), 0);
  Mesh mesh(1);
  BSPPolyObj* object = AddCapturedObject(renderer.scene, settings, settings.lines, mesh.Input());
  ASSERT_NE(object, nullptr);
  renderer.scene.camera.lensLength = renderer.scene.camera.filmWidth = 36.0;
  Stack<BspPolygon> clipped;
  ASSERT_TRUE(renderer.CaptureStage(clipped));
  EXPECT_EQ(object->polygons.Count(), 2);
}

// Direct calls: a quadrangle with these corners (host points 20 to 23),
// each edge flagged EdgeOriginal and a mark of its own, and one object
// without neighbours.
class DirectSplitTest : public QuadrangleSplitTest {
 protected:
  static uint32_t EdgeMark(int32_t k) { return EdgeOriginal | (0x100u << k); }

  void MakeQuadrangle(const std::array<Point, 4>& corners) {
    BspEdge edges[4];
    for (int32_t k = 0; k < 4; ++k) {
      edges[k].start = corners[k];
      edges[k].end = corners[(k + 1) % 4];
      edges[k].flags = EdgeMark(k);
    }
    MakePolygon(quadrangle_, edges, 4, object_, 7, PageColour{10, 20, 30, 77});
    quadrangle_.corners = PolygonCorners{20, 21, 22, 23};
  }
  // Quadrangle as in the capture tests, corner 2 lifted by 2: the fold along
  // 1-3 is 54.7 degrees (cosine 1 / sqrt 3).
  void MakeFolded() { MakeQuadrangle({{{-1, -1, 10}, {-1, 1, 10}, {1, 1, 12}, {1, -1, 10}}}); }

  bool Split() {
    QuadrangleSplitRequest request;
    request.object = object_;
    request.view = &view_;
    request.quadrangle = &quadrangle_;
    request.polygonIndex = 7;
    request.neighbours = neighbours_;
    request.facePlanes = facePlanes_;
    return splitQuadrangle(request, first_, second_);
  }

  void SetUp() override {
    QuadrangleSplitTest::SetUp();
    MakeStraightView(view_);
    object_ = HostNew<BSPPolyObj>(settings_, settings_.lines, MeshInput{});
  }
  void TearDown() override {
    HostDelete(object_);
    QuadrangleSplitTest::TearDown();
  }

  ExportSettings settings_;
  BspView view_;
  BSPPolyObj* object_ = nullptr;
  BspPolygon quadrangle_;
  const PolygonNeighbours* neighbours_ = nullptr;
  const Plane* facePlanes_ = nullptr;
  BspPolygon first_;
  BspPolygon second_;
};

TEST_F(DirectSplitTest, TrianglesKeepTheQuadranglesRecordAndEdges) {
  MakeFolded();
  ASSERT_TRUE(Split());
  const uint32_t diagonal = first_.edges[1].flags;
  EXPECT_EQ(diagonal & EdgeOriginal, 0u);
  struct Expected {
    const BspPolygon* triangle;
    std::vector<int32_t> corners;
    std::array<uint32_t, 3> flags;
  };
  const Expected expected[] = {
      {&first_, {20, 21, 23, 23}, {EdgeMark(0), diagonal, EdgeMark(3)}},
      {&second_, {21, 22, 23, 23}, {EdgeMark(1), EdgeMark(2), diagonal}},
  };
  for (const Expected& e : expected) {
    const BspPolygon& triangle = *e.triangle;
    ASSERT_EQ(triangle.edges.Count(), 3);
    EXPECT_EQ(HostCornersOf(triangle), e.corners);
    EXPECT_EQ(triangle.source, object_);
    EXPECT_EQ(triangle.polygonIndex, 7);
    EXPECT_EQ(triangle.colour, (PageColour{10, 20, 30, 77}));
    for (int32_t i = 0; i < 3; ++i) {
      const BspEdge& edge = triangle.edges[i];
      EXPECT_EQ(edge.flags, e.flags[i]) << i;
      const Point& corner = quadrangle_.edges[e.corners[i] - 20].start;
      EXPECT_TRUE(SamePosition(edge.start, corner)) << i;
      EXPECT_TRUE(SamePosition(edge.end, triangle.edges[(i + 1) % 3].start)) << i;
      EXPECT_NEAR(Distance(triangle.plane, edge.start), 0.0, 1e-12) << i;
    }
  }
}

TEST_F(DirectSplitTest, DiagonalFlagsFollowTheFoldTheEyeAndTheObjectsOptions) {
  struct Case {
    Point eye;
    int32_t outline;
    int32_t crease;
    double creaseDegrees;
    uint32_t expected;
  };
  // From the origin both triangles face the eye; from (-10, -10, 5) only the
  // flat one (0, 1, 3) does.
  const Point front{0, 0, 0, 1};
  const Point side{-10, -10, 5, 1};
  const Case cases[] = {
      {front, 1, 1, 60, 0},         {front, 1, 1, 45, EdgeCrease},
      {front, 1, 0, 45, 0},         {side, 1, 1, 60, EdgeOutline},
      {side, 0, 1, 45, EdgeCrease}, {side, 1, 1, 45, EdgeOutline | EdgeCrease},
      {side, 0, 0, 45, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "eye x " << c.eye.x << ", outline " << c.outline
                                      << ", crease " << c.crease << " at " << c.creaseDegrees);
    object_->lineStyle.outlineLines = c.outline;
    object_->lineStyle.creaseLines = c.crease;
    object_->lineStyle.creaseAngle = static_cast<float>(c.creaseDegrees * kPi / 180.0);
    view_.eye = c.eye;
    MakeFolded();
    ASSERT_TRUE(Split());
    EXPECT_EQ(first_.edges[1].flags, c.expected);
    EXPECT_EQ(second_.edges[2].flags, c.expected);
  }
}

TEST_F(DirectSplitTest, BadQuadranglesStayWhole) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    std::array<Point, 4> corners;
  };
  const Case cases[] = {
      {"NaN corner", {{{-1, -1, 10}, {-1, 1, 10}, {1, 1, nan}, {1, -1, 10}}}},
      {"infinite corner", {{{-1, -1, 10}, {-1, 1, 10}, {1, 1, 12}, {inf, -1, 10}}}},
      {"all corners at one point", {{{1, 1, 10}, {1, 1, 10}, {1, 1, 10}, {1, 1, 10}}}},
      {"corners 1 and 2 coincide", {{{-1, -1, 10}, {1, 1, 12}, {1, 1, 12}, {1, -1, 10}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MakeQuadrangle(c.corners);
    EXPECT_FALSE(Split());
    EXPECT_EQ(first_.edges.Count(), 0);
    EXPECT_EQ(second_.edges.Count(), 0);
  }
  // Three edges are no quadrangle, however folded the corners were.
  MakeFolded();
  quadrangle_.edges.Pop();
  EXPECT_FALSE(Split());
  EXPECT_EQ(MemoryErrorFlag::Test(), 0);
}

// Answers every edge with one polygon index, however wrong.
struct FixedNeighbours final : PolygonNeighbours {
  int32_t answer = -1;
  void PolygonsAtEdge(int32_t, int32_t, int32_t& first, int32_t& second) const override {
    first = answer;
    second = -1;
  }
};

TEST_F(DirectSplitTest, NeighboursOutsideTheFaceTableAreIgnored) {
  // A face table with one entry that, if read, would pull the cut to 0-2.
  const Plane faces[1] = {Plane{0.0, 0.0, 1.0, 0.0}};
  FixedNeighbours neighbours;
  neighbours.answer = 1;
  neighbours_ = &neighbours;
  facePlanes_ = faces;
  object_->mesh.polygonCount = 1;
  MakeFolded();
  ASSERT_TRUE(Split());
  EXPECT_EQ(HostCornersOf(first_), (std::vector<int32_t>{20, 21, 23, 23}));

  neighbours.answer = 0;  // in the table: now it counts
  ASSERT_TRUE(Split());
  EXPECT_EQ(HostCornersOf(first_), (std::vector<int32_t>{20, 21, 22, 22}));
}

TEST_F(DirectSplitTest, FailedAllocationsLeaveTheQuadrangleWholeAndNothingBehind) {
  MakeFolded();
  const host::MemoryStats before = host::GetMemoryStats();
  bool sawFailure = false;
  bool sawSuccess = false;
  for (int64_t n = 0; n < 4; ++n) {
    MemoryErrorFlag::Clear();
    {
      BspPolygon first;
      BspPolygon second;
      QuadrangleSplitRequest request;
      request.object = object_;
      request.view = &view_;
      request.quadrangle = &quadrangle_;
      host::FailAllocationsAfter(n);
      const bool split = splitQuadrangle(request, first, second);
      host::ClearAllocationFaults();
      EXPECT_EQ(split, MemoryErrorFlag::Test() == 0) << n;
      sawFailure = sawFailure || !split;
      sawSuccess = sawSuccess || split;
    }
    EXPECT_EQ(host::GetMemoryStats().liveBlocks, before.liveBlocks) << n;
  }
  EXPECT_TRUE(sawFailure);
  EXPECT_TRUE(sawSuccess);
}

}  // namespace
