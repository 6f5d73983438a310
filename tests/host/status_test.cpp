// The status display, the pointer and the millisecond timer.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "host_fixture.h"

namespace {

class HostStatusTest : public HostTest {};

TEST_F(HostStatusTest, TracksTextBarSpinnerAndPointer) {
  std::vector<host::StatusState> seen;
  host::SetStatusListener([&](const host::StatusState& s) { seen.push_back(s); });

  StatusSetText("Vexmark frame 3");
  StatusSetBar(40);
  SetMousePointer(kPointerBusy);
  host::StatusState s = host::GetStatus();
  EXPECT_EQ(s.text, "Vexmark frame 3");
  EXPECT_EQ(s.percent, 40);
  EXPECT_FALSE(s.spinning);
  EXPECT_EQ(s.pointer, kPointerBusy);

  StatusSetSpin();
  EXPECT_TRUE(host::GetStatus().spinning);
  StatusSetBar(150);
  EXPECT_EQ(host::GetStatus().percent, 100) << "the bar is clamped";
  EXPECT_FALSE(host::GetStatus().spinning) << "a bar replaces the spinner";

  StatusClear();
  s = host::GetStatus();
  EXPECT_EQ(s.text, "");
  EXPECT_EQ(s.percent, -1);
  EXPECT_EQ(s.pointer, kPointerBusy) << "clearing the status bar leaves the pointer";
  EXPECT_EQ(seen.size(), 6u) << "the listener hears every change";
  EXPECT_EQ(seen[1].percent, 40);
}

TEST_F(HostStatusTest, ManualClockStepsOnlyWhenAdvanced) {
  host::UseManualClock(true);
  EXPECT_EQ(TimerMs(), 0);
  host::AdvanceManualClock(250);
  host::AdvanceManualClock(1);
  EXPECT_EQ(TimerMs(), 251);

  host::UseManualClock(false);
  const int32_t start = TimerMs();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const int32_t elapsed = TimerMs() - start;
  EXPECT_GE(elapsed, 20);
  EXPECT_LT(elapsed, 5000);
}

}  // namespace
