// The status bar (text, percentage bar or spinner), the mouse pointer and the
// millisecond timer. Modules update the status from their conversion thread,
// so the state is behind a mutex; the listener is told of every change.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>

#include "host/runtime.h"
#include "host/services.h"

namespace host {
namespace {

std::mutex gMutex;
StatusState gState;
std::function<void(const StatusState&)> gListener;

const std::chrono::steady_clock::time_point gProcessStart = std::chrono::steady_clock::now();
std::atomic<bool> gManualClock{false};
std::atomic<int64_t> gManualMs{0};

// Applies a change and tells the listener while still holding the lock, so
// that the listener sees the changes in order; it must not call back in here.
template <class Change>
void Update(Change change) {
  std::lock_guard<std::mutex> lock(gMutex);
  change(gState);
  if (gListener) gListener(gState);
}

void StatusText(const char* text) {
  Update([&](StatusState& s) { s.text = text != nullptr ? text : ""; });
}

void StatusPercent(int32_t percent) {
  Update([&](StatusState& s) {
    s.percent = std::clamp(percent, 0, 100);
    s.spinning = false;
  });
}

void StatusSpin() {
  Update([](StatusState& s) {
    s.spinning = true;
    s.percent = -1;
  });
}

void StatusClear() {
  Update([](StatusState& s) {
    s.text.clear();
    s.percent = -1;
    s.spinning = false;
  });
}

void SetPointer(int32_t code) {
  Update([&](StatusState& s) { s.pointer = code; });
}

int32_t TimerMs() {
  int64_t ms = gManualMs;
  if (!gManualClock) {
    ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               gProcessStart)
             .count();
  }
  return static_cast<int32_t>(ms);  // wraps after 24 days, like a host's tick counter
}

}  // namespace

StatusState GetStatus() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gState;
}

void SetStatusListener(std::function<void(const StatusState&)> listener) {
  std::lock_guard<std::mutex> lock(gMutex);
  gListener = std::move(listener);
}

// Switching to the manual clock starts it at 0 ms.
void UseManualClock(bool manual) {
  gManualMs = 0;
  gManualClock = manual;
}

void AdvanceManualClock(int32_t ms) {
  gManualMs += ms;
}

void FillStatusEntries(HostApi& table) {
  table.statusText = &StatusText;
  table.statusPercent = &StatusPercent;
  table.statusSpin = &StatusSpin;
  table.statusClear = &StatusClear;
  table.setPointer = &SetPointer;
  table.timerMs = &TimerMs;
}

void ResetStatus() {
  {
    std::lock_guard<std::mutex> lock(gMutex);
    gState = StatusState();
    gListener = nullptr;
  }
  UseManualClock(false);
}

}  // namespace host
