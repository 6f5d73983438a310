// The plotter paths (pen graph, Euler chaining, simplification, short
// strokes, nearest-end order) and the paper layout, on small drawings built
// by hand.
#include "plotter/plotter_paths.h"

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "eps_test_support.h"
#include "host/runtime.h"
#include "plotter/paper_layout.h"
#include "plotter/plotter_order.h"

namespace {

using Polyline = std::vector<std::array<double, 2>>;

struct Pen {
  uint8_t grey = 0;
  int32_t width = 0;
};
constexpr Pen kBlack{0, 0};
constexpr Pen kRed{200, 20};

class PlotterPathsTest : public EpsTest {
 protected:
  // Adds a part of stroked (kind 16) or filled (kind 1 or 3) paths.
  void AddPart(Pen pen, uint32_t kind, const std::vector<Polyline>& paths) {
    DrawingPart part;
    part.paint.kind = kind;
    part.paint.lineColour = PageColour{pen.grey, pen.grey, pen.grey, 255};
    part.paint.lineWidth = pen.width;
    for (const Polyline& line : paths) {
      EpsPath path;
      for (const auto& p : line) path.points.Push(Vector3d{p[0], p[1], 7.0});
      part.paths.Push(path);
    }
    drawing_.parts.Push(part);
  }

  void Run(double minLength = 0.5, double simplify = 0.0) {
    PlotterOptions options;
    options.on = true;
    options.minLength = minLength;
    options.simplify = simplify;
    ASSERT_TRUE(MakePlotterPaths(drawing_, options, nullptr));
    for (int32_t i = 0; i < drawing_.parts.Count(); ++i)
      EXPECT_EQ(drawing_.parts[i].paint.kind, kDrawnEdgeKind) << "strokes only";
  }

  // The output paths of each pen (grey value), in their order.
  std::map<int, std::vector<Polyline>> ByPen() const {
    std::map<int, std::vector<Polyline>> pens;
    for (int32_t i = 0; i < drawing_.parts.Count(); ++i) {
      const DrawingPart& part = drawing_.parts[i];
      std::vector<Polyline>& lines = pens[part.paint.lineColour.r];
      for (int32_t k = 0; k < part.paths.Count(); ++k) {
        Polyline line;
        for (int32_t j = 0; j < part.paths[k].points.Count(); ++j)
          line.push_back({part.paths[k].points[j].x, part.paths[k].points[j].y});
        lines.push_back(line);
      }
    }
    return pens;
  }

  static double Length(const Polyline& line) {
    double length = 0;
    for (size_t i = 1; i < line.size(); ++i)
      length += std::hypot(line[i][0] - line[i - 1][0], line[i][1] - line[i - 1][1]);
    return length;
  }

  double Ink(int grey) const {
    double ink = 0;
    const auto pens = ByPen();
    if (pens.count(grey) == 0) return 0;
    for (const Polyline& line : pens.at(grey)) ink += Length(line);
    return ink;
  }

  Drawing drawing_;
};

// Two filled squares side by side: their shared side is one stroke, and the
// outline with the middle line is a single path (two odd vertices).
TEST_F(PlotterPathsTest, SharedBoundaryOfTwoRegionsIsDrawnOnce) {
  AddPart(kBlack, kFillKind | kDrawnEdgeKind, {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}});
  AddPart(kBlack, kFillKind, {{{10, 0}, {20, 0}, {20, 10}, {10, 10}}});
  Run();
  const auto pens = ByPen();
  ASSERT_EQ(pens.size(), 1u);
  ASSERT_EQ(pens.at(0).size(), 1u);
  EXPECT_NEAR(Length(pens.at(0)[0]), 70.0, 1e-9);
  EXPECT_EQ(drawing_.parts[0].paths[0].points[0].z, 0.0) << "page points";
}

// Collinear pieces that lie on each other are drawn once; where two pens
// meet, the one put down later keeps the shared stretch.
TEST_F(PlotterPathsTest, CollinearOverlapsAreDrawnOnceByThePenOnTop) {
  struct Case {
    const char* name;
    Polyline first, second;
    Pen secondPen;
    double blackInk, redInk;
  };
  const Case cases[] = {
      {"partial", {{0, 0}, {10, 0}}, {{5, 0}, {15, 0}}, kBlack, 15, 0},
      {"reversed", {{0, 0}, {10, 0}}, {{15, 0}, {5, 0}}, kBlack, 15, 0},
      {"contained", {{0, 0}, {20, 0}}, {{5, 0}, {10, 0}}, kBlack, 20, 0},
      {"slightly off the line", {{0, 0}, {10, 0}}, {{5, 0.02}, {15, 0.02}}, kBlack, 15, 0},
      {"slanted, many points",
       {{0, 0}, {3, 3}, {6, 6}},
       {{2, 2}, {8, 8}},
       kBlack,
       8 * std::sqrt(2.0),
       0},
      {"other pen on top", {{0, 0}, {10, 0}}, {{5, 0}, {15, 0}}, kRed, 5, 10},
      {"parallel, apart", {{0, 0}, {10, 0}}, {{0, 0.5}, {10, 0.5}}, kBlack, 20, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    drawing_.parts.Clear();
    AddPart(kBlack, kInnerEdgeKind, {c.first});
    AddPart(c.secondPen, kInnerEdgeKind, {c.second});
    Run();
    EXPECT_NEAR(Ink(0), c.blackInk, 0.05);
    EXPECT_NEAR(Ink(200), c.redInk, 0.05);
    if (c.redInk > 0) {
      EXPECT_EQ(drawing_.parts[1].paint.lineWidth, kRed.width);
    }
  }
}

// A grid of 4 x 4 cells drawn as 40 unit pieces in scrambled order and
// direction: 12 odd vertices on the border, so 6 paths; a separate closed
// triangle adds one more.
TEST_F(PlotterPathsTest, ChainsMeetTheEulerBound) {
  std::vector<Polyline> pieces;
  for (int i = 0; i <= 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      pieces.push_back({{double(j), double(i)}, {double(j + 1), double(i)}});
      pieces.push_back({{double(i), double(j + 1)}, {double(i), double(j)}});
    }
  }
  for (size_t k = 0; k < pieces.size(); k += 3)
    std::swap(pieces[k], pieces[(k * 7) % pieces.size()]);
  pieces.push_back({{10, 10}, {12, 10}, {11, 12}, {10, 10}});
  AddPart(kBlack, kInnerEdgeKind, pieces);
  Run(0.0);
  const auto pens = ByPen();
  EXPECT_EQ(pens.at(0).size(), 7u);
  EXPECT_NEAR(Ink(0), 40 + 2 + 2 * std::sqrt(5.0), 1e-9);
}

// Turns sharper than a right angle inside the paths of one pen.
int SharpTurns(const std::vector<Polyline>& lines) {
  int turns = 0;
  for (const Polyline& line : lines) {
    for (size_t i = 1; i + 1 < line.size(); ++i) {
      const double dot = (line[i][0] - line[i - 1][0]) * (line[i + 1][0] - line[i][0]) +
                         (line[i][1] - line[i - 1][1]) * (line[i + 1][1] - line[i][1]);
      turns += dot < 0 ? 1 : 0;
    }
  }
  return turns;
}

// A generated wireframe, a grid of squares each cut by a diagonal, handed
// over as loose single segments in a scattered order: the paths go straight
// on through every junction (a grid line, a diagonal) and turn back at most
// once per vertex of the rim (4 n), where a line that meets the rim must
// turn, in as few paths as the Euler bound allows (two odd corners: one
// path). A walk blind to directions turns back up to three times as often.
TEST_F(PlotterPathsTest, WireframePathsGoOnAlongTheStraightestWay) {
  for (const int n : {3, 6, 10}) {
    SCOPED_TRACE(n);
    drawing_.parts.Clear();
    std::vector<Polyline> pieces;
    for (int i = 0; i <= n; ++i) {
      for (int j = 0; j < n; ++j) {
        pieces.push_back({{double(j), double(i)}, {double(j + 1), double(i)}});
        pieces.push_back({{double(i), double(j + 1)}, {double(i), double(j)}});
        if (i < n) pieces.push_back({{double(j), double(i)}, {double(j + 1), double(i + 1)}});
      }
    }
    for (size_t k = 0; k < pieces.size(); k += 3)
      std::swap(pieces[k], pieces[(k * 7) % pieces.size()]);
    AddPart(kBlack, kInnerEdgeKind, pieces);
    Run(0.0);
    const std::vector<Polyline> paths = ByPen().at(0);
    EXPECT_EQ(paths.size(), 1u);
    EXPECT_LE(SharpTurns(paths), 4 * n) << "paths zig-zag";
    EXPECT_NEAR(Ink(0), 2.0 * n * (n + 1) + n * n * std::sqrt(2.0), 1e-9);
  }
}

// A piece that ends on the inside of another (a T) cuts it, so one path can
// turn there; simplification then drops the points of the straight runs but
// keeps the junction and the ends.
TEST_F(PlotterPathsTest, SimplifyKeepsJunctionsAndEnds) {
  Polyline along;
  for (int x = 0; x <= 10; ++x) along.push_back({double(x), x == 3 ? 0.05 : 0.0});
  AddPart(kBlack, kInnerEdgeKind, {along, {{5, 0}, {5, 4}, {5, 8}}, {{20, 0}, {22, 1}, {24, 0}}});
  Run(0.5, 0.1);
  std::set<std::pair<double, double>> corners;
  const auto pens = ByPen();
  for (const Polyline& line : pens.at(0))
    for (const auto& p : line) corners.insert({p[0], p[1]});
  const std::set<std::pair<double, double>> expected = {{0, 0},  {5, 0},  {10, 0}, {5, 8},
                                                        {20, 0}, {22, 1}, {24, 0}};
  EXPECT_EQ(corners, expected);
}

TEST_F(PlotterPathsTest, StrokesShorterThanTheMinimumAreDropped) {
  AddPart(kBlack, kInnerEdgeKind,
          {{{0, 0}, {0.3, 0}}, {{5, 0}, {5.2, 0}, {5.4, 0.1}}, {{10, 0}, {10.6, 0}}});
  AddPart(kBlack, kFillKind, {{{20, 20}, {20.1, 20}, {20.1, 20.1}}});
  Run();
  const auto pens = ByPen();
  ASSERT_EQ(pens.at(0).size(), 1u);
  EXPECT_EQ(pens.at(0)[0], (Polyline{{10, 0}, {10.6, 0}}));
}

// From the top left corner the nearest end comes next: the far stroke's near
// end is its last point, so it is drawn backwards.
TEST_F(PlotterPathsTest, NearestEndFirstTurningStrokesRound) {
  AddPart(kBlack, kInnerEdgeKind,
          {{{50, 50}, {60, 50}}, {{30, 0}, {40, 0}}, {{20, 0}, {2, 0}}, {{41, 1}, {41, 20}}});
  Run();
  const std::vector<Polyline> expected = {
      {{2, 0}, {20, 0}}, {{30, 0}, {40, 0}}, {{41, 1}, {41, 20}}, {{50, 50}, {60, 50}}};
  EXPECT_EQ(ByPen()[0], expected);
}

// The grid search gives the order a full search gives, also for clustered
// strokes far from the resting place and when the grid is rebuilt as strokes
// are used up.
TEST_F(PlotterPathsTest, NearestEndOrderMatchesAFullSearch) {
  Stack<PlotterStroke> strokes;
  std::vector<PlotterStroke> all;
  uint32_t seed = 12345;
  const auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) / double(1 << 24);
  };
  for (int i = 0; i < 600; ++i) {
    // Most strokes in one dense corner, some scattered over a large page.
    const double spread = i % 5 == 0 ? 2000.0 : 20.0;
    const double x = 500 + spread * next(), y = 700 + spread * next();
    PlotterStroke stroke;
    stroke.start = Vector3d{x, y, 0};
    stroke.end = Vector3d{x + 3 * next(), y + 3 * next(), 0};
    stroke.index = i;
    strokes.Push(stroke);
    all.push_back(stroke);
  }
  const Vector3d home{-5000, -5000, 0};  // dozens of empty rings away
  ASSERT_TRUE(OrderByNearestEnd(strokes, home));
  ASSERT_EQ(strokes.Count(), 600);
  Vector3d at = home;
  std::vector<bool> used(all.size(), false);
  for (int32_t k = 0; k < strokes.Count(); ++k) {
    double nearest = HUGE_VAL;
    for (size_t i = 0; i < all.size(); ++i) {
      if (used[i]) continue;
      for (const Vector3d& end : {all[i].start, all[i].end})
        nearest = std::min(nearest, std::hypot(end.x - at.x, end.y - at.y));
    }
    const PlotterStroke& chosen = strokes[k];
    const Vector3d& from = chosen.reversed ? chosen.end : chosen.start;
    ASSERT_FALSE(used[chosen.index]) << "stroke " << chosen.index << " twice";
    ASSERT_EQ(std::hypot(from.x - at.x, from.y - at.y), nearest) << "step " << k;
    used[chosen.index] = true;
    at = chosen.reversed ? chosen.start : chosen.end;
  }
}

// Every failed allocation ends the transform with the flag set and frees
// what it took.
TEST_F(PlotterPathsTest, FailedAllocationsEndCleanly) {
  for (int n = 1;; ++n) {
    MemoryErrorFlag::Clear();
    const int64_t live = host::GetMemoryStats().liveBlocks;
    AddPart(kBlack, kFillKind | kDrawnEdgeKind, {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}});
    AddPart(kRed, kInnerEdgeKind, {{{5, 0}, {15, 0}, {15, 5}}});
    host::ConsoleCapture quiet;
    host::FailNthAllocation(n);
    PlotterOptions options;
    options.on = true;
    const bool done = MakePlotterPaths(drawing_, options, nullptr);
    host::ClearAllocationFaults();
    if (done) {
      EXPECT_EQ(MemoryErrorFlag::Test(), 0);
      EXPECT_EQ(drawing_.parts.Count(), 2) << "allocation " << n;
      break;
    }
    EXPECT_NE(MemoryErrorFlag::Test(), 0) << "allocation " << n;
    drawing_.parts.Clear();
    EXPECT_EQ(host::GetMemoryStats().liveBlocks, live) << "allocation " << n;
    ASSERT_LT(n, 10000);
  }
  MemoryErrorFlag::Clear();
}

// Sheets in millimetres become pages in points, turned to the picture, the
// picture scaled to fit inside the margins and centred.
TEST_F(PlotterPathsTest, PaperScalesAndCentresThePicture) {
  struct Case {
    const char* name;
    int32_t width, height;
    PaperOptions paper;
    int32_t pageWidth, pageHeight;
    double scale;
  };
  const double a4Room = 595 - 2 * 10 * kPointsPerMm;
  const Case cases[] = {
      {"wide picture, landscape A4", 400, 300, {210, 297, 10}, 842, 595, a4Room / 300},
      {"tall picture, portrait A4", 300, 400, {210, 297, 10}, 595, 842, a4Room / 300},
      {"landscape sheet turned for a tall one", 100, 400, {297, 210, 0}, 595, 842, 842.0 / 400},
      {"margins leaving no room count as none", 100, 100, {50, 50, 30}, 142, 142, 1.42},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    drawing_.parts.Clear();
    drawing_.width = c.width;
    drawing_.height = c.height;
    AddPart(kBlack, kInnerEdgeKind, {{{0, 0}, {double(c.width), double(c.height)}}});
    LayOutOnPaper(drawing_, c.paper);
    EXPECT_EQ(drawing_.width, c.pageWidth);
    EXPECT_EQ(drawing_.height, c.pageHeight);
    const Polyline line = ByPen()[0][0];
    EXPECT_NEAR(line[1][0] - line[0][0], c.width * c.scale, 1e-9);
    EXPECT_NEAR(line[0][0], c.pageWidth - line[1][0], 1e-9) << "centred across";
    EXPECT_NEAR(line[0][1], c.pageHeight - line[1][1], 1e-9) << "centred down";
    EXPECT_EQ(drawing_.parts[0].paint.lineWidth, 0) << "pen widths are not scaled";
  }
}

}  // namespace
