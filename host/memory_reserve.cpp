#include "host/memory_reserve.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "host/temporary_files.h"

namespace host {
namespace {

std::atomic<void*> gReserve{nullptr};

// Called by `new` when the allocator has no memory: gives the reserve back
// and fails this allocation, so that the failure is handled while the
// reserve's room is free (retrying instead would let the same work eat it).
void ReleaseReserveAndFail() {
  std::free(gReserve.exchange(nullptr));
  throw std::bad_alloc();
}

}  // namespace

bool ArmMemoryReserve(size_t bytes) {
  if (gReserve.load() == nullptr) {
    // Untouched, the block costs address space but no physical memory.
    void* block = std::malloc(bytes);
    if (block == nullptr) return false;
    void* expected = nullptr;
    if (!gReserve.compare_exchange_strong(expected, block)) std::free(block);
  }
  std::set_new_handler(&ReleaseReserveAndFail);
  return true;
}

bool MemoryReserveHeld() {
  return gReserve.load() != nullptr;
}

void ExitForLackOfMemory() {
  RemoveTemporaryFilesForExit();
  static const char kLine[] = "vexmark: not enough memory: the export stopped\n";
  if (::write(STDERR_FILENO, kLine, sizeof kLine - 1) < 0) {
    // Nothing more can be said.
  }
  _exit(1);
}

}  // namespace host
