// Module threads on the host's thread service.
#pragma once

#include <cstdint>

#include "host/api/host_api.h"

// Base class of module threads. Construction asks the host for a handle that
// runs Main on a new thread and answers break tests through TestBreak.
class Thread {
 public:
  Thread();
  virtual ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // The break test the host calls on this thread's behalf: the host's
  // standard answer for this handle.
  virtual bool TestBreak();
  virtual void Main() = 0;

  bool Valid() const { return handle_ != nullptr; }
  bool Start();
  bool IsRunning() const;
  bool BreakRequested() const;
  // Asks the thread to end; waits for it when `wait` is true.
  void End(bool wait = true);
  HostThread* Handle() const { return handle_; }

 private:
  static void MainHook(void* user);
  static int32_t BreakHook(void* user);
  HostThread* handle_ = nullptr;
};
