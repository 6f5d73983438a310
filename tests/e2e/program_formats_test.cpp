// The program writing SVG, PDF and PNG: each file, drawn by the tool a user
// would draw it with (rsvg-convert, pdftoppm, the PNG itself), shows the
// picture that Ghostscript draws from the ".ai" file of the same run; the
// suffix or --format chooses the format, a range numbers the files, several
// -o write one drawing to each, and a file that cannot be written leaves
// nothing behind and names its cause.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "export_support.h"

namespace {

using namespace e2e;

const std::string kStillLife = std::string(VEXMARK_SOURCE_DIR) + "/examples/still-life.vxm";
const std::string kTurntable = std::string(VEXMARK_SOURCE_DIR) + "/examples/turntable.gltf";

// A PNG file as a picture, composed on white.
Picture ReadPng(const fs::path& file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Picture picture;
  if (png_image_begin_read_from_file(&image, file.c_str()) == 0) {
    ADD_FAILURE() << "not a PNG picture: " << file;
    return picture;
  }
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
  png_color white{255, 255, 255};
  if (png_image_finish_read(&image, &white, pixels.data(), 0, nullptr) == 0) {
    ADD_FAILURE() << "cannot read " << file << ": " << image.message;
    return picture;
  }
  const std::string ppm = "P6 " + std::to_string(image.width) + " " + std::to_string(image.height) +
                          " 255\n" + std::string(pixels.begin(), pixels.end());
  EXPECT_TRUE(picture.Load(ppm));
  return picture;
}

void Shell(const std::string& command) {
  EXPECT_EQ(std::system((command + " 2>&1").c_str()), 0) << command;
}

// The share of pixels whose every channel is within 64 of the other
// picture's; 0 when the sizes differ.
double Agreement(const Picture& a, const Picture& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.Width() == 0) return 0;
  long same = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      const Rgb p = a.At(x, y), q = b.At(x, y);
      bool close = true;
      for (int c = 0; c < 3; ++c) close = close && std::abs(p[c] - q[c]) <= 64;
      same += close ? 1 : 0;
    }
  }
  return static_cast<double>(same) / (static_cast<double>(a.Width()) * a.Height());
}

int Marked(const Picture& picture) {
  int marked = 0;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x)
      marked += picture.At(x, y) != Rgb{255, 255, 255} ? 1 : 0;
  return marked;
}

class ProgramFormatsTest : public HostTest {
 protected:
  ProgramRun Run(std::vector<std::string> args, const std::string& shell = "") {
    args.push_back("-q");
    return RunProgram(args, folder_.Path(), shell);
  }
  std::set<std::string> Drawings() const { return folder_.Drawings(); }
  fs::path At(const std::string& name) const { return folder_ / name; }

  ScratchFolder folder_;
};

// One run writes the drawing of the still life (thin black lines, and the
// tagged objects' wide blue ones) to five files; drawn as a user would
// draw them, the SVG, the PDF and the PNG each agree with the ".ai" file
// (antialiased, as they are) on at least 98 % of the pixels, in a line
// style and in the filled style. The SVG has a layer per kind and colour.
TEST_F(ProgramFormatsTest, EachFormatDrawsAsTheAiFileDoes) {
  for (const char* style : {"lines", "filled"}) {
    SCOPED_TRACE(style);
    const std::string name = style;
    const ProgramRun run = Run({kStillLife, "--style", style, "-o", name + ".ai", "-o",
                                name + ".svg", "-o", name + ".pdf", "-o", name + ".png"});
    ASSERT_EQ(run.status, 0) << run.err;
    const Picture png = ReadPng(At(name + ".png"));
    ASSERT_GT(png.Width(), 0);
    const Picture ai =
        RenderWithGhostscript(At(name + ".ai"), png.Width(), png.Height(), true, true);
    EXPECT_GT(Marked(ai), 5000) << "the drawing hardly shows";

    Shell("rsvg-convert --dpi-x 72 --dpi-y 72 -b white -o " + Quote(At(name + "-svg.png")) + " " +
          Quote(At(name + ".svg")));
    Shell("pdftoppm -r 72 -singlefile " + Quote(At(name + ".pdf")) + " " +
          Quote(At(name + "-pdf")));
    Picture pdf;
    EXPECT_TRUE(pdf.Load(ReadWhole(At(name + "-pdf.ppm"))));
    const struct {
      const char* format;
      Picture picture;
    } drawn[] = {{"svg", ReadPng(At(name + "-svg.png"))}, {"pdf", pdf}, {"png", png}};
    for (const auto& d : drawn) EXPECT_GE(Agreement(ai, d.picture), 0.98) << d.format;

    const std::string svg = ReadWhole(At(name + ".svg"));
    EXPECT_NE(svg.find("inkscape:label=\"creases #1040c0\""), std::string::npos);
    EXPECT_NE(svg.find(name == "filled" ? "inkscape:label=\"fills #"
                                        : "inkscape:label=\"region-lines #000000\""),
              std::string::npos);
  }
}

// The suffix chooses the format in any case; --format replaces the suffix of
// a sole -o, and gives one to those of several that name none; a range
// numbers each file with its own suffix; files that exist are replaced only
// with --yes; --dpi scales the PNG.
TEST_F(ProgramFormatsTest, SuffixFormatAndRangeNameTheFiles) {
  const std::vector<std::string> range = {kTurntable, "--from", "0", "--to", "2", "--fps", "24"};
  struct Case {
    std::vector<std::string> args;
    std::set<std::string> files;
  };
  const Case cases[] = {
      {{kStillLife, "-o", "d.ai", "--format", "png"}, {"d.png"}},
      {{kStillLife, "-o", "a.PDF", "-o", "b", "-o", "c.eps", "--format", "svg"},
       {"a.pdf", "b.svg", "c.eps"}},
      {{"-o", "spin.svg", "-o", "spin.png"},
       {"spin-0.svg", "spin-1.svg", "spin-2.svg", "spin-0.png", "spin-1.png", "spin-2.png"}},
      {{"-o", "walk", "--format", "pdf"}, {"walk-0.pdf", "walk-1.pdf", "walk-2.pdf"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[c.args.size() - 1]);
    std::vector<std::string> args = c.args;
    if (args[0] == "-o") args.insert(args.begin(), range.begin(), range.end());
    const ProgramRun run = Run(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Drawings(), c.files);
    // Each of the files counts as existing: without --yes none is replaced.
    EXPECT_EQ(Run(args).status, 1);
    for (const std::string& file : Drawings()) fs::remove(At(file));
  }

  ASSERT_EQ(Run({kStillLife, "-o", "big.png", "--dpi", "144"}).status, 0);
  const Picture big = ReadPng(At("big.png"));
  EXPECT_EQ(big.Width(), 1600);
  EXPECT_EQ(big.Height(), 1200);
}

// A file that cannot be written fails the run with its cause; the other
// files of the drawing are written, and nothing half-written is left.
TEST_F(ProgramFormatsTest, AFileThatCannotBeWrittenLeavesNothingHalfWritten) {
  fs::create_directories(At("blocked.pdf"));
  const ProgramRun blocked = Run({kStillLife, "-o", "ok.svg", "-o", "blocked.pdf", "--yes"});
  EXPECT_EQ(blocked.status, 1);
  EXPECT_NE(blocked.err.find("1 drawing(s) could not be written (1 complete file(s) written); "
                             "the first: " +
                             At("blocked.pdf").string()),
            std::string::npos)
      << blocked.err;
  EXPECT_EQ(Drawings(), (std::set<std::string>{"ok.svg", "blocked.pdf"}));

  // A file-size limit stops the PNG part way, as a full disk would.
  const ProgramRun full =
      Run({kStillLife, "-o", "full.png", "--dpi", "720"}, "trap '' XFSZ; ulimit -f 16");
  EXPECT_EQ(full.status, 1);
  EXPECT_NE(full.err.find(At("full.png").string() + ": file too large"), std::string::npos)
      << full.err;
  EXPECT_EQ(Drawings(), (std::set<std::string>{"ok.svg", "blocked.pdf"}));
}

// A saved scene keeps all its files and the PNG's dots per inch: run again
// without -o, it writes each of them again.
TEST_F(ProgramFormatsTest, SavedScenesKeepTheirFiles) {
  ASSERT_EQ(
      Run({kStillLife, "-o", "a.svg", "-o", "b.png", "--dpi", "36", "--save-scene", "kept.vxm"})
          .status,
      0);
  fs::remove(At("a.svg"));
  fs::remove(At("b.png"));
  const ProgramRun again = Run({At("kept.vxm")});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(Drawings(), (std::set<std::string>{"kept.vxm", "a.svg", "b.png"}));
  EXPECT_EQ(ReadPng(At("b.png")).Width(), 400);
}

}  // namespace
