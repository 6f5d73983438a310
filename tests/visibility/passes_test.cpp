// The passes as the renderer driver runs them: scenes without overlap, the
// hand-back of style kStyleAllEdges, and allocation failure at every allocation.
#include "visibility/passes.h"

#include <gtest/gtest.h>

#include <string>

#include "bsp_fixture.h"
#include "host/runtime.h"
#include "test_scene.h"

namespace {

using PassesTest = BspTest;

// Three triangles side by side at different depths, apart on screen.
void AddSideBySide(TestScene& scene) {
  scene.Add({{-3, -1, 10},
             {-2, 1, 10},
             {-1, -1, 10},
             {-0.5f, -1, 12},
             {0, 1, 11},
             {0.5f, -1, 12},
             {1, -1, 9},
             {2, 1, 9},
             {3, -1, 9}},
            {{0, 1, 2, 2}, {3, 4, 5, 5}, {6, 7, 8, 8}});
}

// A large square with a triangle hidden behind it and one in front of it,
// and a second object overlapping the square's corner from behind.
void AddOverlapping(TestScene& scene) {
  scene.Add({{-2, -2, 10},
             {-2, 2, 10},
             {2, 2, 10},
             {2, -2, 10},
             {-1, -1, 15},
             {0, 1, 15},
             {1, -1, 15},
             {0.5f, 0.5f, 8},
             {1, 1.5f, 8},
             {1.5f, 0.5f, 8}},
            {{0, 1, 2, 3}, {4, 5, 6, 6}, {7, 8, 9, 9}});
  scene.Add({{1, 1, 12}, {1, 4, 12}, {4, 4, 12}, {4, 1, 12}}, {{0, 1, 2, 3}});
}

// The clipped list names each captured polygon in view: a polygon wholly
// inside by a record without edges (its outline is the captured polygon), a
// polygon that reaches behind the camera by its cut piece.
TEST_F(PassesTest, ClippedRecordsOfWholePolygonsCarryNoEdges) {
  TestScene scene;
  AddSideBySide(scene);
  scene.Add({{-1, -1, -3}, {1, -1, -3}, {0, 1, 8}}, {{0, 1, 2, 2}});
  scene.Capture();
  BSPPolyObj& inside = scene.Object(0);
  BSPPolyObj& reaching = scene.Object(1);
  ASSERT_EQ(inside.polygons.Count(), 3);
  ASSERT_EQ(reaching.polygons.Count(), 1);
  ASSERT_EQ(scene.clipped.Count(), 4);
  for (int32_t i = 0; i < 3; ++i) {
    const BspPolygon& record = scene.clipped[i];
    EXPECT_EQ(record.origin, inside.polygons[2 - i]) << "last polygon first";
    EXPECT_TRUE(record.edges.Empty());
    EXPECT_EQ(&OutlineOf(record), record.origin);
    EXPECT_EQ(record.source, &inside);
  }
  const BspPolygon& cut = scene.clipped[3];
  EXPECT_EQ(cut.origin, reaching.polygons[0]);
  EXPECT_GE(cut.edges.Count(), 3);
  EXPECT_EQ(&OutlineOf(cut), &cut);
  // The passes give every edgeless record its captured polygon's edges: the
  // near triangle hides part of the others, and every fragment has edges.
  ASSERT_TRUE(scene.RunPasses());
  EXPECT_GE(inside.fragments.Count(), 1);
  EXPECT_EQ(reaching.fragments.Count(), 1);
  for (BSPPolyObj* object : {&inside, &reaching}) {
    for (int32_t i = 0; i < object->fragments.Count(); ++i) {
      EXPECT_GE(object->fragments[i].edges.Count(), 3);
    }
  }
}

TEST_F(PassesTest, WithoutOverlapNothingIsRecordedAndFragmentsAreTheClippedPolygons) {
  TestScene scene;
  AddSideBySide(scene);
  scene.Capture();
  BSPPolyObj& object = scene.Object(0);
  ASSERT_EQ(object.polygons.Count(), 3);
  ASSERT_TRUE(
      RunOcclusionPass(scene.View(), scene.tree, scene.clipped, scene.job, ProgressBand{0, 25}));
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(object.polygons[i]->occluders.Empty());
    EXPECT_FALSE(object.selection.IsSelected(i));
  }
  ASSERT_TRUE(RunVisibilityPass(scene.View(), scene.tree, scene.Objects(), scene.job,
                                ProgressBand{25, 50}));
  ASSERT_EQ(object.fragments.Count(), 3);
  for (int32_t i = 0; i < 3; ++i) {
    BspPolygon expected;
    ASSERT_EQ(Clip(scene.View(), *object.polygons[i], expected, kFirstSidePlane), 1);
    const std::vector<Point> corners = CornersOf(object.fragments[i]);
    const std::vector<Point> wanted = CornersOf(expected);
    ASSERT_EQ(corners.size(), wanted.size());
    for (size_t k = 0; k < corners.size(); ++k) EXPECT_TRUE(SamePosition(corners[k], wanted[k]));
    EXPECT_EQ(object.fragments[i].polygonIndex, object.polygons[i]->polygonIndex);
  }
}

TEST_F(PassesTest, HiddenPolygonsKeepOnlyWhatTheirOccludersLeave) {
  TestScene scene;
  AddOverlapping(scene);
  scene.Capture();
  ASSERT_TRUE(scene.RunPasses());
  int32_t hiddenTriangle = 0;
  int32_t frontTriangle = 0;
  int32_t square = 0;
  for (int32_t i = 0; i < scene.Object(0).fragments.Count(); ++i) {
    const int32_t index = scene.Object(0).fragments[i].polygonIndex;
    square += index == 0;
    hiddenTriangle += index == 1;
    frontTriangle += index == 2;
  }
  EXPECT_EQ(hiddenTriangle, 0);
  EXPECT_EQ(frontTriangle, 1);
  EXPECT_GE(square, 1);  // cut around the triangle in front of it
  // The second object's square loses the corner behind the first square.
  const Stack<BspPolygon>& behind = scene.Object(1).fragments;
  ASSERT_GE(behind.Count(), 1);
  for (int32_t i = 0; i < behind.Count(); ++i) {
    for (const Point& p : CornersOf(behind[i])) {
      EXPECT_FALSE(p.x < 2.0 * 12 / 10 - 1e-6 && p.y < 2.0 * 12 / 10 - 1e-6);
    }
  }
}

TEST_F(PassesTest, StyleAllEdgesHandsEveryClippedPolygonBack) {
  TestScene scene;
  scene.settings.drawingStyle = kStyleAllEdges;
  AddOverlapping(scene);
  scene.Capture();
  BspPolygon lost = scene.clipped[0];
  lost.source = nullptr;
  scene.clipped.Push(lost);
  host::ConsoleCapture console;
  ASSERT_TRUE(scene.RunPasses());
  EXPECT_TRUE(console.Contains("Obj verloren"));
  EXPECT_EQ(scene.Object(0).fragments.Count(), 3);  // the hidden triangle too
  EXPECT_EQ(scene.Object(1).fragments.Count(), 1);
  EXPECT_TRUE(scene.clipped.Empty());
}

// Fails each allocation of the passes in turn: the passes stop with the
// memory-error flag set, and everything is freed with the scene. Pass 2 in
// one range of polygons, and in several (for more threads).
TEST_F(PassesTest, AllocationFailureAnywhereStopsThePassesCleanly) {
  struct Case {
    int32_t threads;
    int32_t style;
  };
  for (const auto [threads, style] :
       {Case{1, kStyleVisibleEdges}, Case{1, kStyleAllEdges}, Case{4, kStyleVisibleEdges}}) {
    SCOPED_TRACE(std::to_string(threads) + " threads, style " + std::to_string(style));
    host::SetParallelThreads(threads);
    const int64_t liveBefore = host::GetMemoryStats().liveBlocks;
    int64_t allocations = 0;
    {
      TestScene scene;
      scene.settings.drawingStyle = style;
      AddOverlapping(scene);
      scene.Capture();
      const int64_t before = host::GetMemoryStats().totalAllocations;
      ASSERT_TRUE(scene.RunPasses());
      allocations = host::GetMemoryStats().totalAllocations - before;
    }
    ASSERT_GT(allocations, 5) << "the sweep must cover the passes' allocations";
    for (int64_t n = 1; n <= allocations; ++n) {
      {
        TestScene scene;
        scene.settings.drawingStyle = style;
        AddOverlapping(scene);
        scene.Capture();
        host::ConsoleCapture quiet;
        host::FailNthAllocation(n);
        EXPECT_FALSE(scene.RunPasses()) << "allocation " << n;
        EXPECT_EQ(MemoryErrorFlag::Test(), 1) << "allocation " << n;
        host::ClearAllocationFaults();
      }
      MemoryErrorFlag::Clear();
      ASSERT_EQ(host::GetMemoryStats().liveBlocks, liveBefore) << "allocation " << n;
    }
  }
}

// The same for capture: whatever fails, nothing leaks and nothing breaks.
TEST_F(PassesTest, AllocationFailureDuringCaptureLeavesNothingBehind) {
  const int64_t liveBefore = host::GetMemoryStats().liveBlocks;
  int64_t allocations = 0;
  {
    TestScene scene;
    AddOverlapping(scene);
    const int64_t before = host::GetMemoryStats().totalAllocations;
    scene.Capture();
    allocations = host::GetMemoryStats().totalAllocations - before;
  }
  for (int64_t n = 1; n <= allocations; ++n) {
    {
      TestScene scene;
      AddOverlapping(scene);
      host::ConsoleCapture quiet;
      host::FailNthAllocation(n);
      scene.Capture();
      host::ClearAllocationFaults();
      if (MemoryErrorFlag::Test() == 0) scene.RunPasses();
    }
    MemoryErrorFlag::Clear();
    ASSERT_EQ(host::GetMemoryStats().liveBlocks, liveBefore) << "allocation " << n;
  }
}

}  // namespace
