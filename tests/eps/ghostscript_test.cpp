// End to end: bodies written from hand-built line groups are rendered by
// Ghostscript with our procedure set, and the pixels are checked: regions
// filled with their colour, strokes where they belong, holes left open and
// nothing drawn outside the bounding box.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "core/export_settings.h"
#include "eps/eps_document.h"
#include "eps_test_support.h"
#include "ppm_picture.h"

namespace {

const Rgb kWhitePixel = {255, 255, 255};
// The page is rendered with this many blank points around it.
constexpr int kMargin = 20;
constexpr int kWidth = 200;
constexpr int kHeight = 150;

// The pixel at (x, y) of the page, which is rendered inside a margin.
Rgb PageAt(const Picture& picture, int x, int y) {
  return picture.At(x + kMargin, y + kMargin);
}

// The number of non-white pixels outside the page.
int DrawnOutsidePage(const Picture& picture) {
  int drawn = 0;
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const bool onPage =
          x >= kMargin && x < kMargin + kWidth && y >= kMargin && y < kMargin + kHeight;
      if (!onPage && picture.At(x, y) != kWhitePixel) ++drawn;
    }
  }
  return drawn;
}

::testing::AssertionResult Near(const Rgb& actual, const Rgb& expected) {
  for (int k = 0; k < 3; ++k) {
    if (std::abs(actual[k] - expected[k]) > 2) {
      return ::testing::AssertionFailure()
             << Describe(actual) << " instead of " << Describe(expected);
    }
  }
  return ::testing::AssertionSuccess();
}

class GhostscriptTest : public EpsTest {
 protected:
  void SetUp() override {
    EpsTest::SetUp();
    SetPage(kWidth, kHeight, "picture.eps");
  }

  // Writes the page in `style` and renders it with a margin around the page.
  Picture Render(int32_t style) {
    EXPECT_TRUE(WritePage(style, 0));
    const std::string procset =
        std::string(VEXMARK_SOURCE_DIR) + "/tests/eps/data/vexmark_procset.ps";
    const std::string output = PathOf("picture.ppm");
    const std::string command =
        "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r72 -g" +
        std::to_string(kWidth + 2 * kMargin) + "x" + std::to_string(kHeight + 2 * kMargin) +
        " -sOutputFile='" + output + "' '" + procset + "' -c '" + std::to_string(kMargin) + " " +
        std::to_string(kMargin) + " translate' -f '" + PathOf("picture.eps") + "' 2>&1";
    std::string messages;
    FILE* pipe = popen(command.c_str(), "r");
    EXPECT_NE(pipe, nullptr) << command;
    if (pipe != nullptr) {
      char buffer[256];
      while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) messages += buffer;
      const int status = pclose(pipe);
      EXPECT_EQ(status, 0) << "Ghostscript failed (is it installed?): " << messages;
    }
    EXPECT_EQ(messages, "");
    Picture picture;
    EXPECT_TRUE(picture.Load(ReadFile(output))) << "no picture from: " << command;
    return picture;
  }

  int objectA_ = 0;
};

TEST_F(GhostscriptTest, OutlineStyleStrokesDrawnEdgesOnly) {
  const Rgb red = {255, 0, 0};
  AddSegments(Rectangle(50, 40, 150, 110), Style(2, {255, 255, 255}, {255, 0, 0}, 80, &objectA_));
  // Inner pieces are collected but not part of this style.
  AddSegments({PageSegment(60, 130, 140, 130)},
              Style(16, {255, 255, 255}, {0, 0, 255}, 80, &objectA_));

  for (const int32_t style : {kStyleAllEdges, kStyleVisibleEdges}) {
    const Picture picture = Render(style);
    ASSERT_EQ(picture.Width(), kWidth + 2 * kMargin);
    EXPECT_TRUE(Near(PageAt(picture, 50, 75), red)) << "left side";
    EXPECT_TRUE(Near(PageAt(picture, 100, 110), red)) << "bottom side";
    EXPECT_TRUE(Near(PageAt(picture, 150, 60), red)) << "right side";
    EXPECT_TRUE(Near(PageAt(picture, 100, 40), red)) << "top side";
    EXPECT_TRUE(Near(PageAt(picture, 100, 75), kWhitePixel)) << "inside";
    EXPECT_TRUE(Near(PageAt(picture, 100, 130), kWhitePixel)) << "inner pieces";
    EXPECT_EQ(DrawnOutsidePage(picture), 0);
  }
}

TEST_F(GhostscriptTest, EdgeLineStyleStrokesRegionEdgesAndCreases) {
  const Rgb blue = {0, 0, 255};
  const Rgb green = {0, 128, 0};
  // Two regions of one object side by side, and a crease across the right one.
  AddSegments(Rectangle(30, 30, 100, 120), Style(16, {255, 255, 255}, {0, 0, 255}, 60, &objectA_));
  AddSegments(Rectangle(100, 30, 170, 120), Style(16, {255, 255, 255}, {0, 0, 255}, 60, &objectA_));
  AddSegments({PageSegment(100, 75, 170, 75)},
              Style(8, {255, 255, 255}, {0, 128, 0}, 60, &objectA_));

  const Picture picture = Render(kStyleEdgeLines);
  EXPECT_TRUE(Near(PageAt(picture, 30, 75), blue)) << "left edge";
  EXPECT_TRUE(Near(PageAt(picture, 100, 50), blue)) << "shared edge";
  EXPECT_TRUE(Near(PageAt(picture, 135, 120), blue)) << "bottom edge";
  EXPECT_TRUE(Near(PageAt(picture, 135, 75), green)) << "crease";
  EXPECT_TRUE(Near(PageAt(picture, 65, 75), kWhitePixel)) << "inside the left region";
  EXPECT_TRUE(Near(PageAt(picture, 135, 50), kWhitePixel)) << "inside the right region";
  EXPECT_EQ(DrawnOutsidePage(picture), 0);
}

TEST_F(GhostscriptTest, FullStyleFillsRegionsLeavesHolesAndStrokesOutlines) {
  const Rgb fill = {0, 128, 255};
  const Rgb black = {0, 0, 0};
  const Rgb red = {255, 0, 0};
  // A ring around a hole, made of four rectangles whose shared edges cancel.
  std::vector<EdgeSegment> ring;
  for (const auto& part : {Rectangle(40, 30, 160, 60), Rectangle(40, 90, 160, 120),
                           Rectangle(40, 60, 80, 90), Rectangle(120, 60, 160, 90)}) {
    ring.insert(ring.end(), part.begin(), part.end());
  }
  AddSegments(ring, Style(3, {0, 128, 255}, {0, 0, 0}, 40, &objectA_));
  AddSegments({PageSegment(100, 30, 100, 60)},
              Style(8, {255, 255, 255}, {255, 0, 0}, 40, &objectA_));

  const Picture picture = Render(kStyleFilled);
  EXPECT_TRUE(Near(PageAt(picture, 60, 45), fill)) << "ring, top part";
  EXPECT_TRUE(Near(PageAt(picture, 60, 60), fill)) << "cancelled edge between top and left part";
  EXPECT_TRUE(Near(PageAt(picture, 140, 105), fill)) << "ring, bottom part";
  EXPECT_TRUE(Near(PageAt(picture, 100, 75), kWhitePixel)) << "hole";
  EXPECT_TRUE(Near(PageAt(picture, 40, 75), black)) << "outer outline";
  EXPECT_TRUE(Near(PageAt(picture, 100, 90), black)) << "hole outline";
  EXPECT_TRUE(Near(PageAt(picture, 100, 45), red)) << "crease";
  EXPECT_EQ(DrawnOutsidePage(picture), 0);
}

}  // namespace
