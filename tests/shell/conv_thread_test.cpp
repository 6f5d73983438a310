// The export driver against the real host runtime: frame stepping with exact
// times, pre-roll, stop requests, memory failures and the end-of-job event.
#include "shell/conv_thread.h"
#include "shell/settings_storage.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/stack.h"
#include "host/runtime.h"
#include "host_fixture.h"
#include "shell/frame_export.h"

namespace {

struct RenderedFrame {
  int32_t index;
  Time time;
};

// What the frame steps saw, written on the conversion thread.
std::mutex gMutex;
std::vector<RenderedFrame> gFrames;
std::function<void(int32_t, ExportJob&)> gOnFrame;

void RecordFrame(BaseDocument* doc, int32_t frame, const ExportSettings&, ExportJob& job) {
  {
    std::lock_guard<std::mutex> lock(gMutex);
    gFrames.push_back({frame, DocumentTime(doc)});
  }
  if (gOnFrame) gOnFrame(frame, job);
}

class ConvThreadTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    gFrames.clear();
    gOnFrame = nullptr;
    ASSERT_TRUE(ResourcesLoad(VEXMARK_SOURCE_DIR));
    source_ = host::NewDocument();
    BaseContainer settings = GetDocumentData(source_, kDocumentSettings);
    settings.SetInt(kDocFps, 30);
    SetDocumentData(source_, kDocumentSettings, settings);
  }
  void TearDown() override {
    ResourcesFree();
    FreeDocument(source_);
    MemoryErrorFlag::Clear();
    HostTest::TearDown();
  }

  // Runs an export as the dialog does: a thread with a copy of the record and
  // a private document copy; waits for the end-of-job event.
  // A memory flag left set on the job must not survive the start.
  void RunExport(const ExportSettings& settings, bool staleMemoryFlag = false) {
    const int64_t documentsBefore = host::LiveDocuments();
    ConvThread* thread = HostNew<ConvThread>();
    ASSERT_NE(thread, nullptr);
    thread->settings = settings;
    thread->renderer = &RecordFrame;
    thread->job.memoryFailed = staleMemoryFlag;
    thread->job.document = CopyDocument(source_);
    ASSERT_NE(thread->job.document, nullptr);
    endEvents_ = 0;
    const int32_t token = host::AddEventListener([this](const host::SpecialEvent& e) {
      if (e.id == kVexmarkCommandId && e.a == 0 && e.b == 0) ++endEvents_;
    });
    ASSERT_TRUE(thread->Start());
    for (int waited = 0; endEvents_ == 0 && waited < 200; ++waited)
      host::WaitAndDeliverEvents(50);
    host::RemoveEventListener(token);
    ASSERT_EQ(endEvents_, 1) << "the end-of-job event must arrive exactly once";
    memoryFailed_ = thread->job.memoryFailed;
    HostDelete(thread);
    EXPECT_EQ(host::LiveDocuments(), documentsBefore) << "the document copy is freed";
    EXPECT_EQ(host::GetStatus().pointer, 2) << "the normal pointer is back";
  }

  std::vector<int32_t> FrameIndices() const {
    std::vector<int32_t> indices;
    for (const RenderedFrame& f : gFrames) indices.push_back(f.index);
    return indices;
  }

  BaseDocument* source_ = nullptr;
  int endEvents_ = 0;
  bool memoryFailed_ = false;  // the memory flag of the last run's job
};

TEST_F(ConvThreadTest, StepsTheRangeWithExactTimes) {
  ExportSettings s;
  s.fromFrame = 0;
  s.toFrame = 30;
  s.frameRate = 12;
  RunExport(s);

  ASSERT_EQ(gFrames.size(), 13u);
  for (int i = 0; i < 13; ++i) {
    EXPECT_EQ(gFrames[i].index, i);
    EXPECT_TRUE(gFrames[i].time == Time(i, 12)) << "frame " << i;
  }
  EXPECT_TRUE(gFrames.back().time == Time(1, 1)) << "the last frame falls exactly on 1 s";
}

TEST_F(ConvThreadTest, OneFrameRangeExportsIndexZeroAndShowsThePrefix) {
  std::vector<std::string> texts;
  host::SetStatusListener([&](const host::StatusState& st) {
    std::lock_guard<std::mutex> lock(gMutex);
    if (!st.text.empty()) texts.push_back(st.text);
  });
  ExportSettings s;
  s.fromFrame = 4;
  s.toFrame = 4;
  RunExport(s);
  host::SetStatusListener(nullptr);

  EXPECT_EQ(FrameIndices(), std::vector<int32_t>{0});
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front(), LoadResourceString(kStatusPrefixString).Text() + std::string("0"));
  EXPECT_TRUE(host::GetStatus().text.empty()) << "the status bar is cleared at the end";
}

TEST_F(ConvThreadTest, PreRollsFromTheStartWithoutOutput) {
  ExportSettings s;
  s.fromFrame = 10;  // 1/3 s at 30 fps
  s.toFrame = 10;
  s.frameRate = 10;
  RunExport(s);

  std::vector<Time> animated;
  for (const host::AnimateCall& call : host::AnimateCalls()) animated.push_back(call.time);
  ASSERT_EQ(animated.size(), 5u);
  EXPECT_TRUE(animated[0] == Time(0, 1));
  EXPECT_TRUE(animated[1] == Time(1, 10));
  EXPECT_TRUE(animated[2] == Time(2, 10));
  EXPECT_TRUE(animated[3] == Time(3, 10)) << "3/10 is still before 1/3";
  EXPECT_TRUE(animated[4] == Time(1, 3)) << "then the one exported frame";
  EXPECT_EQ(FrameIndices(), std::vector<int32_t>{0});
}

TEST_F(ConvThreadTest, ReversedRangePreRollsButExportsNothing) {
  ExportSettings s;
  s.fromFrame = 6;
  s.toFrame = 3;
  s.frameRate = 30;
  RunExport(s);

  EXPECT_TRUE(gFrames.empty());
  EXPECT_EQ(host::AnimateCalls().size(), 6u) << "pre-roll over frames 0 to 5";
}

TEST_F(ConvThreadTest, StopRequestEndsTheRunAfterTheCurrentFrame) {
  gOnFrame = [](int32_t frame, ExportJob& job) {
    if (frame == 2) job.thread->End(false);
  };
  ExportSettings s;
  s.toFrame = 30;
  s.frameRate = 30;
  RunExport(s);

  EXPECT_EQ(FrameIndices(), (std::vector<int32_t>{0, 1, 2}));
}

TEST_F(ConvThreadTest, FailedStackGrowthEndsTheRunAfterThatFrame) {
  host::ConsoleCapture console;
  gOnFrame = [](int32_t frame, ExportJob&) {
    if (frame != 1) return;
    Stack<int> list;
    host::FailNthAllocation(1);
    list.Push(1);
  };
  ExportSettings s;
  s.toFrame = 30;
  s.frameRate = 30;
  RunExport(s);

  EXPECT_EQ(FrameIndices(), (std::vector<int32_t>{0, 1}));
  EXPECT_TRUE(console.Contains("NO MEMORY: stack 237"));
  EXPECT_TRUE(memoryFailed_) << "the failure marks the run's job";
}

TEST_F(ConvThreadTest, MemoryFlagFromAnEarlierRunIsClearedAtTheStart) {
  ExportSettings s;
  s.toFrame = 2;
  s.frameRate = 30;
  RunExport(s, true);
  EXPECT_EQ(gFrames.size(), 3u);
}

TEST_F(ConvThreadTest, FrameRateBelowOneIsRefusedWithoutHanging) {
  for (int32_t rate : {0, -5}) {
    gFrames.clear();
    host::ConsoleCapture console;
    ExportSettings s;
    s.toFrame = 10;
    s.frameRate = rate;
    RunExport(s);
    EXPECT_TRUE(gFrames.empty()) << "rate " << rate;
    EXPECT_EQ(console.Lines().size(), 1u) << "one clear line for rate " << rate;
  }
}

// A range of more than 100000 frames is refused before the first frame.
TEST_F(ConvThreadTest, RangesOfMoreThanAHundredThousandFramesAreRefused) {
  struct Case {
    int32_t from, to, rate;
  };
  const Case cases[] = {
      {0, 100000, 30},  // 100001 frames at the document's 30 fps
      {0, 1, 1000000000},
      {-2147483647 - 1, 2147483647, 2147483647},
  };
  for (const Case& c : cases) {
    gFrames.clear();
    host::ConsoleCapture console;
    ExportSettings s;
    s.fromFrame = c.from;
    s.toFrame = c.to;
    s.frameRate = c.rate;
    RunExport(s);
    EXPECT_TRUE(gFrames.empty()) << c.to << " at " << c.rate;
    EXPECT_EQ(console.Lines(),
              std::vector<std::string>{
                  "Export refused: the frame range would write more than 100000 files."});
  }
}

TEST_F(ConvThreadTest, UnallocatableFrameStepStillCleansUpAndPostsTheEndEvent) {
  host::ConsoleCapture console;
  ExportSettings s;
  s.toFrame = 10;
  // The thread's first host allocation is its frame step.
  gOnFrame = nullptr;
  const int64_t documentsBefore = host::LiveDocuments();
  ConvThread* thread = HostNew<ConvThread>();
  ASSERT_NE(thread, nullptr);
  thread->settings = s;
  thread->renderer = &RecordFrame;
  thread->job.document = CopyDocument(source_);
  int events = 0;
  const int32_t token =
      host::AddEventListener([&](const host::SpecialEvent& e) { events += e.id == kVexmarkCommandId; });
  host::FailNthAllocation(1);
  ASSERT_TRUE(thread->Start());
  for (int waited = 0; events == 0 && waited < 200; ++waited) host::WaitAndDeliverEvents(50);
  host::RemoveEventListener(token);
  host::ClearAllocationFaults();
  HostDelete(thread);

  EXPECT_EQ(events, 1);
  EXPECT_TRUE(gFrames.empty());
  EXPECT_EQ(host::LiveDocuments(), documentsBefore);
  EXPECT_EQ(console.Lines().size(), 1u);
}

}  // namespace
