// The host runtime as the program and the tests drive it: the function table
// handed to modules, and the controls of each service (memory accounting and
// fault injection, console capture, status display, event delivery, the
// active document, the answers to questions a module asks the user).
//
// Everything here is process-wide, like the services of a real host
// application. `host::ResetForTest()` puts every service back to its
// starting state.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/api/host_api.h"

namespace host {

// ---------------------------------------------------------------- the table

// The table handed to a module at init; reports `ApiVersion()`.
const HostApi* Table();
int32_t ApiVersion();
void SetApiVersion(int32_t version);  // for tests of version-dependent paths

// Puts every service back to its starting state (no faults, console to
// stderr, no active document, empty queues, default answers).
void ResetForTest();

// ---------------------------------------------------------------- memory

struct MemoryStats {
  int64_t liveBlocks = 0;
  int64_t liveBytes = 0;
  int64_t peakBytes = 0;
  int64_t totalAllocations = 0;  // successful and failed attempts
  int64_t failedAllocations = 0;
};

MemoryStats GetMemoryStats();
// Fault injection, counted from the call: the n-th allocation from now
// fails (n >= 1), or every allocation after the next n succeed.
void FailNthAllocation(int64_t n);
void FailAllocationsAfter(int64_t n);
void ClearAllocationFaults();

// Host objects handed out through the table (strings, containers, thread
// handles, open files, string tables) and not yet freed. Not reset by
// ResetForTest: compare before and after to find a module's leaked handles.
struct LiveHandles {
  int64_t strings = 0;
  int64_t containers = 0;
  int64_t threads = 0;
  int64_t files = 0;
  int64_t resources = 0;
  int64_t selections = 0;
  int64_t neighbours = 0;
};
LiveHandles GetLiveHandles();

// ---------------------------------------------------------------- console

using LineSink = std::function<void(const std::string& line)>;
// Replaces the console's line sink; an empty sink restores stderr.
void SetConsoleSink(LineSink sink);

// Collects console lines while it lives (tests).
class ConsoleCapture {
 public:
  ConsoleCapture();
  ~ConsoleCapture();
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;
  std::vector<std::string> Lines() const;
  bool Contains(const std::string& line) const;

 private:
  struct Shared;
  Shared* shared_;
};

// ---------------------------------------------------------------- status

struct StatusState {
  std::string text;
  int32_t percent = -1;  // -1: no bar shown
  bool spinning = false;
  int32_t pointer = 2;   // 2 normal, 3 busy
};

StatusState GetStatus();
// Called on every change of the status display (from any thread).
void SetStatusListener(std::function<void(const StatusState&)> listener);

// The millisecond timer. A manual clock lets tests step time by hand.
void UseManualClock(bool manual);
void AdvanceManualClock(int32_t ms);

// ---------------------------------------------------------------- events

struct SpecialEvent {
  int32_t id;
  int32_t a;
  int32_t b;
};

using EventListener = std::function<void(const SpecialEvent&)>;
// Listeners (the open dialogs) receive events on the thread that delivers.
int32_t AddEventListener(EventListener listener);
void RemoveEventListener(int32_t token);
// Delivers the queued events to the listeners on the calling (user
// interface) thread; returns how many were delivered.
int32_t DeliverEvents();
// Waits up to timeoutMs for an event to be queued, then delivers everything
// queued; returns how many were delivered.
int32_t WaitAndDeliverEvents(int32_t timeoutMs);
// Every event posted since the last ResetForTest, in order (tests).
std::vector<SpecialEvent> PostedEvents();

// ---------------------------------------------------------------- documents

// The active document; null when there is none. The host owns it.
HostDocument* ActiveDocument();
// Makes `doc` the active document and takes ownership (frees the previous).
void SetActiveDocument(HostDocument* doc);
// A new empty document (30 fps, time 0, render settings 320 x 240, range 0..0).
HostDocument* NewDocument();
int64_t LiveDocuments();  // allocated and not yet freed (tests)
// Each animate call, for tests: document, its time, the thread handle.
struct AnimateCall {
  const HostDocument* doc;
  HostTime time;
  const HostThread* thread;
};
std::vector<AnimateCall> AnimateCalls();

// ---------------------------------------------------------------- user answers

// Answers a modal message box (kMessageBoxYesNo asks yes/no: return
// kMessageAnswerYes or kMessageAnswerNo).
void SetMessageBoxAnswer(std::function<int32_t(const std::string& text, int32_t code)> answer);
// Answers the save selector: a path, or nullopt when the user cancels.
void SetSaveSelector(
    std::function<std::optional<std::string>(const std::string& title, const std::string& preset)>
        selector);

// ---------------------------------------------------------------- files

// The files written through the host and closed without error (and not
// deleted since), oldest first.
std::vector<std::string> WrittenFiles();

// A file that could not be written: the file meant (never a temporary name)
// and the system's error number the host saw.
struct FileFailure {
  std::string path;
  int error = 0;
};
// Every failure to open, write, close or put in place a file written
// through the table, oldest first.
std::vector<FileFailure> FileFailures();
// The cause of a failure in words, lower case: "no space left on device".
std::string FileErrorText(int error);

// ---------------------------------------------------------------- parallel work

// The environment variable that sets the default thread count.
inline constexpr char kThreadsVariable[] = "VEXMARK_THREADS";
// The most threads parallelFor runs on, and the most --threads takes.
inline constexpr int32_t kMaxThreads = 256;

// The threads parallelFor runs on, the calling thread among them: `count`
// (at most 256), or with 0 the default: VEXMARK_THREADS when it holds a
// whole number from 1 to 256, else the hardware's thread count. 1 runs
// every index on the calling thread.
void SetParallelThreads(int32_t count);
int32_t ParallelThreads();

// What the parallelFor calls since the last ResetForTest did (tests).
struct ParallelStats {
  int64_t calls = 0;
  int64_t indicesOnHelpers = 0;  // indices run on threads other than the caller's
  int64_t mostThreads = 0;       // the most threads one call ran on
};
ParallelStats GetParallelStats();

// ---------------------------------------------------------------- installation

// The owner record written into files (empty fields by default).
void SetOwnerRecord(const std::string& name, const std::string& company);
// The local time the host reports; unset means the real clock.
void SetFixedLocalTime(std::optional<HostDateTime> time);

}  // namespace host
