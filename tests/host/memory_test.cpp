// Memory accounting and fault injection of memAlloc / memFree.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "host_fixture.h"

namespace {

class HostMemoryTest : public HostTest {};

TEST_F(HostMemoryTest, CountsLiveBlocksBytesAndPeak) {
  const host::MemoryStats before = host::GetMemoryStats();
  void* a = MemAlloc(100);
  void* b = MemAlloc(28);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % alignof(std::max_align_t), 0u);
  std::memset(a, 0xab, 100);  // the whole block is usable

  host::MemoryStats during = host::GetMemoryStats();
  EXPECT_EQ(during.liveBlocks - before.liveBlocks, 2);
  EXPECT_EQ(during.liveBytes - before.liveBytes, 128);
  EXPECT_EQ(during.totalAllocations - before.totalAllocations, 2);

  MemFree(a);
  MemFree(b);
  MemFree(nullptr);
  const host::MemoryStats after = host::GetMemoryStats();
  EXPECT_EQ(after.liveBlocks, before.liveBlocks);
  EXPECT_EQ(after.liveBytes, before.liveBytes);
  EXPECT_EQ(after.peakBytes - before.liveBytes, 128) << "the peak outlives the blocks";
  EXPECT_EQ(after.failedAllocations, 0);
}

TEST_F(HostMemoryTest, FailNthAllocationFailsExactlyThatOne) {
  const int64_t liveBefore = host::GetMemoryStats().liveBlocks;
  host::FailNthAllocation(3);
  std::vector<void*> blocks;
  for (int i = 0; i < 5; ++i) blocks.push_back(MemAlloc(8));
  EXPECT_NE(blocks[0], nullptr);
  EXPECT_NE(blocks[1], nullptr);
  EXPECT_EQ(blocks[2], nullptr);
  EXPECT_NE(blocks[3], nullptr);
  EXPECT_NE(blocks[4], nullptr);
  for (void* block : blocks) MemFree(block);

  const host::MemoryStats stats = host::GetMemoryStats();
  EXPECT_EQ(stats.totalAllocations, 5) << "failed attempts count too";
  EXPECT_EQ(stats.failedAllocations, 1);
  EXPECT_EQ(stats.liveBlocks, liveBefore);
}

TEST_F(HostMemoryTest, FailAllocationsAfterLetsTheNextNSucceed) {
  host::FailAllocationsAfter(2);
  void* a = MemAlloc(8);
  void* b = MemAlloc(8);
  EXPECT_NE(a, nullptr);
  EXPECT_NE(b, nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(MemAlloc(8), nullptr);
  host::ClearAllocationFaults();
  void* c = MemAlloc(8);
  EXPECT_NE(c, nullptr);
  for (void* block : {a, b, c}) MemFree(block);
  EXPECT_EQ(host::GetMemoryStats().failedAllocations, 3);

  host::FailAllocationsAfter(0);
  EXPECT_EQ(MemAlloc(1), nullptr) << "zero successes: the very next allocation fails";
}

TEST_F(HostMemoryTest, ResetClearsFaultsButKeepsLiveBlocks) {
  const int64_t liveBefore = host::GetMemoryStats().liveBlocks;
  void* kept = MemAlloc(16);
  host::FailNthAllocation(1);
  host::ResetForTest();
  void* next = MemAlloc(16);
  EXPECT_NE(next, nullptr);
  EXPECT_EQ(host::GetMemoryStats().liveBlocks - liveBefore, 2)
      << "a leak stays visible after a reset";
  MemFree(kept);
  MemFree(next);
}

TEST_F(HostMemoryTest, AccountingStaysExactUnderConcurrentThreads) {
  const host::MemoryStats before = host::GetMemoryStats();
  auto churn = [] {
    for (int i = 0; i < 2000; ++i) MemFree(MemAlloc(static_cast<size_t>(i % 64)));
  };
  std::thread other(churn);
  churn();
  other.join();
  const host::MemoryStats after = host::GetMemoryStats();
  EXPECT_EQ(after.liveBlocks, before.liveBlocks);
  EXPECT_EQ(after.liveBytes, before.liveBytes);
  EXPECT_EQ(after.totalAllocations - before.totalAllocations, 4000);
}

TEST_F(HostMemoryTest, HostNewArrayRunsThroughTheAccounting) {
  struct Counted {
    int value = 7;
  };
  const int64_t liveBefore = host::GetMemoryStats().liveBlocks;
  Counted* items = HostNewArray<Counted>(10);
  ASSERT_NE(items, nullptr);
  EXPECT_EQ(items[9].value, 7);
  EXPECT_EQ(host::GetMemoryStats().liveBlocks - liveBefore, 1);
  HostDeleteArray(items);
  EXPECT_EQ(host::GetMemoryStats().liveBlocks, liveBefore);

  host::FailNthAllocation(1);
  EXPECT_EQ(HostNewArray<Counted>(10), nullptr);
}

}  // namespace
