// Thread handles: a module's main hook run on a std::thread, with an end
// request that the standard break test reports.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "host/api/host_api.h"

struct HostThread {
  HostThreadMain main = nullptr;
  HostThreadBreak testBreak = nullptr;
  void* user = nullptr;

  std::mutex mutex;  // guards worker
  std::thread worker;
  // Shared with the running std::thread, which clears it when main returns,
  // so the handle may be freed from inside main.
  std::shared_ptr<std::atomic<bool>> running = std::make_shared<std::atomic<bool>>(false);
  std::atomic<bool> endRequested{false};
};

namespace host {

// The break test as long-running host work asks it on the thread's behalf:
// the module's hook when it gave one, else the standard answer.
bool ThreadBreakTest(const HostThread* thread);

}  // namespace host
