// The progress display: percentages in a band, polling at most every 100 ms,
// the spinner after 30 s without change, and the stop test.
#include "core/job.h"

#include <gtest/gtest.h>

#include <thread>

#include "host/runtime.h"
#include "host_fixture.h"
#include "core/stack.h"

namespace {

class ProgressTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    host::UseManualClock(true);
    ResetProgress(job_);
  }
  void TearDown() override {
    host::UseManualClock(false);
    HostTest::TearDown();
  }
  const ProgressState& CurrentProgress() const { return job_.progress; }

  ExportJob job_;
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
    ResetProgress(job_);
    ReportProgress(job_, c.index, c.count, c.from, c.to);
    EXPECT_EQ(CurrentProgress().lastPercent, c.percent) << c.index << "/" << c.count;
  }
  ReportProgress(job_, 0, 4, 0, 100);
  EXPECT_EQ(host::GetStatus().percent, 25);
  EXPECT_EQ(host::GetStatus().pointer, 3);
}

TEST_F(ProgressTest, PollsAtMostEvery100MsAndSpinsAfter30sWithoutChange) {
  ReportProgress(job_, 0, 1000, 0, 1);  // 0 %: no change from the reset state
  const int32_t firstPoll = CurrentProgress().pollTime;

  host::AdvanceManualClock(100);
  ReportProgress(job_, 1, 1000, 0, 1);
  EXPECT_EQ(CurrentProgress().pollTime, firstPoll) << "100 ms is not yet more than 100 ms";

  host::AdvanceManualClock(1);
  ReportProgressAgain(job_);
  EXPECT_EQ(CurrentProgress().pollTime, firstPoll + 101);
  EXPECT_FALSE(host::GetStatus().spinning);

  host::AdvanceManualClock(30000);
  ReportProgressAgain(job_);
  EXPECT_TRUE(host::GetStatus().spinning);
  EXPECT_EQ(CurrentProgress().lastIndex, 1) << "ReportProgressAgain keeps the arguments";
}

TEST_F(ProgressTest, StopTestNeedsARunningThreadWithAnEndRequest) {
  EXPECT_FALSE(ExportCancelled(static_cast<const ExportJob*>(nullptr)));
  ExportJob job;
  EXPECT_FALSE(ExportCancelled(job)) << "no thread";

  struct Waiter : Thread {
    void Main() override {
      while (!BreakRequested()) std::this_thread::yield();
    }
  };
  Waiter* thread = HostNew<Waiter>();
  job.thread = thread;
  EXPECT_FALSE(ExportCancelled(job)) << "not running yet";
  ASSERT_TRUE(thread->Start());
  EXPECT_FALSE(ExportCancelled(job));
  thread->End(false);
  // Either still running with the request seen, or already ended.
  EXPECT_TRUE(ExportCancelled(job) || !thread->IsRunning());
  thread->End(true);
  EXPECT_FALSE(ExportCancelled(job)) << "an ended thread is not cancelled";
  HostDelete(thread);
}

// A failed list growth marks the job bound to the thread that grew it, and
// no other: two runs on two threads never see each other's failures.
TEST_F(ProgressTest, MemoryFailureMarksOnlyTheJobOfItsThread) {
  ExportJob failing;
  ExportJob healthy;
  std::thread other([&] {
    JobBinding binding(healthy);
    Stack<int> list;
    list.Push(1);
  });
  other.join();
  {
    JobBinding binding(failing);
    Stack<int> list;
    host::ConsoleCapture quiet;
    host::FailNthAllocation(1);
    list.Push(1);
    host::ClearAllocationFaults();
    EXPECT_EQ(MemoryErrorFlag::Test(), 1);
  }
  EXPECT_TRUE(failing.memoryFailed);
  EXPECT_FALSE(healthy.memoryFailed);
  EXPECT_EQ(MemoryErrorFlag::Test(), 0) << "outside the binding the thread's own flag is clear";
}

}  // namespace
