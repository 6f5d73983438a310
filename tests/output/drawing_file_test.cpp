// Drawings in the formats the host draws: the module hands the drawing over
// with its paint and layers, the host's writers keep the EPS body's rules
// (closed filled paths, open stroked ones, the thinnest line), a host
// without the service gets a clear refusal, and no failure leaves a file.
#include "output/drawing_file.h"

#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <set>
#include <string>

#include "eps_test_support.h"
#include "host/api/vexmark_ids.h"
#include "sdk/host_table.h"

namespace {

constexpr double kOuter[] = {0, 0, 0, 5, 5, 5, 5, 0};
constexpr double kInner[] = {1, 1, 2, 1, 2, 2, 1, 2};

class DrawingFileTest : public EpsTest {
 protected:
  // Two filled squares of one colour and a wide open polyline.
  void SetUp() override {
    EpsTest::SetUp();
    SetPage(100, 80, "d.svg");
    AddSegments(Rectangle(10, 10, 60, 60), Style(kFillKind, {200, 100, 50}, {0, 0, 0}, 0, &a_));
    AddSegments(Rectangle(20, 20, 30, 30), Style(kFillKind, {200, 100, 50}, {0, 0, 0}, 0, &a_));
    AddSegments({PageSegment(70, 10, 90, 10), PageSegment(90, 10, 90, 70)},
                Style(kCreaseKind, {0, 0, 0}, {16, 64, 192}, 40, &b_));
  }

  bool Write(const std::string& name) {
    page_->file.fileName = PathOf(name).c_str();
    page_->drawing.parts.Clear();
    if (!BuildDrawing(elements_, kStyleFilled, page_->drawing, nullptr, ProgressBand{}))
      return false;
    return WriteDrawingFile(page_->file, page_->drawing, 0);
  }

  // Names in the folder.
  std::set<std::string> Files() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
      names.insert(entry.path().filename().string());
    return names;
  }

  int a_ = 0, b_ = 0;
};

TEST_F(DrawingFileTest, EachSuffixGetsItsFormat) {
  const struct {
    const char* name;
    std::string start;
  } cases[] = {
      {"d.svg", "<?xml"},
      {"d.pdf", "%PDF-1.4\n"},
      {"d.PNG", "\x89PNG\r\n"},
      {"d.eps", "%!PS-Adobe-3.0 EPSF-3.0\r\n"},
      {"d.ai", "%!PS-Adobe-3.0\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(Write(c.name));
    EXPECT_EQ(ReadFile(PathOf(c.name)).rfind(c.start, 0), 0u);
  }
}

// The SVG keeps the paint: a compound path (a square with a hole) is one
// path of closed paths in a fill layer, the polyline stays open in a crease
// layer of its colour, two points wide after its forty twentieths.
TEST_F(DrawingFileTest, SvgKeepsPaintPathsAndLayers) {
  ASSERT_TRUE(Write("d.svg"));
  const std::string svg = ReadFile(PathOf("d.svg"));
  EXPECT_NE(svg.find("viewBox=\"0 0 100 80\""), std::string::npos);
  EXPECT_NE(svg.find("<g id=\"layer-fills-c86432\" inkscape:groupmode=\"layer\" "
                     "inkscape:label=\"fills #c86432\">"),
            std::string::npos)
      << svg;
  EXPECT_NE(svg.find("inkscape:label=\"creases #1040c0\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("d=\"M70 10 L90 10 L90 70\" fill=\"none\" stroke=\"#1040c0\" "
                     "stroke-miterlimit=\"10\" stroke-width=\"2\""),
            std::string::npos)
      << svg;

  DrawingPart holed;
  holed.paint.kind = kFillKind;
  holed.paint.colour.r = 200;
  for (const double* corners : {kOuter, kInner}) {
    EpsPath path;
    for (int k = 0; k < 4; ++k) path.points.Push(Vector3d{corners[2 * k], corners[2 * k + 1], 0});
    holed.paths.Push(path);
  }
  page_->drawing.parts.Clear();
  page_->drawing.parts.Push(holed);
  page_->file.fileName = PathOf("holed.svg").c_str();
  ASSERT_TRUE(WriteDrawingFile(page_->file, page_->drawing, 0));
  EXPECT_NE(ReadFile(PathOf("holed.svg"))
                .find("<path d=\"M0 0 L0 5 L5 5 L5 0 Z M1 1 L2 1 L2 2 L1 2 Z\" fill=\"#c80000\"/>"),
            std::string::npos);
}

// Widths 0 and 1 are the thinnest line in every format, as in EPS: PDF's
// own "0 w", and in SVG one pixel at any zoom.
TEST_F(DrawingFileTest, ThinnestLineStaysTheThinnestLine) {
  elements_.Clear();
  AddSegments({PageSegment(10, 10, 90, 70)}, Style(kCreaseKind, {0, 0, 0}, {0, 0, 0}, 1, &b_));
  ASSERT_TRUE(Write("thin.pdf"));
  ASSERT_TRUE(Write("thin.svg"));
  EXPECT_NE(ReadFile(PathOf("thin.pdf")).find("0 0 0 RG\n0 w\n10 10 m\n90 70 l\nS\n"),
            std::string::npos);
  EXPECT_NE(
      ReadFile(PathOf("thin.svg")).find("stroke-width=\"1\" vector-effect=\"non-scaling-stroke\""),
      std::string::npos);
}

// A host whose table ends before the drawing service gets no file of the
// host's formats and a line that says why; EPS is still written.
TEST_F(DrawingFileTest, AnOlderHostRefusesTheHostFormats) {
  HostApi older = *host::Table();
  older.size = static_cast<int32_t>(offsetof(HostApi, fileWriteDrawing));
  HostBind(&older);
  host::ConsoleCapture console;
  const bool svg = Write("old.svg");
  const bool ai = Write("old.ai");
  HostBind(host::Table());
  EXPECT_FALSE(svg);
  EXPECT_TRUE(ai);
  EXPECT_TRUE(
      console.Contains("Not written: " + PathOf("old.svg") +
                       ": this host cannot write .svg files (it needs host interface 7900)"));
  EXPECT_EQ(Files(), std::set<std::string>{"old.ai"});
}

// Out of memory for the description, a folder in the way, a file size
// limit that a large picture exceeds: no drawing and no temporary file.
TEST_F(DrawingFileTest, FailuresLeaveNothingBehind) {
  page_->file.fileName = PathOf("memory.svg").c_str();
  ASSERT_TRUE(BuildDrawing(elements_, kStyleFilled, page_->drawing, nullptr, ProgressBand{}));
  host::FailNthAllocation(1);  // the description's parts
  EXPECT_FALSE(WriteDrawingFile(page_->file, page_->drawing, 0));
  host::ClearAllocationFaults();
  EXPECT_NE(MemoryErrorFlag::Test(), 0);
  MemoryErrorFlag::Clear();

  std::filesystem::create_directories(PathOf("folder.pdf"));
  EXPECT_FALSE(Write("folder.pdf"));

  page_->file.pixelsPerPoint = 400;  // 40,000 pixels wide: more than a picture can be
  EXPECT_FALSE(Write("huge.png"));
  ASSERT_EQ(host::FileFailures().size(), 2u);
  EXPECT_EQ(host::FileFailures()[1].path, PathOf("huge.png"));
  EXPECT_EQ(host::FileFailures()[1].error, EFBIG);
  EXPECT_EQ(Files(), std::set<std::string>{"folder.pdf"});
}

}  // namespace
