// parallelThreads / parallelFor: a module's loop spread over threads. Each
// call starts its helper threads and joins them before it returns, so no
// thread of the host outlives the work (a later fork copies none), and
// whatever a helper kept in thread-local storage is gone when the call
// returns. Helpers are started from the calling thread and so block the
// signals it blocks. The indices are handed out one at a time from a shared
// counter, so a slow index never holds up the others.
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "host/memory_reserve.h"
#include "host/runtime.h"
#include "host/services.h"

namespace host {
namespace {

std::mutex gMutex;           // guards the two below
int32_t gChosenThreads = 0;  // 0: the default
ParallelStats gStats;

// Set on a helper thread, and on the caller while its call runs: a nested
// call then runs its indices on that thread.
thread_local bool tInsideParallelFor = false;

// A whole number from 1 to kMaxThreads, or 0.
int32_t ParseThreadCount(const char* text) {
  if (text == nullptr || *text == '\0') return 0;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || *end != '\0' || value < 1 || value > kMaxThreads) return 0;
  return static_cast<int32_t>(value);
}

int32_t DefaultThreads() {
  const int32_t chosen = ParseThreadCount(std::getenv(kThreadsVariable));
  if (chosen > 0) return chosen;
  const unsigned hardware = std::thread::hardware_concurrency();
  if (hardware == 0) return 1;
  return hardware > static_cast<unsigned>(kMaxThreads) ? kMaxThreads
                                                       : static_cast<int32_t>(hardware);
}

int32_t Threads() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gChosenThreads > 0 ? gChosenThreads : DefaultThreads();
}

// What one call shares between its threads.
struct Work {
  int32_t count;
  HostParallelBody body;
  void* context;
  std::atomic<int32_t> next{0};
  std::atomic<bool> ended{false};
  std::atomic<int64_t> onHelpers{0};
};

void RunIndices(Work& work, bool helper) {
  int64_t ran = 0;
  while (!work.ended.load(std::memory_order_acquire)) {
    const int32_t index = work.next.fetch_add(1, std::memory_order_relaxed);
    if (index >= work.count) break;
    ++ran;
    if (work.body(work.context, index) == 0) work.ended.store(true, std::memory_order_release);
  }
  if (helper) work.onHelpers += ran;
}

int32_t ParallelThreadsEntry() {
  return Threads();
}

int32_t ParallelForEntry(int32_t count, HostParallelBody body, void* context) {
  if (count <= 0) return 1;
  if (body == nullptr) return 0;
  Work work{count, body, context};
  int32_t threads = tInsideParallelFor ? 1 : Threads();
  if (threads > count) threads = count;

  // A helper that cannot be started leaves its share to the others; no
  // exception reaches the module, which is built without them.
  std::vector<std::thread> helpers;
  try {
    helpers.reserve(static_cast<size_t>(threads - 1));
    for (int32_t t = 1; t < threads; ++t) {
      helpers.emplace_back([&work] {
        tInsideParallelFor = true;
        try {
          RunIndices(work, true);
        } catch (const std::bad_alloc&) {
          ExitForLackOfMemory();  // thrown by a host entry the body called
        }
      });
    }
  } catch (const std::exception&) {
  }
  const bool outer = !tInsideParallelFor;
  tInsideParallelFor = true;
  RunIndices(work, false);
  if (outer) tInsideParallelFor = false;
  for (std::thread& helper : helpers) helper.join();

  {
    std::lock_guard<std::mutex> lock(gMutex);
    ++gStats.calls;
    gStats.indicesOnHelpers += work.onHelpers;
    if (static_cast<int64_t>(helpers.size()) + 1 > gStats.mostThreads)
      gStats.mostThreads = static_cast<int64_t>(helpers.size()) + 1;
  }
  return work.ended ? 0 : 1;
}

}  // namespace

void SetParallelThreads(int32_t count) {
  std::lock_guard<std::mutex> lock(gMutex);
  gChosenThreads = count < 0 ? 0 : count > kMaxThreads ? kMaxThreads : count;
}

int32_t ParallelThreads() {
  return Threads();
}

ParallelStats GetParallelStats() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gStats;
}

void FillParallelEntries(HostApi& table) {
  table.parallelThreads = &ParallelThreadsEntry;
  table.parallelFor = &ParallelForEntry;
}

void ResetParallel() {
  std::lock_guard<std::mutex> lock(gMutex);
  gChosenThreads = 0;
  gStats = ParallelStats();
}

}  // namespace host
