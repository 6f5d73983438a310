// Pass 2 on the host's threads: the same fragments in the same order for any
// number of threads and without the host's parallel service, and a stop
// request that arrives on any of the threads ends the pass.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstddef>
#include <string>
#include <thread>
#include <vector>

#include "bsp_fixture.h"
#include "host/runtime.h"
#include "test_scene.h"
#include "visibility/passes.h"

namespace {

using ParallelPassTest = BspTest;

// A wavy sheet whose ridges hide the valleys behind them, a few triangles in
// front of it, an object entirely behind another one and one out of view.
void AddFoldedScene(TestScene& scene) {
  constexpr int kSide = 30;
  std::vector<HostVector> points;
  std::vector<PolygonCorners> quads;
  for (int j = 0; j <= kSide; ++j) {
    for (int i = 0; i <= kSide; ++i) {
      const float x = -4.0f + 8.0f * i / kSide;
      const float y = -3.0f + 6.0f * j / kSide;
      points.push_back({x, y, 11.0f + 1.5f * std::sin(3.0f * x) * std::cos(2.0f * y)});
    }
  }
  for (int j = 0; j < kSide; ++j) {
    for (int i = 0; i < kSide; ++i) {
      const int32_t a = j * (kSide + 1) + i;
      quads.push_back({a, a + 1, a + kSide + 2, a + kSide + 1});
    }
  }
  scene.Add(points, quads);
  scene.Add({{-2, -2, 7}, {1, -1, 7.5f}, {-1, 2, 8}, {0.5f, 0.5f, 6}, {3, 1, 6.5f}, {2, 3, 9}},
            {{0, 1, 2, 2}, {3, 4, 5, 5}});
  scene.Add({{-1, -1, 30}, {1, -1, 30}, {1, 1, 30}, {-1, 1, 30}}, {{0, 1, 2, 3}});
  scene.Add({{50, 50, 10}, {51, 50, 10}, {50, 51, 10}}, {{0, 1, 2, 2}});
}

// Every field of every fragment that a later stage reads, object by object.
std::vector<double> Fragments(TestScene& scene) {
  std::vector<double> all;
  for (int32_t o = 0; o < scene.Objects().Count(); ++o) {
    const Stack<BspPolygon>& fragments = scene.Objects()[o]->fragments;
    all.push_back(-1e300);  // the object's start
    for (int32_t f = 0; f < fragments.Count(); ++f) {
      const BspPolygon& p = fragments[f];
      all.insert(all.end(), {static_cast<double>(p.polygonIndex), p.plane.a, p.plane.b, p.plane.c,
                             p.plane.d, static_cast<double>(p.flipped)});
      for (int32_t e = 0; e < p.edges.Count(); ++e) {
        const BspEdge& edge = p.edges[e];
        all.insert(all.end(), {edge.start.x, edge.start.y, edge.start.z, edge.end.x, edge.end.y,
                               edge.end.z, static_cast<double>(edge.flags), edge.edgePlane.a,
                               edge.edgePlane.b, edge.edgePlane.c, edge.edgePlane.d});
      }
    }
  }
  return all;
}

// The fragments of the folded scene with this many threads; 0 binds the
// module to a host whose table ends before the parallel service.
std::vector<double> FragmentsWithThreads(int32_t threads) {
  HostApi older = *host::Table();
  older.size = static_cast<int32_t>(offsetof(HostApi, parallelThreads));
  if (threads == 0) HostBind(&older);
  host::SetParallelThreads(threads == 0 ? 4 : threads);
  TestScene scene(200, 150);
  AddFoldedScene(scene);
  scene.Capture();
  const bool passed = scene.RunPasses();
  HostBind(host::Table());
  EXPECT_TRUE(passed);
  return Fragments(scene);
}

TEST_F(ParallelPassTest, TheFragmentsDoNotDependOnTheNumberOfThreads) {
  const std::vector<double> one = FragmentsWithThreads(1);
  ASSERT_GT(one.size(), 30000u) << "the scene is too small to show anything";
  for (const int32_t threads : {2, 3, 4, 0}) {
    SCOPED_TRACE(threads == 0 ? std::string("a host without the service")
                              : std::to_string(threads) + " threads");
    const std::vector<double> many = FragmentsWithThreads(threads);
    ASSERT_EQ(many.size(), one.size());
    for (size_t i = 0; i < one.size(); ++i) {
      // Bit for bit: NaN would fail too, and does not occur.
      ASSERT_EQ(many[i], one[i]) << "value " << i;
    }
  }
}

// The stop request comes while ranges run, through the status display that
// one of them updates: the pass ends without a memory failure, before the
// last range.
TEST_F(ParallelPassTest, AStopRequestDuringThePassEndsIt) {
  struct Waiter : Thread {
    std::atomic<bool> release{false};
    void Main() override {
      while (!release) std::this_thread::yield();
    }
  };
  for (const int32_t threads : {1, 2}) {
    SCOPED_TRACE(std::to_string(threads) + " threads");
    host::SetParallelThreads(threads);
    Waiter* waiter = HostNew<Waiter>();
    ASSERT_TRUE(waiter->Start());
    TestScene scene(200, 150);
    scene.job.thread = waiter;
    AddFoldedScene(scene);
    scene.Capture();
    ASSERT_TRUE(
        RunOcclusionPass(scene.View(), scene.tree, scene.clipped, scene.job, ProgressBand{0, 25}));
    std::atomic<int32_t> highest{0};
    host::SetStatusListener([&](const host::StatusState& status) {
      if (status.percent > 25 && status.percent < 50) waiter->End(false);
      if (status.percent > highest) highest = status.percent;
    });
    const bool finished = RunVisibilityPass(scene.View(), scene.tree, scene.Objects(), scene.job,
                                            ProgressBand{25, 50});
    host::SetStatusListener(nullptr);
    EXPECT_FALSE(finished);
    EXPECT_EQ(MemoryErrorFlag::Test(), 0);
    EXPECT_LT(highest.load(), 50) << "the pass ran to its end";
    waiter->release = true;
    waiter->End(true);
    HostDelete(waiter);
  }
}

}  // namespace
