// Whole exports on a conversion thread, as the dialog starts them: a frame
// range of the turntable writes one complete file per frame, and a stop
// request or memory running out in the middle of a frame leaves only
// complete files behind and still ends the run with its event.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "export_support.h"
#include "host/import/load_scene.h"
#include "shell/conv_thread.h"
#include "shell/settings_storage.h"
#include "shell/frame_export.h"

namespace {

using namespace e2e;

constexpr int32_t kStoppedFrame = 2;

// What the frame renderer installed by a test does to frame kStoppedFrame.
std::atomic<int64_t> gFailAfter{-1};    // let this many allocations succeed, then fail all
std::atomic<int64_t> gAllocations{-1};  // counts the frame's allocations when >= 0

void RenderWithFaults(BaseDocument* doc, int32_t frame, const ExportSettings& settings,
                      ExportJob& job) {
  if (frame != kStoppedFrame) return RenderFrame(doc, frame, settings, job);
  const int64_t before = host::GetMemoryStats().totalAllocations;
  if (gFailAfter >= 0) host::FailAllocationsAfter(gFailAfter);
  RenderFrame(doc, frame, settings, job);
  host::ClearAllocationFaults();
  if (gAllocations >= 0) gAllocations = host::GetMemoryStats().totalAllocations - before;
}

class ExportRunTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    ASSERT_TRUE(ResourcesLoad(VEXMARK_SOURCE_DIR));
    std::string error;
    source_.reset(
        host::LoadScene(std::string(VEXMARK_SOURCE_DIR) + "/examples/turntable.gltf", error));
    ASSERT_NE(source_, nullptr) << error;
    gFailAfter = -1;
    gAllocations = -1;
  }
  void TearDown() override {
    host::SetStatusListener(nullptr);
    host::ClearAllocationFaults();
    ResourcesFree();
    MemoryErrorFlag::Clear();
    source_.reset();
    HostTest::TearDown();
  }

  // Exports frames 0 to `to` of the turntable at its own 24 frames per
  // second in `style`, as the dialog does: a thread with its own settings
  // and document copy. Waits for the end-of-job event, which must come once.
  void RunExport(int32_t style, int32_t to) {
    const int64_t documentsBefore = host::LiveDocuments();
    thread_ = HostNew<ConvThread>();
    ASSERT_NE(thread_, nullptr);
    thread_->settings = FrameSettings(style, folder_ / "spin.ai", 160, 120);
    thread_->settings.backFaces = kBackFacesDrop;
    thread_->settings.toFrame = to;
    thread_->settings.frameRate = 24;
    thread_->renderer = renderer_;
    thread_->job.document = CopyDocument(source_.get());
    int endEvents = 0;
    const int32_t token = host::AddEventListener(
        [&](const host::SpecialEvent& e) { endEvents += e.id == kVexmarkCommandId ? 1 : 0; });
    ASSERT_TRUE(thread_->Start());
    for (int waited = 0; endEvents == 0 && waited < 400; ++waited) host::WaitAndDeliverEvents(50);
    HostDelete(thread_);  // waits for the thread's end
    thread_ = nullptr;
    host::DeliverEvents();
    host::RemoveEventListener(token);
    EXPECT_EQ(endEvents, 1) << "the end-of-job event comes once";
    EXPECT_EQ(host::LiveDocuments(), documentsBefore) << "the document copy is freed";
  }

  // The frame indices of the files in the folder; every file must be a
  // complete drawing named after its frame.
  std::vector<int> CompleteFrames() const {
    std::vector<int> frames;
    const std::regex name("spin-([0-9]+)\\.ai");
    for (const std::string& file : folder_.Files()) {
      std::smatch match;
      if (!std::regex_match(file, match, name)) {
        ADD_FAILURE() << "unexpected file " << file;
        continue;
      }
      EXPECT_TRUE(ReadDrawing(folder_.Path() / file).framed) << file;
      frames.push_back(std::stoi(match[1]));
    }
    std::sort(frames.begin(), frames.end());
    return frames;
  }

  std::string FrameFile(int frame) const {
    return folder_ / ("spin-" + std::to_string(frame) + ".ai");
  }

  std::unique_ptr<HostDocument> source_;
  ConvThread* thread_ = nullptr;
  FrameRenderer renderer_ = &RenderFrame;  // the frame renderer of the next export
  ScratchFolder folder_;
};

std::vector<int> Range(int from, int to) {
  std::vector<int> frames;
  for (int f = from; f <= to; ++f) frames.push_back(f);
  return frames;
}

TEST_F(ExportRunTest, FrameRangeWritesOneCompleteFilePerFrame) {
  RunExport(kStyleFilled, 6);
  EXPECT_EQ(CompleteFrames(), Range(0, 6));
  std::vector<std::string> expected;
  for (int f = 0; f <= 6; ++f) expected.push_back(FrameFile(f));
  EXPECT_EQ(host::WrittenFiles(), expected) << "in frame order, nothing else";

  // Each frame shows the box at its own time: it turns from frame to
  // frame, and after a quarter turn (frame 6 of 24) the cube looks as it
  // did at the start.
  std::vector<std::vector<PaintedPath>> frames;
  for (int f = 0; f <= 6; ++f) frames.push_back(ReadDrawing(FrameFile(f)).paths);
  // The corners where the paths turn, to a tenth of a point; where a path
  // goes straight on, the split points of hidden-surface removal may differ.
  const auto corners = [](const std::vector<PaintedPath>& paths) {
    std::vector<std::pair<long, long>> all;
    for (const PaintedPath& path : paths) {
      const std::vector<PagePoint>& p = path.points;
      for (size_t i = 0; i < p.size(); ++i) {
        if (i > 0 && i + 1 < p.size()) {
          const double cross = (p[i].x - p[i - 1].x) * (p[i + 1].y - p[i].y) -
                               (p[i].y - p[i - 1].y) * (p[i + 1].x - p[i].x);
          const double along = std::hypot(p[i + 1].x - p[i - 1].x, p[i + 1].y - p[i - 1].y);
          if (std::fabs(cross) < 0.05 * along) continue;
        }
        all.push_back({std::lround(p[i].x * 10), std::lround(p[i].y * 10)});
      }
    }
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
  };
  for (int f = 1; f <= 6; ++f) EXPECT_NE(corners(frames[f]), corners(frames[f - 1])) << f;
  EXPECT_EQ(corners(frames[6]), corners(frames[0]));
}

// The stop request comes while frame 2 is in progress, at several points of
// it: before capture, during the passes, during the edge lines and while the
// file is written.
TEST_F(ExportRunTest, StopDuringAFrameLeavesOnlyCompleteFiles) {
  for (const int threshold : {0, 20, 60, 80, 90, 99}) {
    SCOPED_TRACE("stop at " + std::to_string(threshold) + " %");
    for (const std::string& file : folder_.Files()) fs::remove(folder_.Path() / file);
    bool stopped = false, fileWasThere = false;
    host::SetStatusListener([&](const host::StatusState& status) {
      // Runs on the conversion thread; the percentage falls back when the
      // frame's progress starts.
      if (stopped || thread_->job.frame != kStoppedFrame || status.percent < 0) return;
      if (status.percent == 100 || status.percent < threshold) return;
      fileWasThere = fs::exists(FrameFile(kStoppedFrame));
      thread_->End(false);
      stopped = true;
    });
    RunExport(kStyleFilled, 8);
    host::SetStatusListener(nullptr);
    ASSERT_TRUE(stopped) << "the frame never reached the point";
    EXPECT_EQ(CompleteFrames(), Range(0, fileWasThere ? 2 : 1));
  }
}

// Memory runs out at several points of frame 2 and stays out until the
// frame ends: no file for that frame, none after it, the earlier ones
// complete.
TEST_F(ExportRunTest, MemoryRunningOutDuringAFrameEndsTheRunAfterIt) {
  renderer_ = &RenderWithFaults;
  gAllocations = 0;
  RunExport(kStyleFilled, 4);
  const int64_t allocations = gAllocations;
  ASSERT_GT(allocations, 100);
  gAllocations = -1;
  EXPECT_EQ(CompleteFrames(), Range(0, 4));

  host::ConsoleCapture console;
  for (const double share : {0.01, 0.25, 0.5, 0.75, 0.9}) {
    SCOPED_TRACE("memory runs out after " + std::to_string(share) + " of the frame");
    for (const std::string& file : folder_.Files()) fs::remove(folder_.Path() / file);
    gFailAfter = static_cast<int64_t>(share * allocations);
    RunExport(kStyleFilled, 4);
    EXPECT_EQ(CompleteFrames(), Range(0, 1));
  }
  bool reported = false;
  for (const std::string& line : console.Lines()) reported |= line.rfind("NO MEMORY: ", 0) == 0;
  EXPECT_TRUE(reported);
}

// A single failed allocation while the objects are captured: a drawing
// without the object would pass for complete, so none is written.
TEST_F(ExportRunTest, ObjectThatCannotBeCapturedLeavesNoDrawing) {
  ExportSettings settings = FrameSettings(kStyleFilled, folder_ / "frame.ai", 160, 120);
  settings.backFaces = kBackFacesDrop;
  int reports = 0;
  for (int64_t n = 1; n < 80; ++n) {
    fs::remove(folder_ / "frame.ai");
    host::ConsoleCapture console;
    host::FailNthAllocation(n);
    const ExportJob job = ExportFrame(source_.get(), settings);
    host::ClearAllocationFaults();
    if (!console.Contains("NO MEMORY: BSPRenderer 235")) continue;
    ++reports;
    EXPECT_FALSE(fs::exists(folder_ / "frame.ai")) << "allocation " << n;
    EXPECT_TRUE(job.memoryFailed) << "the run ends after the frame";
  }
  EXPECT_GT(reports, 0) << "no allocation of the capture failed";
}

}  // namespace
