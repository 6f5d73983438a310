// The edge-line stage on small scenes run through capture and the
// visibility passes: shared edges drawn once, the flat-edge, outline and
// crease options, colour regions, the groups each style hands over, the
// line style, and the release of the object's polygons after a complete
// run, a stop request or a memory failure.
#include "lines/object_lines.h"

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "host/runtime.h"
#include "line_scene.h"
#include "shell/conv_thread.h"

namespace {

const Rgb kRed{1.0f, 0.0f, 0.0f};
const Rgb kBlue{0.0f, 0.0f, 1.0f};
const double kDiagonal = 4.0 * std::sqrt(2.0);

// A square (-2..2 at depth 10) of two triangles sharing the diagonal from
// (-2, -2) to (2, 2).
void AddSquare(LineScene& scene, Rgb lower, Rgb upper) {
  scene.Add({{-2, -2, 10}, {2, -2, 10}, {2, 2, 10}, {-2, 2, 10}}, {{0, 1, 2, 2}, {0, 2, 3, 3}},
            {lower, upper});
}

// Two triangles folded by about 63 degrees along the edge from (0, -2, 10)
// to (0, 2, 10): a crease at the default crease angle of 60 degrees.
void AddFold(LineScene& scene, Rgb left, Rgb right) {
  scene.Add({{0, -2, 10}, {0, 2, 10}, {-2, 0, 10}, {2, 0, 6}}, {{0, 1, 2, 2}, {1, 0, 3, 3}},
            {left, right});
}

const Vector3d kFoldFrom{0, -2, 10};
const Vector3d kFoldTo{0, 2, 10};

double Border(const std::vector<EdgeSegment>& segments) {
  return CoveredLength(segments, {-2, -2, 10}, {2, -2, 10}) +
         CoveredLength(segments, {2, -2, 10}, {2, 2, 10}) +
         CoveredLength(segments, {2, 2, 10}, {-2, 2, 10}) +
         CoveredLength(segments, {-2, 2, 10}, {-2, -2, 10});
}

double Diagonal(const std::vector<EdgeSegment>& segments) {
  return CoveredLength(segments, {-2, -2, 10}, {2, 2, 10});
}

// The segments of `kind` that belong to `object`.
std::vector<EdgeSegment> SegmentsOf(const Stack<LineGroup>& elements, uint32_t kind,
                                    const BSPPolyObj& object) {
  std::vector<EdgeSegment> found;
  for (int32_t e = 0; e < elements.Count(); ++e) {
    if (elements[e].kind != kind) continue;
    for (int32_t p = 0; p < elements[e].polygons.Count(); ++p) {
      const EpsPolygon& polygon = elements[e].polygons[p];
      if (polygon.object != &object) continue;
      for (int32_t s = 0; s < polygon.segments.Count(); ++s) found.push_back(polygon.segments[s]);
    }
  }
  return found;
}

using ObjectLinesTest = LineStageTest;

TEST_F(ObjectLinesTest, DrawnEdgesShowTheSharedEdgeOnceAndFlatEdgesOnlyOnRequest) {
  struct Case {
    int32_t style;
    int32_t skipCoplanar;
    double diagonal;
  };
  const Case cases[] = {{kStyleAllEdges, 0, kDiagonal},
                        {kStyleVisibleEdges, 0, kDiagonal},
                        {kStyleAllEdges, 1, 0.0},
                        {kStyleVisibleEdges, 1, 0.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.style << " skip " << c.skipCoplanar);
    LineScene scene(c.style);
    scene.settings.lines.skipCoplanarEdges = c.skipCoplanar;
    AddSquare(scene, kRed, kRed);
    scene.Render();
    ASSERT_EQ(KindsOf(scene.Elements()), std::vector<uint32_t>{kDrawnEdgeKind});
    ASSERT_EQ(scene.Elements()[0].polygons.Count(), 1) << "one list for the object";
    const std::vector<EdgeSegment> drawn = SegmentsOfKind(scene.Elements(), kDrawnEdgeKind);
    EXPECT_NEAR(Diagonal(drawn), c.diagonal, 1e-6);
    EXPECT_NEAR(Border(drawn), 16.0, 1e-6);
    EXPECT_NEAR(TotalLength(drawn), 16.0 + c.diagonal, 1e-6);
  }
}

TEST_F(ObjectLinesTest, HalfHiddenSharedEdgeIsDrawnOnceWhereVisibleWithTheCutsAsInnerEdges) {
  for (const int32_t outlines : {1, 0}) {
    SCOPED_TRACE(testing::Message() << "outlines " << outlines);
    LineScene scene(kStyleVisibleEdges);
    scene.settings.lines.outlineLines = outlines;
    AddSquare(scene, kRed, kRed);
    // In front, hiding the quarter x, y in 0..2 of the square.
    scene.Add({{0, 0, 5}, {1.5f, 0, 5}, {1.5f, 1.5f, 5}, {0, 1.5f, 5}}, {{0, 1, 2, 3}}, {kBlue});
    scene.Render();
    const BSPPolyObj& square = scene.Object(0);

    const std::vector<EdgeSegment> drawn = SegmentsOf(scene.Elements(), kDrawnEdgeKind, square);
    EXPECT_NEAR(CoveredLength(drawn, {-2, -2, 10}, {0, 0, 10}), kDiagonal / 2, 1e-6);
    EXPECT_NEAR(CoveredLength(drawn, {0, 0, 10}, {2, 2, 10}), 0.0, 1e-6);
    EXPECT_NEAR(TotalLength(drawn), 12.0 + kDiagonal / 2, 1e-6);

    // The boundary of the hidden quarter, once; the cuts between visible
    // pieces are gone.
    const std::vector<EdgeSegment> inner = SegmentsOf(scene.Elements(), kInnerEdgeKind, square);
    if (outlines == 0) {
      EXPECT_TRUE(inner.empty());
      continue;
    }
    EXPECT_NEAR(CoveredLength(inner, {0, 0, 10}, {2, 0, 10}), 2.0, 1e-6);
    EXPECT_NEAR(CoveredLength(inner, {0, 0, 10}, {0, 2, 10}), 2.0, 1e-6);
    EXPECT_NEAR(TotalLength(inner), 4.0, 1e-6);
  }
}

TEST_F(ObjectLinesTest, RegionEdgesLeaveOutTheEdgeBetweenEqualColoursOnly) {
  struct Case {
    int32_t style;
    uint32_t lineKind;
    Rgb upper;
    double diagonal;  // drawn from both sides between different colours
  };
  const Case cases[] = {{kStyleEdgeLines, kInnerEdgeKind, kRed, 0.0},
                        {kStyleEdgeLines, kInnerEdgeKind, kBlue, 2 * kDiagonal},
                        {kStyleFilled, kRegionEdgeKind, kRed, 0.0},
                        {kStyleFilled, kRegionEdgeKind, kBlue, 2 * kDiagonal}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.style << (c.diagonal > 0 ? " two colours" : " one"));
    LineScene scene(c.style);
    AddSquare(scene, kRed, c.upper);
    scene.Render();
    const std::vector<EdgeSegment> lines = SegmentsOfKind(scene.Elements(), c.lineKind);
    EXPECT_NEAR(Diagonal(lines), c.diagonal, 1e-6);
    EXPECT_NEAR(Border(lines), 16.0, 1e-6);
    EXPECT_NEAR(TotalLength(lines), 16.0 + c.diagonal, 1e-6);
    // One list per colour group.
    int32_t lists = 0;
    for (int32_t e = 0; e < scene.Elements().Count(); ++e) {
      if (scene.Elements()[e].kind == c.lineKind) lists += scene.Elements()[e].polygons.Count();
    }
    EXPECT_EQ(lists, c.diagonal > 0 ? 2 : 1);
  }
}

TEST_F(ObjectLinesTest, CreaseLinesAppearOnceAndOnlyWithTheCreaseOption) {
  for (const int32_t style : {kStyleEdgeLines, kStyleFilled}) {
    for (const int32_t creases : {1, 0}) {
      SCOPED_TRACE(testing::Message() << style << " creases " << creases);
      LineScene scene(style);
      scene.settings.lines.creaseLines = creases;
      AddFold(scene, kRed, kRed);
      scene.Render();
      const std::vector<EdgeSegment> creaseLines = SegmentsOfKind(scene.Elements(), kCreaseKind);
      EXPECT_NEAR(CoveredLength(creaseLines, kFoldFrom, kFoldTo), creases != 0 ? 4.0 : 0.0, 1e-6);
      EXPECT_NEAR(TotalLength(creaseLines), creases != 0 ? 4.0 : 0.0, 1e-6);
      for (int32_t e = 0; e < scene.Elements().Count(); ++e) {
        if (scene.Elements()[e].kind == kCreaseKind) continue;
        EXPECT_NEAR(CoveredLength(SegmentsOfKind(scene.Elements(), scene.Elements()[e].kind), kFoldFrom,
                                  kFoldTo),
                    0.0, 1e-6)
            << "same colour on both sides: no region edge along the fold";
      }
    }
  }
}

TEST_F(ObjectLinesTest, EachStyleHandsOverItsKindsInOrderWithTheirColours) {
  const PageColour white{255, 255, 255, 255};
  const PageColour red{255, 0, 0, 255};
  const PageColour blue{0, 0, 255, 255};
  struct Case {
    int32_t style;
    int32_t outlines;
    std::vector<uint32_t> kinds;
    std::vector<PageColour> colours;
  };
  const Case cases[] = {
      {kStyleAllEdges, 1, {2}, {white}},
      {kStyleVisibleEdges, 1, {2}, {white}},
      {kStyleEdgeLines, 1, {16, 8}, {white, white}},
      {kStyleFilled, 1, {3, 16, 4, 3, 16, 4, 8}, {red, red, red, blue, blue, blue, white}},
      {kStyleFilled, 0, {1, 4, 1, 4, 8}, {red, red, blue, blue, white}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.style << " outlines " << c.outlines);
    LineScene scene(c.style);
    scene.settings.lines.outlineLines = c.outlines;
    AddFold(scene, kRed, kBlue);
    scene.Render();
    ASSERT_EQ(KindsOf(scene.Elements()), c.kinds);
    for (int32_t e = 0; e < scene.Elements().Count(); ++e) {
      EXPECT_EQ(scene.Elements()[e].colour, c.colours[e]) << e;
      EXPECT_EQ(scene.Elements()[e].object, &scene.Object(0));
    }
  }
}

TEST_F(ObjectLinesTest, LinesCarryTheObjectsWidthAndColour) {
  struct Case {
    int32_t lineWidth;
    int32_t styleWidth;
  };
  for (const Case& c : {Case{0, 1}, Case{2, 40}, Case{20, 400}}) {
    LineScene scene(kStyleEdgeLines);
    scene.settings.lines.lineWidth = c.lineWidth;
    scene.settings.lines.linePageColour.r = 12;
    scene.settings.lines.linePageColour.g = 34;
    AddFold(scene, kRed, kRed);
    scene.Render();
    ASSERT_EQ(scene.Elements().Count(), 2);
    for (int32_t e = 0; e < 2; ++e) {
      EXPECT_EQ(scene.Elements()[e].lineWidth, c.styleWidth) << c.lineWidth;
      EXPECT_EQ(scene.Elements()[e].lineColour.r, 12);
      EXPECT_EQ(scene.Elements()[e].lineColour.g, 34);
    }
  }
}

TEST_F(ObjectLinesTest, CompleteRunConsumesTheObjectsPolygons) {
  LineScene scene(kStyleVisibleEdges);
  AddSquare(scene, kRed, kBlue);
  scene.RenderFragments();
  BSPPolyObj& square = scene.Object(0);
  ASSERT_EQ(square.fragments.Count(), 2);
  ASSERT_EQ(square.polygons.Count(), 2);
  EXPECT_TRUE(drawObjectLines(square, scene.Elements(), scene.job));
  EXPECT_TRUE(square.fragments.Empty());
  EXPECT_TRUE(square.polygons.Empty());
}

// A conversion thread that keeps running after it was asked to stop, so
// that the stop test answers yes for as long as the test needs.
struct StoppedThread : ConvThread {
  std::atomic<bool> release{false};
  void Main() override {
    while (!release) std::this_thread::yield();
  }
};

// A stop request ends the object before its net and lines; the captured
// polygons, which only the passes use, are gone, the fragments stay.
TEST_F(ObjectLinesTest, StopRequestEndsTheObjectBeforeItsLines) {
  LineScene scene(kStyleFilled);
  AddSquare(scene, kRed, kBlue);
  scene.RenderFragments();
  StoppedThread* thread = HostNew<StoppedThread>();
  ASSERT_NE(thread, nullptr);
  ASSERT_TRUE(thread->Start());
  thread->End(false);
  BSPPolyObj& square = scene.Object(0);
  scene.job.thread = thread;

  EXPECT_FALSE(drawObjectLines(square, scene.Elements(), scene.job));
  EXPECT_TRUE(scene.Elements().Empty());
  EXPECT_EQ(square.fragments.Count(), 2);
  EXPECT_EQ(square.polygons.Count(), 0);

  scene.job.thread = nullptr;
  thread->release = true;
  thread->End(true);
  HostDelete(thread);
}

// Fails each allocation of the stage in turn: it reports failure, and
// everything is freed with the scene.
TEST_F(ObjectLinesTest, AllocationFailureAnywhereEndsTheObjectCleanly) {
  for (const int32_t style : {kStyleAllEdges, kStyleVisibleEdges, kStyleEdgeLines, kStyleFilled}) {
    SCOPED_TRACE(style);
    const auto build = [style](LineScene& scene) {
      AddSquare(scene, kRed, kBlue);
      scene.Add({{0, 0, 5}, {1.5f, 0, 5}, {1.5f, 1.5f, 5}, {0, 1.5f, 5}}, {{0, 1, 2, 3}}, {kRed});
      scene.RenderFragments();
    };
    const int64_t liveBefore = host::GetMemoryStats().liveBlocks;
    int64_t allocations = 0;
    {
      LineScene scene(style);
      build(scene);
      const int64_t before = host::GetMemoryStats().totalAllocations;
      ASSERT_TRUE(drawObjectLines(scene.Object(0), scene.Elements(), scene.job));
      allocations = host::GetMemoryStats().totalAllocations - before;
    }
    ASSERT_GT(allocations, 10);
    for (int64_t n = 1; n <= allocations; ++n) {
      {
        LineScene scene(style);
        build(scene);
        host::ConsoleCapture quiet;
        host::FailNthAllocation(n);
        EXPECT_FALSE(drawObjectLines(scene.Object(0), scene.Elements(), scene.job)) << "allocation " << n;
        EXPECT_EQ(MemoryErrorFlag::Test(), 1) << "allocation " << n;
        host::ClearAllocationFaults();
      }
      MemoryErrorFlag::Clear();
      ASSERT_EQ(host::GetMemoryStats().liveBlocks, liveBefore) << "allocation " << n;
    }
  }
}

}  // namespace
