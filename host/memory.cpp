// memAlloc / memFree: malloc with a header before each block that records its
// size (for the live and peak accounting) and a tag that catches frees of
// blocks that did not come from memAlloc. Fault injection lets tests make a
// chosen allocation fail. Several threads of an export allocate at once, so
// the accounting is atomic and the lock is taken only while a fault is armed.
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

std::atomic<int64_t> gLiveBlocks{0};
std::atomic<int64_t> gLiveBytes{0};
std::atomic<int64_t> gPeakBytes{0};
std::atomic<int64_t> gTotalAllocations{0};
std::atomic<int64_t> gFailedAllocations{0};

std::mutex gFaultMutex;            // guards the two fault counters
std::atomic<bool> gFaultArmed{false};
int64_t gFailCountdown = 0;   // > 0: the allocation that brings it to 0 fails
int64_t gSuccessBudget = -1;  // >= 0: allocations left before all fail

void UpdateArmed() {
  gFaultArmed.store(gFailCountdown > 0 || gSuccessBudget >= 0, std::memory_order_release);
}

// Decides whether this allocation attempt is made to fail.
bool InjectedFailure() {
  if (!gFaultArmed.load(std::memory_order_acquire)) return false;
  std::lock_guard<std::mutex> lock(gFaultMutex);
  bool fail = false;
  if (gFailCountdown > 0 && --gFailCountdown == 0) fail = true;
  if (gSuccessBudget == 0) fail = true;
  if (gSuccessBudget > 0) --gSuccessBudget;
  UpdateArmed();
  return fail;
}

void RaisePeak(int64_t live) {
  int64_t peak = gPeakBytes.load(std::memory_order_relaxed);
  while (live > peak && !gPeakBytes.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
  }
}

void* MemAlloc(size_t bytes) {
  gTotalAllocations.fetch_add(1, std::memory_order_relaxed);
  void* raw = nullptr;
  if (!InjectedFailure() && bytes <= SIZE_MAX - kHeaderSize) raw = std::malloc(kHeaderSize + bytes);
  if (raw == nullptr) {
    gFailedAllocations.fetch_add(1, std::memory_order_relaxed);
    return nullptr;
  }
  auto* header = static_cast<BlockHeader*>(raw);
  header->bytes = bytes;
  header->tag = kLiveTag;
  gLiveBlocks.fetch_add(1, std::memory_order_relaxed);
  const int64_t size = static_cast<int64_t>(bytes);
  RaisePeak(gLiveBytes.fetch_add(size, std::memory_order_relaxed) + size);
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
  gLiveBlocks.fetch_sub(1, std::memory_order_relaxed);
  gLiveBytes.fetch_sub(static_cast<int64_t>(header->bytes), std::memory_order_relaxed);
  std::free(header);
}

}  // namespace

MemoryStats GetMemoryStats() {
  MemoryStats stats;
  stats.liveBlocks = gLiveBlocks.load();
  stats.liveBytes = gLiveBytes.load();
  stats.peakBytes = gPeakBytes.load();
  stats.totalAllocations = gTotalAllocations.load();
  stats.failedAllocations = gFailedAllocations.load();
  return stats;
}

void FailNthAllocation(int64_t n) {
  std::lock_guard<std::mutex> lock(gFaultMutex);
  gFailCountdown = n > 0 ? n : 0;
  UpdateArmed();
}

void FailAllocationsAfter(int64_t n) {
  std::lock_guard<std::mutex> lock(gFaultMutex);
  gSuccessBudget = n > 0 ? n : 0;
  UpdateArmed();
}

void ClearAllocationFaults() {
  std::lock_guard<std::mutex> lock(gFaultMutex);
  gFailCountdown = 0;
  gSuccessBudget = -1;
  UpdateArmed();
}

void FillMemoryEntries(HostApi& table) {
  table.memAlloc = &MemAlloc;
  table.memFree = &MemFree;
}

// Blocks still live stay counted so that a leak shows up after a reset; the
// totals and the peak start again from the live state.
void ResetMemory() {
  ClearAllocationFaults();
  gTotalAllocations.store(0);
  gFailedAllocations.store(0);
  gPeakBytes.store(gLiveBytes.load());
}

}  // namespace host
