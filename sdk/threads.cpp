#include "sdk/threads.h"

#include "sdk/host_table.h"

Thread::Thread() : handle_(Host().threadNew(&Thread::MainHook, &Thread::BreakHook, this)) {}

Thread::~Thread() {
  if (handle_ != nullptr) Host().threadFree(handle_);
}

bool Thread::TestBreak() {
  return handle_ != nullptr && Host().threadTestBreak(handle_) != 0;
}

bool Thread::Start() {
  return handle_ != nullptr &&
         Host().threadStart(handle_, kThreadModeAsync, kThreadPriorityNormal) != 0;
}
bool Thread::IsRunning() const {
  return handle_ != nullptr && Host().threadIsRunning(handle_) != 0;
}
bool Thread::BreakRequested() const {
  return handle_ != nullptr && Host().threadTestBreak(handle_) != 0;
}
void Thread::End(bool wait) {
  if (handle_ != nullptr) Host().threadEnd(handle_, wait ? 1 : 0);
}

void Thread::MainHook(void* user) {
  static_cast<Thread*>(user)->Main();
}
int32_t Thread::BreakHook(void* user) {
  return static_cast<Thread*>(user)->TestBreak() ? 1 : 0;
}
