// Which lines a written file holds: small scenes built in a host document,
// exported through the renderer driver in each drawing style, and the
// file's paths read back and measured along the scene's edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "export_support.h"
#include "folded_body.h"
#include "shell/tag_dialog.h"

namespace {

using namespace e2e;

constexpr int32_t kAllStyles[] = {kStyleAllEdges, kStyleVisibleEdges, kStyleEdgeLines,
                                  kStyleFilled};

double Length(HostVector p, HostVector q) {
  const PagePoint a = OnPage(p), b = OnPage(q);
  return std::hypot(b.x - a.x, b.y - a.y);
}

class ExportLinesTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    doc_.reset(host::NewDocument());
    AddCamera(*doc_);
  }
  void TearDown() override {
    doc_.reset();
    HostTest::TearDown();
  }

  // Exports the scene with `settings` (file name set here) and reads the file.
  WrittenDrawing Export(ExportSettings settings) {
    const std::string file = folder_ / "frame.ai";
    settings.fileName = file.c_str();
    ExportFrame(doc_.get(), settings);
    EXPECT_TRUE(fs::exists(file)) << "style " << settings.drawingStyle;
    const WrittenDrawing drawing = ReadDrawing(file);
    EXPECT_TRUE(drawing.framed);
    fs::remove(file);
    return drawing;
  }
  WrittenDrawing Export(int32_t style) { return Export(FrameSettings(style, "")); }

  // How often the stretch from p to q (world points) is drawn.
  static double TimesDrawn(const WrittenDrawing& drawing, HostVector p, HostVector q) {
    return drawing.Covered(OnPage(p), OnPage(q)) / Length(p, q);
  }

  std::unique_ptr<HostDocument> doc_;
  ScratchFolder folder_;
};

// A square of two triangles at depth 10 whose diagonal runs from p0 to p2.
constexpr HostVector kP0{-2, -2, 10}, kP1{2, -2, 10}, kP2{2, 2, 10}, kP3{-2, 2, 10};
constexpr HostVector kCentre{0, 0, 10};

HostObject& AddSquare(HostDocument& doc, int32_t parent = host::kNoIndex) {
  return AddMesh(doc, "Square", {kP0, kP1, kP2, kP3}, {Triangle(0, 1, 2), Triangle(0, 2, 3)},
                 {0.8f, 0.2f, 0.2f}, parent);
}

TEST_F(ExportLinesTest, SharedEdgeIsDrawnOnceAndOnlyWhereItIsSeen) {
  AddSquare(*doc_);
  // A card in front hides the left half of the square, and so the lower
  // half of the diagonal.
  AddMesh(*doc_, "Card", {{-2.5f, -1.5f, 5}, {0, -1.5f, 5}, {0, 1.5f, 5}, {-2.5f, 1.5f, 5}},
          {{0, 1, 2, 3}}, {0.2f, 0.2f, 0.8f});

  const WrittenDrawing all = Export(kStyleAllEdges);
  EXPECT_NEAR(TimesDrawn(all, kP0, kP2), 1.0, 1e-3) << "without hidden-surface removal";
  EXPECT_NEAR(TimesDrawn(all, kP1, kP2), 1.0, 1e-3);

  const WrittenDrawing visible = Export(kStyleVisibleEdges);
  EXPECT_NEAR(TimesDrawn(visible, kCentre, kP2), 1.0, 1e-3) << "the seen half, once";
  EXPECT_NEAR(TimesDrawn(visible, kP0, kCentre), 0.0, 1e-3) << "the hidden half";
  EXPECT_NEAR(TimesDrawn(visible, kP1, kP2), 1.0, 1e-3);
}

TEST_F(ExportLinesTest, RegionLinesSeparateColoursOnly) {
  // A flat strip of three triangles: two red ones, then a blue one.
  constexpr HostVector a{-3, -1.5f, 10}, b{-1.5f, 1.5f, 10}, c{0, -1.5f, 10}, d{1.5f, 1.5f, 10},
      e{3, -1.5f, 10};
  HostObject& strip =
      AddMesh(*doc_, "Strip", {a, b, c, d, e},
              {Triangle(0, 1, 2), Triangle(1, 3, 2), Triangle(2, 3, 4)}, {0.9f, 0.1f, 0.1f});
  PaintPolygons(*doc_, strip, {2}, {0.1f, 0.1f, 0.9f});

  for (const int32_t style : {kStyleEdgeLines, kStyleFilled}) {
    SCOPED_TRACE(style);
    const WrittenDrawing drawing = Export(style);
    EXPECT_NEAR(TimesDrawn(drawing, b, c), 0.0, 1e-3) << "between the two red triangles";
    EXPECT_GE(TimesDrawn(drawing, c, d), 1.0 - 1e-3) << "between red and blue";
    EXPECT_GE(TimesDrawn(drawing, a, b), 1.0 - 1e-3) << "the strip's outline";
  }
}

TEST_F(ExportLinesTest, OptionsSwitchCreasesAndFlatEdgesOff) {
  // A ridge pointing at the camera, its two faces meeting at 90 degrees.
  constexpr HostVector r0{0, -1.5f, 8}, r1{0, 1.5f, 8}, left{-2, 0, 10}, right{2, 0, 10};
  AddMesh(*doc_, "Ridge", {r0, r1, left, right}, {Triangle(0, 1, 2), Triangle(1, 0, 3)},
          {0.2f, 0.7f, 0.2f});
  // A flat square beside it.
  constexpr HostVector f0{-4, -4, 10}, f1{-1, -4, 10}, f2{-1, -2, 10}, f3{-4, -2, 10};
  AddMesh(*doc_, "Flat", {f0, f1, f2, f3}, {Triangle(0, 1, 2), Triangle(0, 2, 3)},
          {0.2f, 0.7f, 0.2f});

  for (const int32_t style : kAllStyles) {
    for (const bool on : {true, false}) {
      SCOPED_TRACE(std::to_string(style) + (on ? " options on" : " options off"));
      ExportSettings settings = FrameSettings(style, "");
      settings.lines.creaseLines = on;
      settings.lines.skipCoplanarEdges = on;
      const WrittenDrawing drawing = Export(settings);
      const double ridge = TimesDrawn(drawing, r0, r1);
      const double diagonal = TimesDrawn(drawing, f0, f2);
      EXPECT_GE(TimesDrawn(drawing, f0, f1), 1.0 - 1e-3) << "the flat square's side";
      if (style == kStyleAllEdges || style == kStyleVisibleEdges) {
        // Drawn edges: the ridge is an edge like any other; the flat
        // square's diagonal goes with the flat-edge option.
        EXPECT_NEAR(ridge, 1.0, 1e-3);
        EXPECT_NEAR(diagonal, on ? 0.0 : 1.0, 1e-3);
      } else {
        // Colour regions: one colour, so the ridge is drawn as a crease
        // or not at all.
        EXPECT_NEAR(ridge, on ? 1.0 : 0.0, 1e-3);
        EXPECT_NEAR(diagonal, 0.0, 1e-3);
      }
    }
  }
}

// A sheet bent by a few degrees along a ridge, seen from the side the bend
// turns away from: the ridge is its outline although its two faces are
// nearly flat to each other. Hiding flat edges keeps it, in every style.
TEST_F(ExportLinesTest, AnOutlineBetweenNearlyFlatFacesSurvivesHidingFlatEdges) {
  constexpr HostVector r0{0, -1.5f, 10}, r1{0, 1.5f, 10};
  AddMesh(*doc_, "Bent sheet",
          {r0, r1, {-0.1f, -1.5f, 8}, {-0.1f, 1.5f, 8}, {-0.1f, -1.5f, 12}, {-0.1f, 1.5f, 12}},
          {{2, 0, 1, 3}, {4, 5, 1, 0}}, {0.2f, 0.7f, 0.2f});
  for (const int32_t style : kAllStyles) {
    SCOPED_TRACE(style);
    ExportSettings settings = FrameSettings(style, "");
    settings.lines.outlineLines = true;
    settings.lines.skipCoplanarEdges = true;
    EXPECT_NEAR(TimesDrawn(Export(settings), r0, r1), 1.0, 1e-3);
  }
}

// Line width and colour from the settings, or from an export tag on an
// ancestor, which rules the whole sub-hierarchy.
TEST_F(ExportLinesTest, LineWidthAndColourComeFromSettingsOrTag) {
  HostObject& group = host::AddObject(doc_->scene, host::kNoIndex, kObjectNull, "Group");
  AddSquare(*doc_, group.index);
  struct Case {
    int32_t settingsWidth;
    int32_t tagWidth;  // -1: no tag
    const char* widthLine;
    const char* strokeLine;
  };
  const Case cases[] = {
      {0, -1, "0 w", "0.00000 0.00000 0.00000"},  // the thinnest line the device draws
      {2, -1, "2 w", "0.00000 0.00000 0.00000"},
      {0, 2, "2 w", "0.49804 0.24706 0.00000"},
      {20, 1, "1 w", "0.49804 0.24706 0.00000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.widthLine);
    group.tags.clear();
    if (c.tagWidth >= 0) {
      HostContainer tag(kExportTagId);
      tag.Set(kTagOutline, true);
      tag.Set(kTagCrease, true);
      tag.Set(kTagCreaseAngle, 1.0471976);
      tag.Set(kTagLineWidth, int64_t{c.tagWidth});
      tag.Set(kTagFlatEdges, false);
      tag.Set(kTagLineColour, HostVector{1, 0.5f, 0});
      tag.Set(kTagLineBrightness, 0.5);
      host::AddTag(group, host::PluginTag(kExportTagId, tag));
    }
    for (const int32_t style : kAllStyles) {
      ExportSettings settings = FrameSettings(style, "");
      settings.lines.lineWidth = c.settingsWidth;
      const WrittenDrawing drawing = Export(settings);
      EXPECT_EQ(drawing.Widths(), std::set<std::string>{c.widthLine}) << style;
      ASSERT_FALSE(drawing.paths.empty());
      for (const PaintedPath& path : drawing.paths) EXPECT_EQ(path.stroke, c.strokeLine) << style;
    }
  }
}

// Corners of different objects closer than 0.003 are welded at their
// midpoint; farther apart they stay where they are.
TEST_F(ExportLinesTest, NearlyTouchingCornersOfTwoObjectsAreWelded) {
  struct Case {
    const char* name;
    float left;  // x of the left triangle's tip
    float right;
    bool welded;
  };
  const Case cases[] = {
      {"overlapping boxes, 0.002 apart", 0.001f, -0.001f, true},
      {"boxes apart by the gap, 0.002 apart", -0.001f, 0.001f, true},
      {"0.004 apart", 0.002f, -0.002f, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    doc_.reset(host::NewDocument());
    AddCamera(*doc_);
    // Two triangles at depth 10 whose tips meet at the middle of the page;
    // a scene this size is drawn in its own units, so the welding distance
    // is the one in the scene.
    AddMesh(*doc_, "Left", {{-2.5f, -1.5f, 10}, {-2.5f, 1.5f, 10}, {c.left, 0, 10}},
            {Triangle(0, 1, 2)}, {0.9f, 0.1f, 0.1f});
    AddMesh(*doc_, "Right", {{2.5f, 1.5f, 10}, {2.5f, -1.5f, 10}, {c.right, 0, 10}},
            {Triangle(0, 1, 2)}, {0.1f, 0.1f, 0.9f});
    const WrittenDrawing drawing = Export(kStyleAllEdges);

    std::set<double> tips;  // page x of the corners on the middle line
    for (const PagePoint& p : drawing.Corners())
      if (std::fabs(p.y - 100) < 1e-3 && std::fabs(p.x - 100) < 1) tips.insert(p.x);
    const std::set<double> expected =
        c.welded ? std::set<double>{100.0}
                 : std::set<double>{OnPage({c.right, 0, 10}).x, OnPage({c.left, 0, 10}).x};
    ASSERT_EQ(tips.size(), expected.size());
    for (auto t = tips.begin(), e = expected.begin(); t != tips.end(); ++t, ++e)
      EXPECT_NEAR(*t, *e, 1e-3);
  }
}

TEST_F(ExportLinesTest, FrameWithNothingInViewWritesNoFile) {
  struct Case {
    const char* name;
    std::vector<HostVector> points;
    int32_t backFaces;
  };
  const Case cases[] = {
      {"behind the camera", {{-1, -1, -5}, {1, -1, -5}, {0, 1, -5}}, kBackFacesKeep},
      {"beside the view", {{40, -1, 10}, {42, -1, 10}, {41, 1, 10}}, kBackFacesKeep},
      // Seen from the camera its corners run anticlockwise: it faces away.
      {"facing away, back faces dropped", {{-1, -1, 10}, {1, -1, 10}, {0, 1, 10}}, kBackFacesDrop},
  };
  for (const Case& c : cases) {
    doc_.reset(host::NewDocument());
    AddCamera(*doc_);
    AddMesh(*doc_, "Lonely", c.points, {Triangle(0, 1, 2)}, {1, 0, 0});
    for (const int32_t style : kAllStyles) {
      SCOPED_TRACE(std::string(c.name) + ", style " + std::to_string(style));
      ExportSettings settings = FrameSettings(style, folder_ / "frame.ai");
      settings.backFaces = c.backFaces;
      ExportFrame(doc_.get(), settings);
      EXPECT_TRUE(folder_.Files().empty());
      EXPECT_TRUE(host::WrittenFiles().empty());
    }
  }
  // The same triangle turned round is drawn: the cases above fail for the
  // reason they name.
  doc_.reset(host::NewDocument());
  AddCamera(*doc_);
  AddMesh(*doc_, "Facing", {{-1, -1, 10}, {0, 1, 10}, {1, -1, 10}}, {Triangle(0, 1, 2)}, {1, 0, 0});
  ExportSettings settings = FrameSettings(kStyleVisibleEdges, "");
  settings.backFaces = kBackFacesDrop;
  EXPECT_FALSE(Export(settings).paths.empty());
}

// The share of the stroked length of `drawing` that no stroked path of
// `other` comes within 0.1 pt of, sampled every 1/4 pt.
double ShareNotIn(const WrittenDrawing& drawing, const WrittenDrawing& other) {
  using Step = std::pair<PagePoint, PagePoint>;
  const auto steps = [](const WrittenDrawing& d) {
    std::vector<Step> out;
    for (const PaintedPath& path : d.paths) {
      if (!path.Stroked()) continue;
      const size_t n = path.points.size();
      for (size_t i = 0; n > 1 && i < (path.Closed() ? n : n - 1); ++i)
        out.push_back({path.points[i], path.points[(i + 1) % n]});
    }
    return out;
  };
  // The other drawing's steps by the cells of 1 pt that they pass near.
  std::map<std::pair<int, int>, std::vector<Step>> cells;
  for (const Step& s : steps(other)) {
    for (int x = std::floor(std::min(s.first.x, s.second.x) - 0.1);
         x <= std::floor(std::max(s.first.x, s.second.x) + 0.1); ++x)
      for (int y = std::floor(std::min(s.first.y, s.second.y) - 0.1);
           y <= std::floor(std::max(s.first.y, s.second.y) + 0.1); ++y)
        cells[{x, y}].push_back(s);
  }
  const auto drawn = [&](PagePoint p) {
    const auto found = cells.find({static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y))});
    if (found == cells.end()) return false;
    for (const auto& [a, b] : found->second) {
      const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
      const double t =
          length2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0;
      if (std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy) < 0.1) return true;
    }
    return false;
  };
  double total = 0, missing = 0;
  for (const auto& [a, b] : steps(drawing)) {
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    const int samples = 1 + static_cast<int>(length * 4);
    for (int k = 0; k < samples; ++k) {
      const double t = (k + 0.5) / samples;
      total += length / samples;
      if (!drawn({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)})) missing += length / samples;
    }
  }
  return total > 0 ? missing / total : 0;
}

// The filled style draws every line of the lines style, and no other: also
// where an outline lies in front of a surface of its own colour, as the arms
// of the folded body do before its middle and bumps before their own
// colour, and where the outline of a region runs back along itself there.
TEST_F(ExportLinesTest, TheFilledStyleDrawsTheLinesOfTheLinesStyle) {
  AddFoldedBody(*doc_, 20000);
  const WrittenDrawing lines = Export(FrameSettings(kStyleEdgeLines, "", 640, 480));
  const WrittenDrawing filled = Export(FrameSettings(kStyleFilled, "", 640, 480));
  ASSERT_GT(lines.StrokedLength(), 2000) << "pt";
  EXPECT_LT(ShareNotIn(lines, filled), 0.005) << "of the lines style's lines missing";
  EXPECT_LT(ShareNotIn(filled, lines), 0.005) << "of the filled style's lines not in the other";
}

// An object switched off hides the children that do not say otherwise;
// a child switched on is drawn, and so are its undefined children.
TEST_F(ExportLinesTest, SwitchedOffObjectHidesItsUndefinedChildren) {
  struct Member {
    const char* name;
    const char* parent;
    int32_t visibility;
    bool drawn;
  };
  const Member members[] = {
      {"Off", nullptr, kVisibilityOff, false},
      {"Undefined child", "Off", kVisibilityUndefined, false},
      {"On child", "Off", kVisibilityOn, true},
      {"Its undefined child", "On child", kVisibilityUndefined, true},
      {"On under undefined", "Undefined child", kVisibilityOn, true},
      {"Undefined at the top", nullptr, kVisibilityUndefined, true},
  };
  std::map<std::string, int32_t> indices;
  std::vector<std::pair<HostVector, HostVector>> sides;  // one side of each triangle
  for (size_t i = 0; i < std::size(members); ++i) {
    const Member& m = members[i];
    const float x = -4.5f + 1.5f * i;
    const int32_t parent = m.parent != nullptr ? indices.at(m.parent) : host::kNoIndex;
    HostObject& object = AddMesh(*doc_, m.name, {{x, -1, 10}, {x + 1, -1, 10}, {x + 0.5f, 1, 10}},
                                 {Triangle(0, 1, 2)}, {0.5f, 0.5f, 0.5f}, parent);
    object.visibility = m.visibility;
    indices[m.name] = object.index;
    sides.push_back({{x, -1, 10}, {x + 1, -1, 10}});
  }
  const WrittenDrawing drawing = Export(kStyleAllEdges);
  for (size_t i = 0; i < std::size(members); ++i)
    EXPECT_NEAR(TimesDrawn(drawing, sides[i].first, sides[i].second), members[i].drawn ? 1.0 : 0.0,
                1e-3)
        << members[i].name;
}

}  // namespace
