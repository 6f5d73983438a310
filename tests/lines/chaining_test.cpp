// Page projection, the line chainer and the region chainer.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "eps_test_support.h"
#include "lines/line_chainer.h"
#include "lines/page_projection.h"
#include "lines/region_chainer.h"

namespace {

EdgeSegment Seg(double ax, double ay, double bx, double by) {
  return EdgeSegment{{ax, ay, 0}, {bx, by, 0}};
}

std::vector<std::array<double, 2>> Points(const EpsPath& path) {
  std::vector<std::array<double, 2>> points;
  for (int32_t i = 0; i < path.points.Count(); ++i) {
    points.push_back({path.points[i].x, path.points[i].y});
  }
  return points;
}

class ChainingTest : public EpsTest {
 protected:
  Stack<EpsPath> Chain(const std::vector<EdgeSegment>& input, double tolerance) {
    Stack<EdgeSegment> segments;
    for (const EdgeSegment& s : input) segments.Push(s);
    Stack<EpsPath> paths;
    ChainSegments(segments, paths, tolerance);
    EXPECT_EQ(segments.Count(), 0);
    return paths;
  }

  Stack<EpsPath> ChainRegions(const std::vector<EdgeSegment>& input, double tolerance) {
    Stack<EdgeSegment> segments;
    for (const EdgeSegment& s : input) segments.Push(s);
    Stack<EpsPath> paths;
    ChainRegion(segments, paths, tolerance);
    EXPECT_EQ(segments.Count(), 0);
    return paths;
  }
};

TEST_F(ChainingTest, SquareInAnyOrderAndDirectionClosesIntoFivePoints) {
  const std::vector<EdgeSegment> sides = {Seg(0, 0, 1, 0), Seg(1, 0, 1, 1), Seg(1, 1, 0, 1),
                                          Seg(0, 1, 0, 0)};
  std::array<int, 4> order = {0, 1, 2, 3};
  do {
    for (int flips = 0; flips < 16; ++flips) {
      std::vector<EdgeSegment> input;
      for (int k = 0; k < 4; ++k) {
        EdgeSegment s = sides[order[k]];
        if ((flips >> k) & 1) std::swap(s.a, s.b);
        input.push_back(s);
      }
      const Stack<EpsPath> paths = Chain(input, 0.0001);
      ASSERT_EQ(paths.Count(), 1);
      const auto points = Points(paths[0]);
      ASSERT_EQ(points.size(), 5u);
      EXPECT_EQ(points.front(), points.back());
      std::vector<std::array<double, 2>> corners(points.begin(), points.end() - 1);
      std::sort(corners.begin(), corners.end());
      EXPECT_EQ(corners, (std::vector<std::array<double, 2>>{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
    }
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(ChainingTest, StraightestBranchContinuesThePath) {
  // From (1,0) a bent branch comes first, the straight one second.
  const Stack<EpsPath> paths =
      Chain({Seg(0, 0, 1, 0), Seg(1, 0, 1, 1), Seg(1, 0, 2, 0.01)}, 0.0001);
  ASSERT_EQ(paths.Count(), 2);
  EXPECT_EQ(Points(paths[0]), (std::vector<std::array<double, 2>>{{0, 0}, {1, 0}, {2, 0.01}}));
  EXPECT_EQ(Points(paths[1]), (std::vector<std::array<double, 2>>{{1, 0}, {1, 1}}));
}

TEST_F(ChainingTest, ToleranceDecidesWhetherEndsMatch) {
  const std::vector<EdgeSegment> input = {Seg(0, 0, 1, 0), Seg(1.001, 0, 2, 0)};
  EXPECT_EQ(Chain(input, 0.0001).Count(), 2);
  EXPECT_EQ(Chain(input, 0.01).Count(), 1);
}

TEST_F(ChainingTest, ZeroLengthSegmentIsTakenWhenItMatches) {
  const Stack<EpsPath> paths = Chain({Seg(0, 0, 1, 0), Seg(1, 0, 1, 0)}, 0.0001);
  ASSERT_EQ(paths.Count(), 1);
  EXPECT_EQ(paths[0].points.Count(), 3);
}

TEST_F(ChainingTest, LongRunsChainThroughTheIndexInAnyOrder) {
  // A zigzag of 2000 segments, shuffled by a fixed stride, with reversed halves.
  std::vector<EdgeSegment> input;
  const int n = 2000;
  for (int k = 0; k < n; ++k) {
    EdgeSegment s = Seg(k, (k % 2) * 3.0, k + 1, ((k + 1) % 2) * 3.0);
    if (k % 3 == 0) std::swap(s.a, s.b);
    input.push_back(s);
  }
  std::vector<EdgeSegment> shuffled;
  for (int k = 0; k < n; ++k) shuffled.push_back(input[(k * 7919) % n]);
  const Stack<EpsPath> paths = Chain(shuffled, 0.0001);
  ASSERT_EQ(paths.Count(), 1);
  EXPECT_EQ(paths[0].points.Count(), n + 1);
}

TEST_F(ChainingTest, RegionChainerClosesAnOpenChain) {
  const Stack<EpsPath> paths =
      ChainRegions({Seg(0, 0, 1, 0), Seg(1, 0, 1, 1), Seg(1, 1, 0, 1)}, 0.5);
  ASSERT_EQ(paths.Count(), 1);
  EXPECT_EQ(Points(paths[0]),
            (std::vector<std::array<double, 2>>{{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}}));
}

TEST_F(ChainingTest, RegionChainerJoinsOpenRunsAtTheirTouchingEnds) {
  // A square whose top side runs the wrong way: the walk leaves three open
  // runs, which joining puts together, the top one reversed.
  const Stack<EpsPath> paths =
      ChainRegions({Seg(0, 0, 2, 0), Seg(2, 0, 2, 2), Seg(0, 2, 2, 2), Seg(0, 2, 0, 0)}, 0.5);
  ASSERT_EQ(paths.Count(), 1);
  EXPECT_EQ(Points(paths[0]),
            (std::vector<std::array<double, 2>>{{0, 0}, {2, 0}, {2, 2}, {0, 2}, {0, 0}}));
}

TEST_F(ChainingTest, RegionChainerBridgesSmallGapsAndClosesEveryPath) {
  host::ConsoleCapture console;
  const std::vector<EdgeSegment> input = {Seg(0, 0, 1, 0), Seg(1, 0, 1, 1),   Seg(1, 1, 2, 1),
                                          Seg(2, 1, 2, 2), Seg(2, 2, 1, 2),   Seg(1, 2, 1, 1),
                                          Seg(1, 1, 0, 1), Seg(0, 1, 0, 0.1),  // gap of 0.1
                                          Seg(5, 5, 6, 5)};                    // a stray piece
  const Stack<EpsPath> paths = ChainRegions(input, 0.5);
  int32_t points = 0;
  for (int32_t i = 0; i < paths.Count(); ++i) {
    const Stack<Vector3d>& p = paths[i].points;
    EXPECT_TRUE(SameWithin(p[0], p[p.Count() - 1], 0.00001)) << "path " << i;
    EXPECT_LT(p[p.Count() - 1].x, 5.0) << "the stray piece bounds no area and is left out";
    points += p.Count();
  }
  // Every segment but the stray one was used, and each path adds one
  // closing point.
  EXPECT_EQ(points, static_cast<int32_t>(input.size()) - 1 + 2 * paths.Count());
  EXPECT_TRUE(console.Contains("mehrere"));  // two exact ways on at (1, 1)
}

// Many small squares whose corners lie just either side of the lines of the
// chainer's search grid (multiples of the tolerance), each corner moved by
// less than the tolerance, in a shuffled order: every square is found whole.
TEST_F(ChainingTest, RegionChainerFindsContinuationsAcrossItsSearchGrid) {
  const double tolerance = 0.5;
  std::vector<EdgeSegment> input;
  int squares = 0;
  for (int row = 0; row < 40; ++row) {
    for (int column = 0; column < 40; ++column, ++squares) {
      const double x = column * 3.0, y = row * 3.0;
      const double wobble = ((row * 40 + column) % 7 - 3) * 0.1;  // less than the tolerance
      const double corner[4][2] = {{x, y}, {x + 1, y}, {x + 1, y + 1}, {x, y + 1}};
      for (int k = 0; k < 4; ++k) {
        const double* p = corner[k];
        const double* q = corner[(k + 1) % 4];
        input.push_back(Seg(p[0], p[1], q[0] + (k == 1 ? wobble : 0), q[1]));
      }
    }
  }
  std::vector<EdgeSegment> shuffled;
  const int n = static_cast<int>(input.size());
  for (int k = 0; k < n; ++k) shuffled.push_back(input[(k * 7919) % n]);
  const Stack<EpsPath> paths = ChainRegions(shuffled, tolerance);
  ASSERT_EQ(paths.Count(), squares);
  for (int32_t i = 0; i < paths.Count(); ++i) {
    // Four sides and the closing point; one more where the walk began just
    // after a gap and the path is closed over it.
    const Stack<Vector3d>& p = paths[i].points;
    ASSERT_TRUE(p.Count() == 5 || p.Count() == 6) << i;
    EXPECT_TRUE(SameWithin(p[0], p[p.Count() - 1], 0.00001)) << i;
  }
}

// A dense outline as the visible pieces of a fine mesh make it: a ring of
// 200 pieces, each shorter than the chaining tolerance, whose ends miss the
// next piece's start by up to 1/500 pt, and a cut into the ring whose two
// sides, out and back, miss each other by as little. The ring closes into
// one exact path through each of its corners once; the cut, which bounds no
// area, and the sliver it would leave are gone.
TEST_F(ChainingTest, RegionChainerWeldsNearlyMeetingEndsOfADenseOutline) {
  host::ConsoleCapture console;
  constexpr int kPieces = 200;
  const double pi = std::acos(-1.0);
  const auto corner = [&](int k) {
    return std::array<double, 2>{3 * std::cos(2 * pi * k / kPieces),
                                 3 * std::sin(2 * pi * k / kPieces)};
  };
  std::vector<EdgeSegment> input;
  for (int k = 0; k < kPieces; ++k) {
    const std::array<double, 2> p = corner(k), q = corner(k + 1);
    const double miss = ((k * 37) % 5 - 2) * 0.001;
    input.push_back(Seg(p[0] + miss, p[1] - miss, q[0], q[1]));
  }
  const std::array<double, 2> mouth = corner(50);
  input.push_back(Seg(mouth[0], mouth[1], 0.5, 0.4));
  input.push_back(Seg(0.5015, 0.4005, mouth[0] + 0.001, mouth[1]));

  const Stack<EpsPath> paths = ChainRegions(input, 0.5);
  ASSERT_EQ(paths.Count(), 1);
  const std::vector<std::array<double, 2>> points = Points(paths[0]);
  ASSERT_EQ(points.size(), static_cast<size_t>(kPieces + 1));
  EXPECT_EQ(points.front(), points.back());
  for (int k = 0; k < kPieces; ++k) {
    const std::array<double, 2> expected = corner(k + 1);
    const auto near = [&](const std::array<double, 2>& p) {
      return std::hypot(p[0] - expected[0], p[1] - expected[1]) < 0.003;
    };
    EXPECT_EQ(std::count_if(points.begin(), points.end() - 1, near), 1) << "corner " << k + 1;
  }
  EXPECT_FALSE(console.Contains("nichts passendes"));
}

TEST_F(ChainingTest, RegionChainerReportsWhenNoContinuationIsExact) {
  host::ConsoleCapture console;
  ChainRegions({Seg(0, 0, 1, 0), Seg(1.1, 0, 1, 1), Seg(1.2, 0, 2, 0)}, 0.5);
  EXPECT_TRUE(console.Contains("nichts passendes"));
  EXPECT_FALSE(console.Contains("mehrere"));
}

TEST_F(ChainingTest, TurningMeasureOfTheWaysOutOfACorner) {
  // Coming along +x into the origin (y grows downward on the page).
  struct Way {
    EdgeSegment out;
    float measure;
  };
  const Vector3d before{-1, 0, 0};
  const Vector3d last{0, 0, 0};
  const std::vector<Way> ways = {
      {Seg(0, 0, 0, -1), 90.0f},  {Seg(0, 0, 1, 0), 270.0f},   {Seg(0, 0, 0, 1), 360.0f},
      {Seg(0, 0, -1, -1), 45.0f}, {Seg(0, 0, -1, 1), 287.03f},
  };
  for (const Way& way : ways) {
    EXPECT_NEAR(TurningMeasure(before, last, way.out), way.measure, 0.01)
        << way.out.b.x << "," << way.out.b.y;
  }
}

TEST_F(ChainingTest, ProjectionDividesByDepthOnlyInFrontOfTheCamera) {
  AffineMap camera;
  camera.off = Vector3d{0, 0, 0};
  const Vector3d front = ProjectPoint({1, 2, 4}, camera, 2.0f, true, 300, 200);
  EXPECT_DOUBLE_EQ(front.x, 150.0 + 0.5);
  EXPECT_DOUBLE_EQ(front.y, 200.0 - (100.0 + 1.0));
  EXPECT_DOUBLE_EQ(front.z, 4.0);
  const Vector3d behind = ProjectPoint({1, 2, -4}, camera, 2.0f, true, 300, 200);
  EXPECT_DOUBLE_EQ(behind.x, 151.0);
  EXPECT_DOUBLE_EQ(behind.y, 98.0);
  EXPECT_DOUBLE_EQ(behind.z, -4.0);
  // A parallel projection scales by the zoom at every depth.
  for (double depth : {4.0, 40.0, -4.0}) {
    const Vector3d parallel = ProjectPoint({1, 2, depth}, camera, 2.0f, false, 300, 200);
    EXPECT_DOUBLE_EQ(parallel.x, 152.0) << depth;
    EXPECT_DOUBLE_EQ(parallel.y, 96.0) << depth;
    EXPECT_DOUBLE_EQ(parallel.z, depth);
  }

  // The whole page: axes and offset of the camera apply to every end point.
  camera.off = Vector3d{0, 0, 10};
  camera.v1 = Vector3d{0, 1, 0};
  camera.v2 = Vector3d{1, 0, 0};
  Stack<LineGroup> elements;
  Stack<EdgeSegment> segments;
  segments.Push(EdgeSegment{{0, 0, 0}, {10, 0, 0}});
  ASSERT_TRUE(AddPolygon(elements, segments, LineGroupStyle{}));
  ProjectPage(elements, camera, 1.0f, true, 300, 200);
  const EdgeSegment& s = elements[0].polygons[0].segments[0];
  EXPECT_DOUBLE_EQ(s.a.x, 150.0);
  EXPECT_DOUBLE_EQ(s.a.y, 100.0);
  EXPECT_DOUBLE_EQ(s.b.x, 150.0);
  EXPECT_DOUBLE_EQ(s.b.y, 99.0);
}

}  // namespace
