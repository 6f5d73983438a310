// Segment pools: the overlap cases in both modes and both record layouts,
// subtraction, and the per-object memory of written segments.
#include "lines/segment_pool.h"

#include <algorithm>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "lines/keyed_pool_set.h"

namespace {

struct Span {
  double from;
  double to;
};

// A segment on the x axis.
EdgeSegment OnX(double from, double to) {
  return EdgeSegment{{from, 0, 0}, {to, 0, 0}};
}

template <class Segment>
Segment MakeOnX(double from, double to);
template <>
Segment3D MakeOnX<Segment3D>(double from, double to) {
  return MakeSegment3D({from, 0, 0}, {to, 0, 0}, 7, 0);
}
template <>
SegmentPlain MakeOnX<SegmentPlain>(double from, double to) {
  return MakeSegmentPlain({from, 0, 0}, {to, 0, 0});
}

// The pool's segments as x spans in their own direction, sorted by start.
template <class Segment>
std::vector<std::pair<double, double>> Spans(const SegmentPool<Segment>& pool) {
  std::vector<std::pair<double, double>> spans;
  for (int32_t i = 0; i < pool.segments.Count(); ++i) {
    spans.emplace_back(pool.segments[i].p0.x, pool.segments[i].p1.x);
  }
  std::sort(spans.begin(), spans.end());
  return spans;
}

std::vector<std::pair<double, double>> Spans(const Stack<EdgeSegment>& list) {
  std::vector<std::pair<double, double>> spans;
  for (int32_t i = 0; i < list.Count(); ++i) spans.emplace_back(list[i].a.x, list[i].b.x);
  std::sort(spans.begin(), spans.end());
  return spans;
}

struct PoolCase {
  std::string name;
  std::vector<Span> input;
  std::vector<std::pair<double, double>> cancelled;  // expected in cancel mode
  std::vector<std::pair<double, double>> merged;     // expected in merge mode
};

// Pieces that only one segment covers keep that segment's direction; the
// common stretch runs along the first segment.
const std::vector<PoolCase>& Cases() {
  static const std::vector<PoolCase> cases = {
      {"equal", {{0, 2}, {0, 2}}, {}, {{0, 2}}},
      {"opposite", {{0, 2}, {2, 0}}, {}, {{0, 2}}},
      {"second inside first", {{0, 3}, {1, 2}}, {{0, 1}, {2, 3}}, {{0, 1}, {1, 2}, {2, 3}}},
      {"first inside second", {{1, 2}, {0, 3}}, {{0, 1}, {2, 3}}, {{0, 1}, {1, 2}, {2, 3}}},
      {"reversed inside", {{0, 3}, {2, 1}}, {{0, 1}, {2, 3}}, {{0, 1}, {1, 2}, {2, 3}}},
      {"common start", {{0, 3}, {0, 1}}, {{1, 3}}, {{0, 1}, {1, 3}}},
      {"common end", {{0, 3}, {2, 3}}, {{0, 2}}, {{0, 2}, {2, 3}}},
      {"start meets end inside", {{0, 3}, {1, 0}}, {{1, 3}}, {{0, 1}, {1, 3}}},
      {"end meets start inside", {{0, 3}, {3, 2}}, {{0, 2}}, {{0, 2}, {2, 3}}},
      {"first ends inside second", {{0, 1}, {0, 3}}, {{1, 3}}, {{0, 1}, {1, 3}}},
      {"first starts inside second", {{2, 3}, {0, 3}}, {{0, 2}}, {{0, 2}, {2, 3}}},
      {"first starts where second ends", {{0, 1}, {3, 0}}, {{3, 1}}, {{0, 1}, {3, 1}}},
      {"second starts where first ends", {{1, 3}, {3, 0}}, {{1, 0}}, {{1, 0}, {1, 3}}},
      {"partial same direction", {{0, 2}, {1, 3}}, {{0, 1}, {2, 3}}, {{0, 1}, {1, 2}, {2, 3}}},
      {"partial same direction behind",
       {{1, 3}, {0, 2}},
       {{0, 1}, {2, 3}},
       {{0, 1}, {1, 2}, {2, 3}}},
      {"partial opposite, end inside",
       {{0, 2}, {3, 1}},
       {{0, 1}, {3, 2}},
       {{0, 1}, {1, 2}, {3, 2}}},
      {"partial opposite, start inside",
       {{1, 3}, {2, 0}},
       {{1, 0}, {2, 3}},
       {{1, 0}, {1, 2}, {2, 3}}},
      {"touching ends", {{0, 1}, {1, 2}}, {{0, 1}, {1, 2}}, {{0, 1}, {1, 2}}},
      {"one segment", {{0, 1}}, {{0, 1}}, {{0, 1}}},
      {"three stacked", {{0, 3}, {0, 3}, {0, 3}}, {{0, 3}}, {{0, 3}}},
  };
  return cases;
}

template <class Segment>
class PoolCases : public HostTest {
 protected:
  void Check(int32_t cancel) {
    for (const PoolCase& c : Cases()) {
      SegmentPool<Segment> pool;
      pool.cancel = cancel;
      pool.tolerance = 1e-5;
      for (const Span& s : c.input) pool.segments.Push(MakeOnX<Segment>(s.from, s.to));
      resolve(pool);
      std::vector<std::pair<double, double>> expected = cancel ? c.cancelled : c.merged;
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(Spans(pool), expected) << c.name << (cancel ? " (cancel)" : " (merge)");
    }
  }
};

using Layouts = ::testing::Types<Segment3D, SegmentPlain>;
TYPED_TEST_SUITE(PoolCases, Layouts);

TYPED_TEST(PoolCases, CancelModeKeepsWhatOnlyOneCovers) {
  this->Check(1);
}
TYPED_TEST(PoolCases, MergeModeKeepsEverythingOnce) {
  this->Check(0);
}

class SegmentPoolTest : public HostTest {};

TEST_F(SegmentPoolTest, MergedEndsAreAveragedAndPiecesCarryTheFirstValue) {
  SegmentPool3D pool;
  pool.cancel = 0;
  pool.tolerance = 0.001;
  pool.segments.Push(MakeSegment3D({0, 0, 0}, {2, 0, 0}, 5, 0));
  pool.segments.Push(MakeSegment3D({0.0008, 0.0004, 0}, {2.0002, 0, 0}, 9, 0));
  resolve(pool);
  ASSERT_EQ(pool.segments.Count(), 1);
  const Segment3D& s = pool.segments[0];
  EXPECT_DOUBLE_EQ(s.p0.x, 0.0004);
  EXPECT_DOUBLE_EQ(s.p0.y, 0.0002);
  EXPECT_DOUBLE_EQ(s.p1.x, 2.0001);
  EXPECT_EQ(s.value, 5);
  EXPECT_TRUE(s.owned);
  EXPECT_DOUBLE_EQ(s.dir.x, s.p1.x - s.p0.x);
  EXPECT_DOUBLE_EQ(s.lengthSquared, s.dir.x * s.dir.x + s.dir.y * s.dir.y);
}

TEST_F(SegmentPoolTest, LeavesSegmentsOnOtherLinesOrDirectionsAlone) {
  SegmentPoolPlain pool;
  pool.cancel = 1;
  pool.segments.Push(MakeSegmentPlain({0, 0, 0}, {2, 0, 0}));
  pool.segments.Push(MakeSegmentPlain({0, 0.001, 0}, {2, 0.001, 0}));  // parallel, off the line
  pool.segments.Push(MakeSegmentPlain({1, -1, 0}, {1, 1, 0}));         // crossing
  pool.segments.Push(MakeSegmentPlain({0.5, 0, 0}, {0.5, 0, 0}));      // a point on the line
  resolve(pool);
  EXPECT_EQ(pool.segments.Count(), 4);
}

// Overlaps in any direction are resolved, including ones that only show up
// after earlier pairs were replaced by their pieces.
TEST_F(SegmentPoolTest, CancelsSharedEdgesOfAFanOfTriangles) {
  SegmentPoolPlain pool;
  pool.cancel = 1;
  const Vector3d centre{0, 0, 0};
  const Vector3d rim[4] = {{1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}};
  for (int k = 0; k < 4; ++k) {
    const Vector3d& a = rim[k];
    const Vector3d& b = rim[(k + 1) % 4];
    pool.segments.Push(MakeSegmentPlain(centre, a));
    pool.segments.Push(MakeSegmentPlain(a, b));
    pool.segments.Push(MakeSegmentPlain(b, centre));
  }
  resolve(pool);
  ASSERT_EQ(pool.segments.Count(), 4);
  for (int32_t i = 0; i < pool.segments.Count(); ++i) {
    EXPECT_DOUBLE_EQ(Length(pool.segments[i].p0), 1.0);
    EXPECT_DOUBLE_EQ(Length(pool.segments[i].p1), 1.0);
  }
}

TEST_F(SegmentPoolTest, SubtractLeavesWhatThePoolDoesNotCover) {
  struct SubtractCase {
    std::string name;
    std::vector<Span> pool;
    std::vector<Span> list;
    std::vector<std::pair<double, double>> left;
  };
  const std::vector<SubtractCase> cases = {
      {"middle third", {{1, 2}}, {{0, 3}}, {{0, 1}, {2, 3}}},
      {"whole", {{3, 0}}, {{0, 3}}, {}},
      {"two covers", {{0, 1}, {2, 3}}, {{0, 3}}, {{1, 2}}},
      {"overhang", {{2, 5}}, {{0, 3}, {4, 6}}, {{0, 2}, {5, 6}}},
      {"disjoint", {{5, 6}}, {{0, 3}}, {{0, 3}}},
      {"empty pool", {}, {{0, 3}}, {{0, 3}}},
  };
  for (const SubtractCase& c : cases) {
    SegmentPoolPlain pool;
    pool.tolerance = 0.0005;
    for (const Span& s : c.pool) pool.segments.Push(MakeSegmentPlain({s.from, 0, 0}, {s.to, 0, 0}));
    Stack<EdgeSegment> list;
    for (const Span& s : c.list) list.Push(OnX(s.from, s.to));
    subtract(pool, list);
    EXPECT_EQ(Spans(list), c.left) << c.name;
  }
}

TEST_F(SegmentPoolTest, RememberedSegmentsAreForgottenOnlyForTheirKey) {
  int objectA = 0;
  int objectB = 0;
  KeyedPoolSet set;
  Stack<EdgeSegment> edges;
  edges.Push(OnX(0, 1));
  edges.Push(EdgeSegment{{0, 0, 0}, {0, 1, 0}});

  Stack<EdgeSegment> never = edges;
  forgetRemembered(set, &objectA, never);
  EXPECT_EQ(never.Count(), 2);

  rememberSegments(set, &objectA, edges);
  Stack<EdgeSegment> same = edges;
  forgetRemembered(set, &objectA, same);
  EXPECT_EQ(same.Count(), 0);

  Stack<EdgeSegment> other = edges;
  forgetRemembered(set, &objectB, other);
  EXPECT_EQ(other.Count(), 2);

  // A second list under the same key joins the first entry.
  Stack<EdgeSegment> more;
  more.Push(OnX(5, 6));
  rememberSegments(set, &objectA, more);
  EXPECT_EQ(set.entries.Count(), 1);
  EXPECT_EQ(set.entries[0].pool.segments.Count(), 3);
}

TEST_F(SegmentPoolTest, GrowthFailureStopsResolvingAndSetsTheFlag) {
  SegmentPoolPlain pool;
  pool.cancel = 0;
  for (int k = 0; k < 20; ++k)
    pool.segments.Push(MakeSegmentPlain({0.0 + k, 0, 0}, {2.0 + k, 0, 0}));
  host::ConsoleCapture console;
  host::FailAllocationsAfter(3);
  resolve(pool);
  host::ClearAllocationFaults();
  EXPECT_NE(MemoryErrorFlag::Test(), 0);
  EXPECT_TRUE(console.Contains("NO MEMORY: stack 237"));
  MemoryErrorFlag::Clear();
}

}  // namespace
