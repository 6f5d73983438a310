// Drawings in the formats the host draws: the module hands the drawing over
// with its paint and layers, the host's writers keep the EPS body's rules
// (closed filled paths, open stroked ones, the thinnest line), a host
// without the service gets a clear refusal, and no failure leaves a file.
#include "output/drawing_file.h"

#include <cerrno>
#include <sys/wait.h>

#include <cstddef>
#include <cstdio>
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

  // What a command prints, with its exit status appended ("exit N").
  static std::string ToolOutput(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return "cannot run " + command;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    return output + "exit " + std::to_string(WEXITSTATUS(pclose(pipe)));
  }

  // The PDF with its streams uncompressed by qpdf, as text with each run of
  // white space made one space (qpdf lays dictionaries out a key a line).
  std::string UncompressedPdf(const std::string& name) {
    const std::string plain = PathOf(name + ".qdf");
    EXPECT_EQ(ToolOutput("qpdf --qdf --object-streams=disable '" + PathOf(name) + "' '" + plain +
                         "'"),
              "exit 0");
    std::string text;
    for (const char c : ReadFile(plain)) {
      const bool space = c == ' ' || c == '\n' || c == '\r';
      if (!space || text.empty() || text.back() != ' ') text += space ? ' ' : c;
    }
    return text;
  }

  int a_ = 0, b_ = 0;
};

TEST_F(DrawingFileTest, EachSuffixGetsItsFormat) {
  const struct {
    const char* name;
    std::string start;
  } cases[] = {
      {"d.svg", "<?xml"},
      {"d.pdf", "%PDF-1.5\n"},
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

// Inside a layer, each object's parts sit in a plain group labelled with
// its name, escaped for XML (rsvg-convert still reads the file); parts of
// no object stay outside any group.
TEST_F(DrawingFileTest, SvgGroupsEachObjectsPathsByName) {
  const struct {
    const char* object;
    double x;
  } parts[] = {{"Box", 10}, {"Box", 20}, {"a<b & \"c\"\x01", 30}, {nullptr, 40}};
  page_->drawing.parts.Clear();
  for (const auto& p : parts) {
    DrawingPart part;
    part.paint.kind = kCreaseKind;
    EpsPath path;
    path.points.Push(Vector3d{p.x, 10, 0});
    path.points.Push(Vector3d{p.x, 70, 0});
    part.paths.Push(path);
    if (p.object != nullptr) part.object = p.object;
    page_->drawing.parts.Push(part);
  }
  page_->file.fileName = PathOf("named.svg").c_str();
  ASSERT_TRUE(WriteDrawingFile(page_->file, page_->drawing, 0));
  const std::string svg = ReadFile(PathOf("named.svg"));
  const std::string path = "fill=\"none\" stroke=\"#000000\" stroke-miterlimit=\"10\" "
                           "stroke-width=\"1\" vector-effect=\"non-scaling-stroke\"/>\n";
  EXPECT_NE(svg.find("<g inkscape:label=\"Box\">\n<path d=\"M10 10 L10 70\" " + path +
                     "<path d=\"M20 10 L20 70\" " + path +
                     "</g>\n<g inkscape:label=\"a&lt;b &amp; &quot;c&quot; \">\n<path d=\"M30 10 "
                     "L30 70\" " + path + "</g>\n<path d=\"M40 10 L40 70\" " + path + "</g>\n"),
            std::string::npos)
      << svg;
  EXPECT_EQ(ToolOutput("rsvg-convert '" + PathOf("named.svg") + "' > /dev/null"), "exit 0");
}

// Widths 0 and 1 are the thinnest line in every format, as in EPS: PDF's
// own "0 w", and in SVG one pixel at any zoom.
TEST_F(DrawingFileTest, ThinnestLineStaysTheThinnestLine) {
  elements_.Clear();
  AddSegments({PageSegment(10, 10, 90, 70)}, Style(kCreaseKind, {0, 0, 0}, {0, 0, 0}, 1, &b_));
  ASSERT_TRUE(Write("thin.pdf"));
  ASSERT_TRUE(Write("thin.svg"));
  EXPECT_NE(UncompressedPdf("thin.pdf").find("0 0 0 RG 0 w 10 10 m 90 70 l S "),
            std::string::npos);
  EXPECT_NE(
      ReadFile(PathOf("thin.svg")).find("stroke-width=\"1\" vector-effect=\"non-scaling-stroke\""),
      std::string::npos);
}

// The tools people open the files with read them as the drawing means
// them: rsvg-convert at 72 dpi and pdfinfo see the page size in points
// (on a sheet the SVG states millimetres), pngcheck finds the PNG whole
// with the resolution it was drawn at, qpdf finds the PDF sound with its
// content compressed and one optional content group per layer.
TEST_F(DrawingFileTest, OutsideToolsReadSizeResolutionAndLayers) {
  const struct {
    const char* name;
    bool onPaper;
    double pixelsPerPoint;
    std::string command;  // run on the file; %s stands for its path
    std::string expected;
  } cases[] = {
      {"pt.svg", false, 1, "rsvg-convert --dpi-x 72 --dpi-y 72 %s | pngcheck -v -",
       "100 x 80 image"},
      {"mm.svg", true, 1, "rsvg-convert --dpi-x 72 --dpi-y 72 %s | pngcheck -v -",
       "100 x 80 image"},
      {"mm.svg", true, 1, "grep -o 'width=\"[^\"]*\" height=\"[^\"]*\"' %s",
       "width=\"35.277mm\" height=\"28.222mm\""},
      {"d.pdf", false, 1, "pdfinfo %s", "100 x 80 pts"},
      {"d.pdf", false, 1, "qpdf --check %s", "No syntax or stream encoding errors"},
      {"d.png", false, 4, "pngcheck -v %s", "11339x11339 pixels/meter (288 dpi)"},
      {"d.png", false, 4, "pngcheck -v %s", "No errors detected"},
      {"half.png", false, 0.5, "pngcheck -v %s", "1417x1417 pixels/meter (36 dpi)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command + " on " + c.name);
    page_->drawing.onPaper = c.onPaper;
    page_->file.pixelsPerPoint = c.pixelsPerPoint;
    ASSERT_TRUE(Write(c.name));
    std::string command = c.command;
    command.replace(command.find("%s"), 2, "'" + PathOf(c.name) + "'");
    const std::string output = ToolOutput(command);
    EXPECT_NE(output.find(c.expected), std::string::npos) << output;
    EXPECT_NE(output.find("exit 0"), std::string::npos) << output;
  }

  const std::string raw = ReadFile(PathOf("d.pdf"));
  EXPECT_NE(raw.find("/Filter /FlateDecode"), std::string::npos);
  EXPECT_EQ(raw.find(" RG\n"), std::string::npos) << "the content is not compressed";
  const std::string pdf = UncompressedPdf("d.pdf");
  for (const char* expected :
       {"/Name (fills #c86432) /Type /OCG", "/Name (creases #1040c0) /Type /OCG",
        "/OC /L0 BDC 0.78431 0.39216 0.19608 rg", "/OC /L1 BDC 0.06275 0.25098 0.75294 RG",
        "/Properties << /L0 "})
    EXPECT_NE(pdf.find(expected), std::string::npos) << expected;
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
