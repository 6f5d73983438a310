// Thread handles: start, running state, end requests and freeing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "host_fixture.h"

namespace {

class HostThreadTest : public HostTest {};

// Runs until the host's standard break test says stop.
class LoopingThread : public Thread {
 public:
  ~LoopingThread() override { End(true); }
  void Main() override {
    started = true;
    while (!TestBreak()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    finished = true;
  }
  std::atomic<bool> started{false};
  std::atomic<bool> finished{false};
};

bool WaitFor(const std::atomic<bool>& flag) {
  for (int i = 0; i < 2000 && !flag; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return flag;
}

TEST_F(HostThreadTest, RunsUntilAnEndRequestTurnsTheBreakTestTrue) {
  LoopingThread thread;
  ASSERT_TRUE(thread.Valid());
  EXPECT_FALSE(thread.IsRunning());
  ASSERT_TRUE(thread.Start());
  EXPECT_TRUE(thread.IsRunning());
  EXPECT_FALSE(thread.Start()) << "a running thread does not start twice";
  ASSERT_TRUE(WaitFor(thread.started));
  EXPECT_FALSE(thread.BreakRequested());

  thread.End(true);
  EXPECT_TRUE(thread.finished);
  EXPECT_TRUE(thread.BreakRequested());
  EXPECT_FALSE(thread.IsRunning());

  thread.finished = false;
  ASSERT_TRUE(thread.Start()) << "a finished thread starts again, with the request cleared";
  EXPECT_FALSE(thread.BreakRequested());
  thread.End(false);
  EXPECT_TRUE(WaitFor(thread.finished));
}

TEST_F(HostThreadTest, IsRunningTurnsFalseWhenMainReturns) {
  struct Quick : Thread {
    ~Quick() override { End(true); }
    void Main() override { ran = true; }
    std::atomic<bool> ran{false};
  } thread;
  ASSERT_TRUE(thread.Start());
  ASSERT_TRUE(WaitFor(thread.ran));
  for (int i = 0; i < 2000 && thread.IsRunning(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_FALSE(thread.BreakRequested()) << "returning is not an end request";
}

struct RawLoop {
  std::atomic<bool> finished{false};
  HostThread* handle = nullptr;
};

TEST_F(HostThreadTest, FreeWhileRunningEndsAndJoinsTheThread) {
  const int64_t before = host::GetLiveHandles().threads;
  RawLoop loop;
  loop.handle = Host().threadNew(
      [](void* user) {
        auto* self = static_cast<RawLoop*>(user);
        while (!Host().threadTestBreak(self->handle))
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        self->finished = true;
      },
      nullptr, &loop);
  ASSERT_EQ(Host().threadStart(loop.handle, 1, 1), 1);
  EXPECT_EQ(host::GetLiveHandles().threads - before, 1);
  Host().threadFree(loop.handle);
  EXPECT_TRUE(loop.finished) << "free returns only after main has returned";
  EXPECT_EQ(host::GetLiveHandles().threads, before);
}

}  // namespace
