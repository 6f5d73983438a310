// memAlloc / memFree: malloc with a header before each block that records its
// size (for the live and peak accounting) and a tag that catches frees of
// blocks that did not come from memAlloc. Fault injection lets tests make a
// chosen allocation fail. The conversion thread and the parallel work's
// threads allocate at once, so the counts are atomic and the fault settings
// are behind a mutex that an allocation takes only while a fault is set.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "host/runtime.h"
#include "host/services.h"

namespace host {
namespace {

struct BlockHeader {
  uint64_t bytes;
  uint64_t tag;
};
// The header keeps the block aligned like malloc's own blocks.
constexpr size_t kHeaderSize = 16;
static_assert(sizeof(BlockHeader) <= kHeaderSize && alignof(std::max_align_t) <= kHeaderSize);
constexpr uint64_t kLiveTag = 0x5645584d41524b31ull;
constexpr uint64_t kFreedTag = 0x4652454544424c4bull;

struct Counts {
  std::atomic<int64_t> liveBlocks{0};
  std::atomic<int64_t> liveBytes{0};
  std::atomic<int64_t> peakBytes{0};
  std::atomic<int64_t> totalAllocations{0};
  std::atomic<int64_t> failedAllocations{0};
};
Counts gCounts;

std::mutex gMutex;                   // guards the two settings below and resets
int64_t gFailCountdown = 0;          // > 0: the allocation that brings it to 0 fails
int64_t gSuccessBudget = -1;         // >= 0: allocations left before all fail
std::atomic<bool> gFaultSet{false};  // either setting is in force

// Under the lock.
void UpdateFaultSet() {
  gFaultSet = gFailCountdown > 0 || gSuccessBudget >= 0;
}

// Decides whether this allocation attempt is made to fail.
bool InjectedFailure() {
  if (!gFaultSet.load(std::memory_order_acquire)) return false;
  std::lock_guard<std::mutex> lock(gMutex);
  bool fail = false;
  if (gFailCountdown > 0 && --gFailCountdown == 0) fail = true;
  if (gSuccessBudget == 0) fail = true;
  if (gSuccessBudget > 0) --gSuccessBudget;
  UpdateFaultSet();
  return fail;
}

void* MemAlloc(size_t bytes) {
  gCounts.totalAllocations.fetch_add(1, std::memory_order_relaxed);
  void* raw = nullptr;
  if (!InjectedFailure() && bytes <= SIZE_MAX - kHeaderSize) raw = std::malloc(kHeaderSize + bytes);
  if (raw == nullptr) {
    gCounts.failedAllocations.fetch_add(1, std::memory_order_relaxed);
    return nullptr;
  }
  auto* header = static_cast<BlockHeader*>(raw);
  header->bytes = bytes;
  header->tag = kLiveTag;
  gCounts.liveBlocks.fetch_add(1, std::memory_order_relaxed);
  const int64_t live =
      gCounts.liveBytes.fetch_add(static_cast<int64_t>(bytes), std::memory_order_relaxed) +
      static_cast<int64_t>(bytes);
  int64_t peak = gCounts.peakBytes.load(std::memory_order_relaxed);
  while (live > peak &&
         !gCounts.peakBytes.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
  }
  return static_cast<char*>(raw) + kHeaderSize;
}

void MemFree(void* block) {
  if (block == nullptr) return;
  auto* header = reinterpret_cast<BlockHeader*>(static_cast<char*>(block) - kHeaderSize);
  if (header->tag != kLiveTag) {
    // Freeing twice or freeing foreign memory corrupts the heap: stop here.
    std::fprintf(stderr, "memFree: block %p was not allocated by memAlloc or is already freed\n",
                 block);
    std::abort();
  }
  header->tag = kFreedTag;
  gCounts.liveBlocks.fetch_sub(1, std::memory_order_relaxed);
  gCounts.liveBytes.fetch_sub(static_cast<int64_t>(header->bytes), std::memory_order_relaxed);
  std::free(header);
}

}  // namespace

// The counts as they stand; exact when no other thread allocates meanwhile.
MemoryStats GetMemoryStats() {
  MemoryStats stats;
  stats.liveBlocks = gCounts.liveBlocks;
  stats.liveBytes = gCounts.liveBytes;
  stats.peakBytes = gCounts.peakBytes;
  stats.totalAllocations = gCounts.totalAllocations;
  stats.failedAllocations = gCounts.failedAllocations;
  return stats;
}

void FailNthAllocation(int64_t n) {
  std::lock_guard<std::mutex> lock(gMutex);
  gFailCountdown = n > 0 ? n : 0;
  UpdateFaultSet();
}

void FailAllocationsAfter(int64_t n) {
  std::lock_guard<std::mutex> lock(gMutex);
  gSuccessBudget = n > 0 ? n : 0;
  UpdateFaultSet();
}

void ClearAllocationFaults() {
  std::lock_guard<std::mutex> lock(gMutex);
  gFailCountdown = 0;
  gSuccessBudget = -1;
  UpdateFaultSet();
}

void FillMemoryEntries(HostApi& table) {
  table.memAlloc = &MemAlloc;
  table.memFree = &MemFree;
}

// Blocks still live stay counted so that a leak shows up after a reset; the
// totals and the peak start again from the live state.
void ResetMemory() {
  ClearAllocationFaults();
  gCounts.totalAllocations = 0;
  gCounts.failedAllocations = 0;
  gCounts.peakBytes = gCounts.liveBytes.load();
}

}  // namespace host
