// Every allocation of a small whole export fails once in turn: the export
// never crashes, frees everything it allocated, and either writes no drawing
// (with the job's memory flag set) or writes the drawing exactly as it is
// without a failure. A drawing with parts missing never passes for complete.
#include <gtest/gtest.h>

#include <string>

#include "export_support.h"
#include "host/import/load_scene.h"

namespace {

using namespace e2e;

class ExportMemorySweepTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    host::SetFixedLocalTime(HostDateTime{2026, 12, 10, 12, 0, 0});
    // Pass 2 runs on two threads whatever the machine, so that failures
    // on the host's helper threads are swept too.
    host::SetParallelThreads(2);
    doc_.reset(host::NewDocument());
    AddCamera(*doc_);
    // A two-coloured square in front of a triangle it partly hides.
    HostObject& square = AddMesh(*doc_, "Square",
                                 {{-1, -1, 5}, {1, -1, 5}, {1, 1, 5}, {-1, 1, 5}},
                                 {Triangle(0, 1, 2), Triangle(0, 2, 3)}, {0.9f, 0.2f, 0.2f});
    PaintPolygons(*doc_, square, {1}, {0.2f, 0.2f, 0.9f});
    AddMesh(*doc_, "Behind", {{0, 0, 8}, {3, 0, 8}, {0, 3, 8}}, {Triangle(0, 1, 2)},
            {0.2f, 0.8f, 0.2f});
  }
  void TearDown() override {
    host::ClearAllocationFaults();
    host::SetFixedLocalTime(std::nullopt);
    doc_.reset();
    HostTest::TearDown();
  }

  std::unique_ptr<HostDocument> doc_;
  ScratchFolder folder_;
};

// Fails every allocation of one export of `doc` in turn and checks what is
// left: no leak, and either the whole drawing or no drawing and the flag.
void SweepAllocations(HostDocument* doc, const ExportSettings& settings) {
  const std::string file = settings.fileName.Text();
  const int64_t liveBefore = host::GetMemoryStats().liveBlocks;
  const int64_t before = host::GetMemoryStats().totalAllocations;
  ASSERT_FALSE(ExportFrame(doc, settings).memoryFailed);
  const int64_t allocations = host::GetMemoryStats().totalAllocations - before;
  const std::string reference = ReadWhole(file);
  ASSERT_TRUE(reference.find("%%EOF") != std::string::npos ||
              reference.find("</svg>") != std::string::npos);
  ASSERT_GT(allocations, 50);

  for (int64_t n = 1; n <= allocations; ++n) {
    fs::remove(file);
    host::ConsoleCapture quiet;
    host::FailNthAllocation(n);
    const ExportJob job = ExportFrame(doc, settings);
    host::ClearAllocationFaults();
    ASSERT_EQ(host::GetMemoryStats().liveBlocks, liveBefore) << "allocation " << n << " leaks";
    if (fs::exists(file)) {
      EXPECT_EQ(ReadWhole(file), reference) << "allocation " << n << ": a drawing with parts missing";
    } else {
      EXPECT_TRUE(job.memoryFailed) << "allocation " << n << ": no drawing, but no memory failure";
    }
  }
}

TEST_F(ExportMemorySweepTest, EveryFailedAllocationLeavesNoDrawingOrTheWholeDrawing) {
  for (const int32_t style : {kStyleVisibleEdges, kStyleFilled}) {
    SCOPED_TRACE("style " + std::to_string(style));
    SweepAllocations(doc_.get(), FrameSettings(style, folder_ / "frame.ai", 120, 100));
  }
  // The drawing handed to the host for SVG.
  SweepAllocations(doc_.get(), FrameSettings(kStyleFilled, folder_ / "frame.svg", 120, 100));
}

// The plotter paths and the paper layout after the drawing.
TEST_F(ExportMemorySweepTest, PlotterPathsOnPaperToo) {
  ExportSettings settings = FrameSettings(kStyleFilled, folder_ / "frame.ai", 120, 100);
  settings.plotter.on = true;
  settings.plotter.simplify = 0.1;
  settings.paper = PaperOptions{210.0, 297.0, 10.0};
  SweepAllocations(doc_.get(), settings);
}

// The bundled still life: export tags, selections with their own materials,
// quadrangles for the splitter, corners to weld.
TEST_F(ExportMemorySweepTest, TheStillLifeToo) {
  std::string error;
  std::unique_ptr<HostDocument> stillLife(
      host::LoadScene(std::string(VEXMARK_SOURCE_DIR) + "/examples/still-life.vxm", error));
  ASSERT_NE(stillLife, nullptr) << error;
  for (const int32_t style : {kStyleEdgeLines, kStyleFilled}) {
    SCOPED_TRACE("style " + std::to_string(style));
    ExportSettings settings = FrameSettings(style, folder_ / "frame.ai", 200, 150);
    settings.backFaces = kBackFacesDrop;
    SweepAllocations(stillLife.get(), settings);
  }
  // The scene is large enough for pass 2 to reach the helper thread (in the
  // tiny scenes above the calling thread is often done before it starts).
  EXPECT_GT(host::GetParallelStats().indicesOnHelpers, 100);
}

}  // namespace
