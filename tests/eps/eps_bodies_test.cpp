// The three bodies: which groups each writes, and the clean-up of shared
// lines before writing.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/export_settings.h"
#include "eps/eps_document.h"
#include "eps_test_support.h"

namespace {

const std::array<uint8_t, 3> kWhite = {255, 255, 255};
const std::array<uint8_t, 3> kBlack = {0, 0, 0};
const std::array<uint8_t, 3> kBlue = {0, 0, 255};

class EpsBodiesTest : public EpsTest {
 protected:
  void SetUp() override {
    EpsTest::SetUp();
    SetPage(100, 100, "body.eps");
  }

  // The lines between the setup and the trailer.
  std::vector<std::string> Body(int32_t style) {
    EXPECT_TRUE(WritePage(style, 0));
    const std::vector<std::string> lines = Lines(ReadFile(PathOf("body.eps")));
    const auto begin = std::find(lines.begin(), lines.end(), "%%EndSetup");
    const auto end = std::find(lines.begin(), lines.end(), "%%PageTrailer");
    EXPECT_TRUE(begin != lines.end() && end != lines.end());
    if (begin == lines.end() || end == lines.end()) return {};
    return std::vector<std::string>(begin + 1, end);
  }

  static int Count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
  }

  int objectA_ = 0;
  int objectB_ = 0;
};

TEST_F(EpsBodiesTest, OutlineBodyWritesEachDrawnEdgePolygonAsItsOwnCompoundPath) {
  AddSegments({PageSegment(10, 10, 20, 10)}, Style(2, kWhite, kBlack, 1, &objectA_));
  AddSegments({PageSegment(30, 10, 40, 10)}, Style(2, kWhite, kBlack, 1, &objectB_));
  AddSegments({PageSegment(50, 50, 60, 60)}, Style(16, kWhite, kBlack, 1, &objectA_));
  AddSegments({PageSegment(50, 50, 60, 60)}, Style(4, kWhite, kBlack, 1, &objectA_));
  // The outline body compares depth: these two do not meet.
  AddSegments({EdgeSegment{{0, 5, 1}, {5, 5, 1}}, EdgeSegment{{5, 5, 2}, {9, 5, 2}}},
              Style(2, kWhite, kBlack, 1, &objectA_));

  for (const int32_t style : {kStyleAllEdges, kStyleVisibleEdges}) {
    const std::vector<std::string> body = Body(style);
    EXPECT_EQ(Count(body, "*u"), 3);
    EXPECT_EQ(Count(body, "S"), 4);
    EXPECT_EQ(Count(body, "50 50 m"), 0);
    EXPECT_EQ(body[5], "10 90 m");
  }
}

TEST_F(EpsBodiesTest, EdgeLineBodyMergesStrokesAndDrawsSharedCreasesOnce) {
  // Two overlapping edge-line strokes of object A and a crease of A that
  // lies on them partly; object B has the same crease.
  AddSegments({PageSegment(10, 10, 30, 10), PageSegment(20, 10, 40, 10)},
              Style(16, kWhite, kBlack, 1, &objectA_));
  AddSegments({PageSegment(35, 10, 60, 10)}, Style(8, kWhite, kBlack, 1, &objectA_));
  AddSegments({PageSegment(35, 10, 60, 10)}, Style(8, kWhite, kBlack, 1, &objectB_));

  const std::vector<std::string> body = Body(kStyleEdgeLines);
  EXPECT_EQ(body,
            (std::vector<std::string>{"*u",      "0 XR",    "[] 0 d",  "0.00000 0.00000 0.00000 XA",
                                      "0 w",     "10 90 m", "20 90 l", "30 90 l",
                                      "40 90 l", "S",       "*U",  //
                                      "*u",      "0 XR",    "[] 0 d",  "0.00000 0.00000 0.00000 XA",
                                      "0 w",     "40 90 m", "60 90 l", "S",
                                      "*U",  //
                                      "*u",      "0 XR",    "[] 0 d",  "0.00000 0.00000 0.00000 XA",
                                      "0 w",     "35 90 m", "60 90 l", "S",
                                      "*U"}));
}

TEST_F(EpsBodiesTest, FullBodyFillsRegionsWithoutTheirInnerEdges) {
  // One blue region made of two squares that share the edge x = 50; a
  // crease along its outline and one across it; a region edge group that
  // the outline covers entirely: its edges without the shared one, as the
  // region edges of two neighbours of one colour come.
  std::vector<EdgeSegment> region = Rectangle(10, 10, 50, 50);
  const std::vector<EdgeSegment> right = Rectangle(50, 10, 90, 50);
  region.insert(region.end(), right.begin(), right.end());
  std::vector<EdgeSegment> regionEdges;
  for (const EdgeSegment& s : region)
    if (s.a.x != 50 || s.b.x != 50) regionEdges.push_back(s);
  AddSegments(region, Style(3, kBlue, kBlack, 40, &objectA_));
  AddSegments(regionEdges, Style(16, kBlue, kBlack, 40, &objectA_));
  AddSegments({PageSegment(10, 50, 30, 50), PageSegment(30, 10, 30, 50)},
              Style(8, kWhite, kBlack, 40, &objectA_));
  AddSegments(region, Style(4, kBlue, kBlack, 40, &objectA_));

  const std::vector<std::string> body = Body(kStyleFilled);
  // The region: one outline around both squares, without the shared edge.
  const auto fill = std::find(body.begin(), body.end(), "0.00000 0.00000 1.00000 Xa");
  ASSERT_NE(fill, body.end());
  EXPECT_EQ(std::vector<std::string>(fill + 3, fill + 11),
            (std::vector<std::string>{"10 90 m", "10 50 l", "50 50 l", "90 50 l", "90 90 l",
                                      "50 90 l", "10 90 l", "b"}));
  EXPECT_EQ(Count(body, "*u"), 2);
  // The crease across the region is all that is stroked on its own.
  const auto crease = std::find(body.begin(), body.end(), "S");
  ASSERT_NE(crease, body.end());
  EXPECT_EQ(std::vector<std::string>(crease - 2, crease + 1),
            (std::vector<std::string>{"30 90 m", "30 50 l", "S"}));
}

// A region's outline is directed: where it runs along a stretch twice one
// way and once the other way (as the outlines of a flat triangle and its
// neighbours can), one pass back cancels one pass forth and one forward
// pass stays. Cancelling the two forward passes with each other left the
// backward one against the outline's turn: the outer outline of a region
// with a hole then ran the hole's way, and the hole was filled.
TEST_F(EpsBodiesTest, FullBodyCancelsOnlyStretchesThatTheOutlineRunsBothWays) {
  for (const bool backFirst : {false, true}) {
    SCOPED_TRACE(backFirst);
    elements_.Clear();
    const EdgeSegment back = PageSegment(10, 50, 10, 10);
    const EdgeSegment forth = PageSegment(10, 10, 10, 50);
    std::vector<EdgeSegment> region = {forth, backFirst ? back : forth, backFirst ? forth : back};
    const std::vector<EdgeSegment> outer = Rectangle(10, 10, 50, 50);
    region.insert(region.end(), outer.begin() + 1, outer.end());
    for (const EdgeSegment& s : Rectangle(20, 20, 40, 40)) region.push_back(EdgeSegment{s.b, s.a});
    AddSegments(region, Style(1, kBlue, kBlack, 40, &objectA_));

    // The signed area of each closed path of the fill.
    std::vector<double> areas;
    std::vector<std::pair<double, double>> points;
    for (const std::string& line : Body(kStyleFilled)) {
      double x = 0, y = 0;
      char op = 0;
      if (std::sscanf(line.c_str(), "%lf %lf %c", &x, &y, &op) == 3 && (op == 'm' || op == 'l')) {
        if (op == 'm') points.clear();
        points.emplace_back(x, y);
      } else if (line == "f" || line == "n") {
        double twice = 0;
        for (size_t k = 0; k < points.size(); ++k) {
          const auto& p = points[k];
          const auto& q = points[(k + 1) % points.size()];
          twice += p.first * q.second - q.first * p.second;
        }
        areas.push_back(twice / 2);
      }
    }
    ASSERT_EQ(areas.size(), 2u);
    EXPECT_DOUBLE_EQ(std::fabs(areas[0]) + std::fabs(areas[1]), 1600 + 400);
    EXPECT_LT(areas[0] * areas[1], 0) << "outline and hole run opposite ways";
  }
}

// A drawing cut short by a memory failure is not put in place: an older file
// of the same name stays as it was, and no temporary file is left.
TEST_F(EpsBodiesTest, MemoryFailureLeavesNoHalfWrittenFileAndKeepsTheOldOne) {
  AddSegments({PageSegment(10, 10, 20, 10)}, Style(2, kWhite, kBlack, 1, &objectA_));
  const std::vector<std::string> before = Body(kStyleAllEdges);
  const std::string old = ReadFile(PathOf("body.eps"));
  MemoryErrorFlag::Set();
  for (const int32_t style : {kStyleAllEdges, kStyleEdgeLines, kStyleFilled}) {
    EXPECT_FALSE(WritePage(style, 0));
    EXPECT_EQ(ReadFile(PathOf("body.eps")), old);
    EXPECT_FALSE(std::filesystem::exists(PathOf("body.eps.part")));
  }
  EXPECT_FALSE(before.empty());
}

// Every allocation of a full write fails once in turn: the write never
// crashes, and whenever the file could be opened it is framed.
TEST_F(EpsBodiesTest, EveryAllocationFailureLeavesAFramedFileOrNone) {
  host::ConsoleCapture console;
  for (int64_t n = 1;; ++n) {
    MemoryErrorFlag::Clear();
    page_ = std::make_unique<TestPage>();
    elements_.Clear();
    SetPage(100, 100, "body.eps");
    std::vector<EdgeSegment> region = Rectangle(10, 10, 50, 50);
    const std::vector<EdgeSegment> right = Rectangle(50, 10, 90, 50);
    region.insert(region.end(), right.begin(), right.end());
    AddSegments(region, Style(3, kBlue, kBlack, 40, &objectA_));
    AddSegments(region, Style(16, kBlue, kBlack, 40, &objectA_));
    AddSegments({PageSegment(30, 10, 30, 50)}, Style(8, kWhite, kBlack, 40, &objectA_));
    std::filesystem::remove(PathOf("body.eps"));

    const int64_t failedBefore = host::GetMemoryStats().failedAllocations;
    host::FailNthAllocation(n);
    const bool written = WritePage(kStyleFilled, 0);
    const bool failed = host::GetMemoryStats().failedAllocations > failedBefore;
    host::ClearAllocationFaults();

    if (std::filesystem::exists(PathOf("body.eps"))) {
      EXPECT_EQ(Lines(ReadFile(PathOf("body.eps"))).back(), "%%EOF") << "failing allocation " << n;
    } else {
      EXPECT_FALSE(written) << "failing allocation " << n;
    }
    EXPECT_FALSE(std::filesystem::exists(PathOf("body.eps.part"))) << "failing allocation " << n;
    if (!failed) {  // every allocation of the write has failed once
      EXPECT_TRUE(written);
      EXPECT_GT(n, 20) << "the write should allocate";
      break;
    }
  }
}

}  // namespace
