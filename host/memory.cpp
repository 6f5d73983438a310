// memAlloc / memFree: malloc with a header before each block that records its
// size (for the live and peak accounting) and a tag that catches frees of
// blocks that did not come from memAlloc. Fault injection lets tests make a
// chosen allocation fail. A conversion thread allocates too, so all state is
// behind one mutex.
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

std::mutex gMutex;
MemoryStats gStats;
int64_t gFailCountdown = 0;   // > 0: the allocation that brings it to 0 fails
int64_t gSuccessBudget = -1;  // >= 0: allocations left before all fail

// Decides, under the lock, whether this allocation attempt is made to fail.
bool InjectedFailure() {
  bool fail = false;
  if (gFailCountdown > 0 && --gFailCountdown == 0) fail = true;
  if (gSuccessBudget == 0) fail = true;
  if (gSuccessBudget > 0) --gSuccessBudget;
  return fail;
}

void* MemAlloc(size_t bytes) {
  std::lock_guard<std::mutex> lock(gMutex);
  ++gStats.totalAllocations;
  void* raw = nullptr;
  if (!InjectedFailure() && bytes <= SIZE_MAX - kHeaderSize) raw = std::malloc(kHeaderSize + bytes);
  if (raw == nullptr) {
    ++gStats.failedAllocations;
    return nullptr;
  }
  auto* header = static_cast<BlockHeader*>(raw);
  header->bytes = bytes;
  header->tag = kLiveTag;
  ++gStats.liveBlocks;
  gStats.liveBytes += static_cast<int64_t>(bytes);
  if (gStats.liveBytes > gStats.peakBytes) gStats.peakBytes = gStats.liveBytes;
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
  {
    std::lock_guard<std::mutex> lock(gMutex);
    --gStats.liveBlocks;
    gStats.liveBytes -= static_cast<int64_t>(header->bytes);
  }
  std::free(header);
}

}  // namespace

MemoryStats GetMemoryStats() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gStats;
}

void FailNthAllocation(int64_t n) {
  std::lock_guard<std::mutex> lock(gMutex);
  gFailCountdown = n > 0 ? n : 0;
}

void FailAllocationsAfter(int64_t n) {
  std::lock_guard<std::mutex> lock(gMutex);
  gSuccessBudget = n > 0 ? n : 0;
}

void ClearAllocationFaults() {
  std::lock_guard<std::mutex> lock(gMutex);
  gFailCountdown = 0;
  gSuccessBudget = -1;
}

void FillMemoryEntries(HostApi& table) {
  table.memAlloc = &MemAlloc;
  table.memFree = &MemFree;
}

// Blocks still live stay counted so that a leak shows up after a reset; the
// totals and the peak start again from the live state.
void ResetMemory() {
  std::lock_guard<std::mutex> lock(gMutex);
  gFailCountdown = 0;
  gSuccessBudget = -1;
  gStats.totalAllocations = 0;
  gStats.failedAllocations = 0;
  gStats.peakBytes = gStats.liveBytes;
}

}  // namespace host
