// Capture of generated meshes: world points, edge flags, colours, back faces,
// frustum test, the quadrangle splitter hook, edge planes and the reports.
#include "capture/capture.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "bsp_fixture.h"
#include "capture/captured_scene.h"
#include "mesh_input.h"
#include "host/runtime.h"

namespace {

using CaptureTest = BspTest;

struct TestMesh : PolygonColours {
  std::vector<HostVector> points;
  std::vector<PolygonCorners> polygons;
  std::vector<std::array<float, 3>> colours;  // empty: no materials
  EdgeNeighbourTable neighbours;

  bool ColourOf(int32_t polygon, Colour& colour) const override {
    if (colours.empty()) return false;
    colour = Colour{colours[polygon][0], colours[polygon][1], colours[polygon][2]};
    return true;
  }
  MeshInput Input() {
    return MeshInputOf(points, polygons, neighbours, this);
  }
};

// Two triangles over the edge p0-p1 in front of the camera: A = (p0, p2, p1)
// faces the eye; B = (p0, p1, p3) is given per case.
TestMesh Hinge(float topZ, HostVector bottom) {
  TestMesh mesh;
  mesh.points = {{-1, 0, 10}, {1, 0, 10}, {0, 1, topZ}, bottom};
  mesh.polygons = {{0, 2, 1, 1}, {0, 1, 3, 3}};
  return mesh;
}

struct Captured {
  ExportSettings settings;
  ExportJob job;
  BspView view;
  BSPPolyObj* object = nullptr;

  Captured(TestMesh& mesh, const ExportSettings& objectSettings,
           QuadrangleSplitter splitter = nullptr)
      : settings(objectSettings) {
    MakeStraightView(view);
    object = HostNew<BSPPolyObj>(settings, settings.lines, mesh.Input());
    if (CaptureWorldPoints(*object)) BuildPolygons(*object, view, splitter, job);
  }
  ~Captured() { HostDelete(object); }
  const BspPolygon* Stored(int32_t polygonIndex) const {
    for (int32_t i = 0; i < object->polygons.Count(); ++i) {
      if (object->polygons[i]->polygonIndex == polygonIndex) return object->polygons[i];
    }
    return nullptr;
  }
};

// The flags of the edge of `polygon` from a to b.
uint32_t FlagsOfEdge(const BspPolygon& polygon, const HostVector& a, const HostVector& b) {
  for (int32_t i = 0; i < polygon.edges.Count(); ++i) {
    const BspEdge& edge = polygon.edges[i];
    if (edge.start.x == a.x && edge.start.y == a.y && edge.end.x == b.x && edge.end.y == b.y) {
      return edge.flags;
    }
  }
  ADD_FAILURE() << "no such edge";
  return 0;
}

TEST_F(CaptureTest, WorldPointsFollowTheObjectMatrix) {
  TestMesh mesh = Hinge(10, {0, -1, 11});
  MeshInput input = mesh.Input();
  input.matrix.off = Vector3d{1, 2, 3};
  input.matrix.v1 = Vector3d{0, 2, 0};
  input.matrix.v2 = Vector3d{-1, 0, 0};
  ExportSettings settings;
  BSPPolyObj object(settings, settings.lines, input);
  ASSERT_TRUE(CaptureWorldPoints(object));
  ASSERT_EQ(object.points.Count(), 4);
  const Point& p = object.points[2];  // (0, 1, 10)
  EXPECT_EQ(p.x, 0.0);
  EXPECT_EQ(p.y, 2.0);
  EXPECT_EQ(p.z, 13.0);
  EXPECT_TRUE(object.boundsValid);
  EXPECT_EQ(object.boundsMin[0], 0.0);
  EXPECT_EQ(object.boundsMax[2], 14.0);
  EXPECT_TRUE(object.selection.Exists());
}

TEST_F(CaptureTest, SharedEdgeFlagsFollowTheNeighbourAndTheObjectsOptions) {
  struct Case {
    const char* name;
    float topZ;
    HostVector bottom;
    int32_t crease, outline, flat;
    uint32_t expected;
  };
  const uint32_t base = EdgeOriginal | EdgeDrawn;
  const Case cases[] = {
      {"right angle is a crease", 11, {0, -1, 11}, 1, 1, 0, base | EdgeCrease},
      {"crease option off", 11, {0, -1, 11}, 0, 1, 0, base},
      {"gentle fold", 10.1f, {0, -1, 10.1f}, 1, 1, 1, base},
      {"nearly flat edge is not drawn", 10.05f, {0, -1, 10.05f}, 1, 1, 1, EdgeOriginal},
      {"nearly flat, flat option off", 10.05f, {0, -1, 10.05f}, 1, 1, 0, base},
      {"neighbour faces away: outline", 10, {0, 0.5f, 12}, 0, 1, 0, base | EdgeOutline},
      {"outline option off", 10, {0, 0.5f, 12}, 0, 0, 0, base},
  };
  for (const Case& c : cases) {
    TestMesh mesh = Hinge(c.topZ, c.bottom);
    ExportSettings settings;
    settings.lines.creaseLines = c.crease;
    settings.lines.outlineLines = c.outline;
    settings.lines.skipCoplanarEdges = c.flat;
    Captured captured(mesh, settings);
    const BspPolygon* a = captured.Stored(0);
    ASSERT_NE(a, nullptr) << c.name;
    EXPECT_EQ(FlagsOfEdge(*a, mesh.points[1], mesh.points[0]), c.expected) << c.name;
    // The edges without neighbour are outlines whenever outlines are on.
    const uint32_t open = base | (c.outline ? EdgeOutline : 0u);
    EXPECT_EQ(FlagsOfEdge(*a, mesh.points[0], mesh.points[2]), open) << c.name;
  }
}

std::vector<int> ChannelsOf(PageColour c) {
  return {c.r, c.g, c.b, c.a};
}

TEST_F(CaptureTest, ColoursComeFromTheMaterialOrAreGrey) {
  TestMesh mesh = Hinge(11, {0, -1, 11});
  mesh.colours = {{1.0f, 0.999f, 0.5f}, {0.0f, 0.25f, 1.0f}};
  ExportSettings settings;
  Captured withMaterials(mesh, settings);
  const BspPolygon* a = withMaterials.Stored(0);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(ChannelsOf(a->colour), (std::vector<int>{255, 254, 127, 255}));

  TestMesh plain = Hinge(11, {0, -1, 11});
  Captured withoutMaterials(plain, settings);
  const BspPolygon* b = withoutMaterials.Stored(1);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(ChannelsOf(b->colour), (std::vector<int>{127, 127, 127, 255}));
}

TEST_F(CaptureTest, BackFacesAreDroppedOrTurnedAndOutsideOrDegeneratePolygonsSkipped) {
  for (const int32_t backFaces : {kBackFacesDrop, kBackFacesKeep}) {
    TestMesh mesh = Hinge(10, {0, 0.5f, 12});  // B faces away
    mesh.points.push_back({30, 0, 10});        // far outside the frustum
    mesh.points.push_back({31, 1, 10});
    mesh.points.push_back({32, 0, 10});
    mesh.polygons.push_back({4, 5, 6, 6});  // outside
    mesh.polygons.push_back({2, 2, 1, 1});  // first two indices equal
    ExportSettings settings;
    settings.backFaces = backFaces;
    Captured captured(mesh, settings);
    EXPECT_NE(captured.Stored(0), nullptr);
    EXPECT_EQ(captured.Stored(2), nullptr);
    EXPECT_EQ(captured.Stored(3), nullptr);
    const BspPolygon* b = captured.Stored(1);
    if (backFaces == kBackFacesDrop) {
      EXPECT_EQ(b, nullptr);
      EXPECT_EQ(captured.object->polygons.Count(), 1);
    } else {
      ASSERT_NE(b, nullptr);
      EXPECT_TRUE(b->flipped);
      EXPECT_TRUE(FacesViewer(*b, captured.view.eye));
      EXPECT_EQ(HostCornersOf(*b), (std::vector<int32_t>{0, 3, 1, 1}));
    }
  }
}

TEST_F(CaptureTest, StoredPolygonsGetEdgePlanesThroughTheEye) {
  TestMesh mesh = Hinge(11, {0, -1, 11});
  ExportSettings settings;
  Captured captured(mesh, settings);
  ASSERT_EQ(captured.object->polygons.Count(), 2);
  for (int32_t i = 0; i < 2; ++i) {
    const BspPolygon* stored = captured.object->polygons[i];
    EXPECT_EQ(stored->source, captured.object);
    ASSERT_EQ(stored->edges.Count(), 3);
    for (int32_t e = 0; e < 3; ++e) {
      const Plane& plane = stored->edges[e].edgePlane;
      EXPECT_NEAR(Length(NormalOf(plane)), 1.0, 1e-12);
      EXPECT_NEAR(Distance(plane, captured.view.eye), 0.0, 1e-9);
      EXPECT_LT(Distance(plane, stored->centroid), 0.0);
    }
  }
}

bool SplitAlongCorners0And2(const QuadrangleSplitRequest& request, BspPolygon& first,
                            BspPolygon& second) {
  const BspPolygon& quad = *request.quadrangle;
  BspEdge firstEdges[3] = {quad.edges[0], quad.edges[1], BspEdge{}};
  firstEdges[2].start = quad.edges[2].start;
  firstEdges[2].end = quad.edges[0].start;
  BspEdge secondEdges[3] = {BspEdge{}, quad.edges[2], quad.edges[3]};
  secondEdges[0].start = quad.edges[0].start;
  secondEdges[0].end = quad.edges[2].start;
  MakePolygon(first, firstEdges, 3, quad.source, quad.polygonIndex, quad.colour);
  MakePolygon(second, secondEdges, 3, quad.source, quad.polygonIndex, quad.colour);
  const PolygonCorners& c = quad.corners;
  first.corners = PolygonCorners{c.a, c.b, c.c, c.c};
  second.corners = PolygonCorners{c.a, c.c, c.d, c.d};
  return request.facePlanes != nullptr && request.polygonIndex == 0;
}

TEST_F(CaptureTest, QuadranglesAreOfferedToTheInstalledSplitter) {
  TestMesh mesh;
  mesh.points = {{-1, -1, 10}, {-1, 1, 10}, {1, 1, 11}, {1, -1, 10}};
  mesh.polygons = {{0, 1, 2, 3}};
  ExportSettings settings;
  {
    Captured whole(mesh, settings);
    EXPECT_EQ(whole.object->polygons.Count(), 1);
    EXPECT_EQ(whole.object->polygons[0]->edges.Count(), 4);
  }
  Captured split(mesh, settings, &SplitAlongCorners0And2);
  ASSERT_EQ(split.object->polygons.Count(), 2);
  for (int32_t i = 0; i < 2; ++i) {
    EXPECT_EQ(split.object->polygons[i]->edges.Count(), 3);
    EXPECT_TRUE(FacesViewer(*split.object->polygons[i], split.view.eye));
  }
}

TEST_F(CaptureTest, FailuresAreReportedWithTheirLineNumbers) {
  ExportSettings settings;
  ExportJob job;
  {
    TestMesh mesh = Hinge(11, {0, -1, 11});
    BSPPolyObj object(settings, settings.lines, mesh.Input());
    host::ConsoleCapture console;
    host::FailNthAllocation(1);  // the point table
    EXPECT_FALSE(CaptureWorldPoints(object));
    EXPECT_TRUE(console.Contains("NO MEMORY: BSPPolyObj 38"));
  }
  MemoryErrorFlag::Clear();
  {
    TestMesh mesh = Hinge(11, {0, -1, 11});
    BSPPolyObj object(settings, settings.lines, mesh.Input());
    host::ConsoleCapture console;
    host::FailNthAllocation(2);  // the marks
    EXPECT_TRUE(CaptureWorldPoints(object));
    EXPECT_TRUE(console.Contains("NO MEMORY: BSPPolyObj 46"));
    EXPECT_FALSE(object.selection.Exists());
  }
  MemoryErrorFlag::Clear();
  {
    TestMesh mesh = Hinge(11, {0, -1, 11});
    BSPPolyObj object(settings, settings.lines, mesh.Input());
    BspView view;
    MakeStraightView(view);
    ASSERT_TRUE(CaptureWorldPoints(object));
    host::ConsoleCapture console;
    host::FailNthAllocation(1);  // the face-normal table
    BuildPolygons(object, view, nullptr, job);
    EXPECT_TRUE(console.Contains("NO MEMORY: BSPPolyObj 92"));
    EXPECT_EQ(object.polygons.Count(), 0);
  }
  MemoryErrorFlag::Clear();
  {
    TestMesh mesh = Hinge(11, {0, -1, 11});
    MeshInput input = mesh.Input();
    input.neighbours = nullptr;
    ExportSettings noCreases = settings;
    noCreases.lines.outlineLines = false;
    BSPPolyObj object(noCreases, noCreases.lines, input);
    BspView view;
    MakeStraightView(view);
    ASSERT_TRUE(CaptureWorldPoints(object));
    host::ConsoleCapture console;
    BuildPolygons(object, view, nullptr, job);
    EXPECT_TRUE(console.Contains("NO MEMORY: BSPPolyObj 97"));
    ASSERT_EQ(object.polygons.Count(), 2);  // built on, without neighbours
    EXPECT_EQ(FlagsOfEdge(*object.polygons[0], mesh.points[1], mesh.points[0]),
              EdgeOriginal | EdgeDrawn);
  }
}

// Many pairs of triangles whose tips nearly touch (0.002 apart), scattered
// so that the objects' order in the list differs from their order along x
// and many unrelated boxes overlap on x, and one ground triangle that spans
// them all: every pair is welded, and no other corner moves.
TEST_F(CaptureTest, SnappingWeldsEveryNearlyTouchingPairAmongManyObjects) {
  constexpr int kPairs = 300;
  std::vector<TestMesh> meshes(2 * kPairs);
  for (int p = 0; p < kPairs; ++p) {
    const float x = static_cast<float>((p * 37) % kPairs) * 0.3f;  // shuffled along x
    const float y = static_cast<float>(p % 7) * 2.0f;
    // Every other pair has its right triangle first in the list, whose box
    // starts to the right of its partner's.
    const int left = 2 * p + p % 2, right = 2 * p + 1 - p % 2;
    meshes[left].points = {{x - 1, y - 0.3f, 10}, {x - 1, y + 0.3f, 10}, {x + 0.001f, y, 10}};
    meshes[right].points = {{x + 1, y + 0.3f, 10}, {x + 1, y - 0.3f, 10}, {x - 0.001f, y, 10}};
  }
  // A ground triangle far larger than the pairs, listed first, whose corner
  // nearly touches the first pair's outer corner.
  TestMesh ground;
  ground.points = {{-1.002f, -0.3f, 10}, {200, -50, 12}, {-100, 50, 14}};
  ground.polygons = {{0, 1, 2, 2}};
  CapturedScene scene;
  ExportSettings settings;
  ASSERT_NE(AddCapturedObject(scene, settings, settings.lines, ground.Input()), nullptr);
  for (TestMesh& mesh : meshes) {
    mesh.polygons = {{0, 1, 2, 2}};
    ASSERT_NE(AddCapturedObject(scene, settings, settings.lines, mesh.Input()), nullptr);
  }
  ExportJob job;
  SnapPoints(scene, job, ProgressBand{10, 20});
  EXPECT_EQ(scene.objects[0]->points[0].x, scene.objects[1]->points[0].x) << "ground welded";
  EXPECT_NEAR(scene.objects[1]->points[0].x, -1.001, 1e-5);
  for (int p = 0; p < kPairs; ++p) {
    const Stack<Point>& left = scene.objects[1 + 2 * p + p % 2]->points;
    const Stack<Point>& right = scene.objects[1 + 2 * p + 1 - p % 2]->points;
    EXPECT_EQ(left[2].x, right[2].x) << "pair " << p;
    EXPECT_NEAR(left[2].x, right[0].x - 1, 1e-5) << "pair " << p << ": welded at the middle";
    if (p > 0) {
      EXPECT_EQ(left[0].x, meshes[2 * p + p % 2].points[0].x) << "pair " << p;
    }
  }
  scene.Release();
}

}  // namespace
