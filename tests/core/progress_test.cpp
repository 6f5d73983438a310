// The progress display: percentages in a band, polling at most every 100 ms,
// the spinner after 30 s without change, and the stop test.
#include "core/progress.h"

#include <gtest/gtest.h>

#include <thread>

#include "host/runtime.h"
#include "host_fixture.h"
#include "shell/conv_thread.h"

namespace {

class ProgressTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    host::UseManualClock(true);
    ResetProgress();
  }
  void TearDown() override {
    host::UseManualClock(false);
    HostTest::TearDown();
  }
};

TEST_F(ProgressTest, ShowsThePercentageWithinTheBand) {
  struct Case {
    int32_t index, count, from, to, percent;
  };
  const Case cases[] = {
      {0, 4, 0, 100, 25}, {3, 4, 0, 100, 100}, {0, 3, 75, 100, 83},
      {9, 10, 0, 75, 75}, {5, 0, 0, 100, 0},
  };
  for (const Case& c : cases) {
    ResetProgress();
    ReportProgress(c.index, c.count, c.from, c.to);
    EXPECT_EQ(CurrentProgress().lastPercent, c.percent) << c.index << "/" << c.count;
  }
  ReportProgress(0, 4, 0, 100);
  EXPECT_EQ(host::GetStatus().percent, 25);
  EXPECT_EQ(host::GetStatus().pointer, 3);
}

TEST_F(ProgressTest, PollsAtMostEvery100MsAndSpinsAfter30sWithoutChange) {
  ReportProgress(0, 1000, 0, 1);  // 0 %: no change from the reset state
  const int32_t firstPoll = CurrentProgress().pollTime;

  host::AdvanceManualClock(100);
  ReportProgress(1, 1000, 0, 1);
  EXPECT_EQ(CurrentProgress().pollTime, firstPoll) << "100 ms is not yet more than 100 ms";

  host::AdvanceManualClock(1);
  ReportProgressAgain();
  EXPECT_EQ(CurrentProgress().pollTime, firstPoll + 101);
  EXPECT_FALSE(host::GetStatus().spinning);

  host::AdvanceManualClock(30000);
  ReportProgressAgain();
  EXPECT_TRUE(host::GetStatus().spinning);
  EXPECT_EQ(CurrentProgress().lastIndex, 1) << "ReportProgressAgain keeps the arguments";
}

TEST_F(ProgressTest, StopTestNeedsARunningThreadWithAnEndRequest) {
  EXPECT_FALSE(ExportCancelled(nullptr));
  ExportSettings settings;
  EXPECT_FALSE(ExportCancelled(&settings)) << "no thread";

  struct Waiter : ConvThread {
    void Main() override {
      while (!BreakRequested()) std::this_thread::yield();
    }
  };
  Waiter* thread = HostNew<Waiter>();
  settings.thread = thread;
  EXPECT_FALSE(ExportCancelled(&settings)) << "not running yet";
  ASSERT_TRUE(thread->Start());
  EXPECT_FALSE(ExportCancelled(&settings));
  thread->End(false);
  // Either still running with the request seen, or already ended.
  EXPECT_TRUE(ExportCancelled(&settings) || !thread->IsRunning());
  thread->End(true);
  EXPECT_FALSE(ExportCancelled(&settings)) << "an ended thread is not cancelled";
  HostDelete(thread);
}

}  // namespace
