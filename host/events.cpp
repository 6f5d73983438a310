// Special events: any thread posts, the user-interface thread delivers them
// to the listeners (the open dialogs) when it calls DeliverEvents or
// WaitAndDeliverEvents.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>

#include "host/runtime.h"
#include "host/services.h"

namespace host {
namespace {

std::mutex gMutex;
std::condition_variable gPosted;
std::deque<SpecialEvent> gQueue;
std::vector<SpecialEvent> gLog;
std::map<int32_t, EventListener> gListeners;
int32_t gNextToken = 1;

void PostSpecialEvent(int32_t id, int32_t a, int32_t b) {
  {
    std::lock_guard<std::mutex> lock(gMutex);
    gQueue.push_back(SpecialEvent{id, a, b});
    gLog.push_back(SpecialEvent{id, a, b});
  }
  gPosted.notify_all();
}

}  // namespace

int32_t AddEventListener(EventListener listener) {
  std::lock_guard<std::mutex> lock(gMutex);
  const int32_t token = gNextToken++;
  gListeners.emplace(token, std::move(listener));
  return token;
}

void RemoveEventListener(int32_t token) {
  std::lock_guard<std::mutex> lock(gMutex);
  gListeners.erase(token);
}

// Listeners run without the lock, so they may post events or change the
// listeners; events they post wait for the next delivery.
int32_t DeliverEvents() {
  std::deque<SpecialEvent> events;
  std::map<int32_t, EventListener> listeners;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    events.swap(gQueue);
    listeners = gListeners;
  }
  for (const SpecialEvent& event : events) {
    for (const auto& [token, listener] : listeners) listener(event);
  }
  return static_cast<int32_t>(events.size());
}

int32_t WaitAndDeliverEvents(int32_t timeoutMs) {
  {
    std::unique_lock<std::mutex> lock(gMutex);
    gPosted.wait_for(lock, std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0),
                     [] { return !gQueue.empty(); });
  }
  return DeliverEvents();
}

std::vector<SpecialEvent> PostedEvents() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gLog;
}

void FillEventEntries(HostApi& table) {
  table.postSpecialEvent = &PostSpecialEvent;
}

void ResetEvents() {
  std::lock_guard<std::mutex> lock(gMutex);
  gQueue.clear();
  gLog.clear();
  gListeners.clear();
}

}  // namespace host
