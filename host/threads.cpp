// The thread* entries of the table.
#include "host/threads.h"

#include <exception>
#include <new>

#include "host/handles.h"
#include "host/memory_reserve.h"
#include "host/services.h"

namespace host {
namespace {

HostThread* ThreadNew(HostThreadMain main, HostThreadBreak testBreak, void* user) {
  auto* thread = new HostThread;
  thread->main = main;
  thread->testBreak = testBreak;
  thread->user = user;
  CountHandle(HandleKind::kThread, 1);
  return thread;
}

// Waits for the running main to return. The std::thread is taken out under
// the lock and joined outside it, so that main may still call into its
// handle meanwhile. A thread never joins itself.
void Join(HostThread* t) {
  std::thread worker;
  {
    std::lock_guard<std::mutex> lock(t->mutex);
    if (t->worker.joinable() && t->worker.get_id() != std::this_thread::get_id()) {
      worker = std::move(t->worker);
    }
  }
  if (worker.joinable()) worker.join();
}

int32_t ThreadStart(HostThread* t, int32_t /*mode*/, int32_t /*priority*/) {
  if (t == nullptr || t->main == nullptr) return 0;
  std::lock_guard<std::mutex> lock(t->mutex);
  if (*t->running) return 0;
  if (t->worker.joinable()) {
    if (t->worker.get_id() == std::this_thread::get_id()) return 0;
    t->worker.join();  // the previous run has returned; release its std::thread
  }
  t->endRequested = false;
  *t->running = true;
  try {
    t->worker = std::thread([main = t->main, user = t->user, running = t->running] {
      try {
        main(user);
      } catch (const std::bad_alloc&) {
        ExitForLackOfMemory();  // thrown by a host entry the thread called
      }
      *running = false;
    });
  } catch (const std::exception&) {
    *t->running = false;
    return 0;
  }
  return 1;
}

int32_t ThreadIsRunning(const HostThread* t) {
  return t != nullptr && *t->running ? 1 : 0;
}

int32_t ThreadTestBreak(const HostThread* t) {
  return t != nullptr && t->endRequested ? 1 : 0;
}

void ThreadEnd(HostThread* t, int32_t wait) {
  if (t == nullptr) return;
  t->endRequested = true;
  if (wait != 0) Join(t);
}

void ThreadFree(HostThread* t) {
  if (t == nullptr) return;
  ThreadEnd(t, 1);
  {
    // Freed from inside its own main: that std::thread finishes detached.
    std::lock_guard<std::mutex> lock(t->mutex);
    if (t->worker.joinable()) t->worker.detach();
  }
  CountHandle(HandleKind::kThread, -1);
  delete t;
}

}  // namespace

bool ThreadBreakTest(const HostThread* thread) {
  if (thread == nullptr) return false;
  if (thread->testBreak != nullptr) return thread->testBreak(thread->user) != 0;
  return ThreadTestBreak(thread) != 0;
}

void FillThreadEntries(HostApi& table) {
  table.threadNew = &ThreadNew;
  table.threadStart = &ThreadStart;
  table.threadIsRunning = &ThreadIsRunning;
  table.threadTestBreak = &ThreadTestBreak;
  table.threadEnd = &ThreadEnd;
  table.threadFree = &ThreadFree;
}

}  // namespace host
