// The preview's frame driver (shell/preview_frame.h): the drawing it makes,
// from a fresh capture or from the kept one, is DrawFrame's; its job's stop
// flag stops it; and what it keeps is keyed by the scene revision the host
// gives, so that a changed scene needs a new revision.
#include "shell/preview_frame.h"

#include <string>

#include "export_support.h"
#include "output/drawing_file.h"
#include "output/frame_output.h"

namespace e2e {
namespace {

class PreviewFrameTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    doc_.reset(host::NewDocument());
    AddOverlappingSquares(*doc_);
  }
  void TearDown() override {
    ReleaseKeptPreview();
    doc_.reset();
    HostTest::TearDown();
  }

  // A drawing as the SVG file it gives.
  std::string AsSvg(const Drawing& drawing, const ExportSettings& settings) {
    ExportJob job;
    const fs::path file = folder_ / "frame.svg";
    EXPECT_TRUE(WriteDrawingFile(FrameFileOf(settings, &job), drawing, 0));
    const std::string text = ReadWhole(file);
    fs::remove(file);
    return text;
  }

  std::string DrawnByDrawFrame(const ExportSettings& settings) {
    ExportJob job;
    JobBinding binding(job);
    Drawing drawing;
    EXPECT_TRUE(DrawFrame(doc_.get(), settings, job, drawing));
    return AsSvg(drawing, settings);
  }

  // The preview of revision `revision`; empty when it was not drawn.
  std::string Previewed(const ExportSettings& settings, int64_t revision, int32_t stop = 0) {
    const volatile int32_t flag = stop;
    Drawing drawing;
    outcome_ = DrawPreviewFrame(PreviewFrame{doc_.get(), 0, revision, &settings, &flag}, drawing);
    return outcome_ == PreviewOutcome::kDrawn ? AsSvg(drawing, settings) : "";
  }

  ExportSettings Settings(int32_t style) { return FrameSettings(style, folder_ / "frame.svg"); }

  std::unique_ptr<HostDocument> doc_;
  ScratchFolder folder_;
  PreviewOutcome outcome_ = PreviewOutcome::kNoMemory;
};

TEST_F(PreviewFrameTest, EveryStyleDrawsWhatDrawFrameDraws) {
  // Filled, lines and visible share one capture; edges keeps hidden surfaces
  // and captures again; then filled once more.
  for (int32_t style :
       {kStyleFilled, kStyleEdgeLines, kStyleVisibleEdges, kStyleAllEdges, kStyleFilled}) {
    SCOPED_TRACE("style " + std::to_string(style));
    const std::string previewed = Previewed(Settings(style), 1);
    EXPECT_FALSE(previewed.empty());
    EXPECT_EQ(previewed, DrawnByDrawFrame(Settings(style)));
  }
}

TEST_F(PreviewFrameTest, TheStopFlagStopsTheFrame) {
  EXPECT_EQ(Previewed(Settings(kStyleFilled), 1, /*stop=*/1), "");
  EXPECT_EQ(outcome_, PreviewOutcome::kStopped);
  EXPECT_EQ(Previewed(Settings(kStyleFilled), 1), DrawnByDrawFrame(Settings(kStyleFilled)));
  // Stopped in the lines stage, the kept capture still serves.
  EXPECT_EQ(Previewed(Settings(kStyleEdgeLines), 1, /*stop=*/1), "");
  EXPECT_EQ(outcome_, PreviewOutcome::kStopped);
  EXPECT_EQ(Previewed(Settings(kStyleEdgeLines), 1), DrawnByDrawFrame(Settings(kStyleEdgeLines)));
}

TEST_F(PreviewFrameTest, AChangedSceneIsCapturedAgainUnderANewRevision) {
  const std::string before = Previewed(Settings(kStyleFilled), 1);
  doc_->scene.Object(1)->local.off = {1.5, 0.5, 0};  // the front square moves
  const std::string moved = DrawnByDrawFrame(Settings(kStyleFilled));
  ASSERT_NE(moved, before);
  EXPECT_EQ(Previewed(Settings(kStyleFilled), 1), before) << "the same revision keeps its capture";
  EXPECT_EQ(Previewed(Settings(kStyleFilled), 2), moved);
}

}  // namespace
}  // namespace e2e
