// A frame's drawing taken in memory (DrawFrame): no file is written, and the
// drawing is the one the export's files hold, byte for byte, in every style.
#include <string>

#include "export_support.h"
#include "output/drawing_file.h"
#include "output/frame_output.h"

namespace e2e {
namespace {

class DrawFrameTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    host::SetFixedLocalTime(HostDateTime{2026, 12, 8, 9, 5, 3});
    doc_.reset(host::NewDocument());
    AddOverlappingSquares(*doc_);
  }
  void TearDown() override {
    doc_.reset();
    HostTest::TearDown();
  }

  std::unique_ptr<HostDocument> doc_;
  ScratchFolder exported_;
  ScratchFolder inMemory_;
};

// Every style, and the lines style laid out on a sheet for a plotter.
TEST_F(DrawFrameTest, TheDrawingInMemoryIsWhatTheFilesHold) {
  const struct {
    int32_t style;
    bool plotter;
  } cases[] = {{kStyleAllEdges, false},
               {kStyleVisibleEdges, false},
               {kStyleEdgeLines, false},
               {kStyleFilled, false},
               {kStyleEdgeLines, true}};
  for (const auto& c : cases) {
    for (const std::string name : {"frame.ai", "frame.svg"}) {
      SCOPED_TRACE(name + " in style " + std::to_string(c.style) + (c.plotter ? ", plotter" : ""));
      const auto settingsFor = [&](const std::string& file) {
        ExportSettings settings = FrameSettings(c.style, file);
        settings.plotter.on = c.plotter;
        settings.paper.widthMm = c.plotter ? 210.0 : 0.0;
        settings.paper.heightMm = c.plotter ? 297.0 : 0.0;
        return settings;
      };
      ExportFrame(doc_.get(), settingsFor(exported_ / name));

      const ExportSettings settings = settingsFor(inMemory_ / name);
      ExportJob job;
      JobBinding binding(job);
      Drawing drawing;
      ASSERT_TRUE(DrawFrame(doc_.get(), settings, job, drawing));
      EXPECT_FALSE(drawing.parts.Empty());
      EXPECT_TRUE(inMemory_.Files().empty()) << "the drawing in memory writes no file";

      ASSERT_TRUE(WriteDrawingFile(FrameFileOf(settings, &job), drawing, 0));
      const std::string written = ReadWhole(exported_ / name);
      EXPECT_FALSE(written.empty());
      EXPECT_EQ(ReadWhole(inMemory_ / name), written);
      fs::remove(inMemory_ / name);
    }
  }
}

// Nothing in view: no drawing, the caller's drawing untouched, and no
// console line names a file that the caller never asked for.
TEST_F(DrawFrameTest, NothingInViewGivesNoDrawing) {
  doc_.reset(host::NewDocument());
  AddCamera(*doc_);
  AddMesh(*doc_, "Behind", {{-2, -2, -10}, {2, -2, -10}, {2, 2, -10}}, {Triangle(0, 1, 2)},
          {0.8f, 0.2f, 0.2f});
  ExportJob job;
  JobBinding binding(job);
  Drawing drawing;
  drawing.width = 7;
  host::ConsoleCapture console;
  EXPECT_FALSE(
      DrawFrame(doc_.get(), FrameSettings(kStyleFilled, inMemory_ / "x.ai"), job, drawing));
  EXPECT_EQ(drawing.width, 7);
  EXPECT_TRUE(drawing.parts.Empty());
  EXPECT_TRUE(console.Lines().empty());
  EXPECT_TRUE(inMemory_.Files().empty());
}

}  // namespace
}  // namespace e2e
