// ExportJob: the state of one running export, handed to every stage of a
// frame: the conversion thread through which stop requests arrive, the run's
// private document copy, the index of the frame being exported, the progress
// display and the memory-failure flag. The conversion thread owns the job;
// nothing of it outlives the run.
//
// The progress display writes the status bar only when the integer percentage
// changes; otherwise the host is polled for a break at most every 100 ms, and
// the spinning indicator appears after 30 s without a change.
#pragma once

#include <cstdint>

#include "sdk/document.h"
#include "sdk/threads.h"

// Stored arguments and timers of the progress display.
struct ProgressState {
  int32_t lastIndex = 0;
  int32_t lastCount = 0;
  int32_t lastFrom = 0;
  int32_t lastTo = 0;
  int32_t lastPercent = 0;
  int32_t percentTime = 0;  // host timer when the percentage last changed
  int32_t pollTime = 0;     // host timer of the latest stop poll
  uint32_t steps = 0;       // fine-grained work steps, for loops that tick every few steps
};

struct ExportJob {
  Thread* thread = nullptr;          // the conversion thread; null outside a run
  BaseDocument* document = nullptr;  // the run's private document copy, owned by the thread
  int32_t frame = 0;                 // index of the frame being exported, from 0
  ProgressState progress;
  bool memoryFailed = false;  // a list could not grow: the run ends after this frame
  // A job without a conversion thread (a preview) is stopped through this
  // flag, which its host sets from another thread; null: none.
  const volatile int32_t* stopFlag = nullptr;
};

// While a binding lives, MemoryErrorFlag on the calling thread is the flag of
// its job: a Stack deep inside any stage marks the job it works for. Bindings
// nest; the destructor restores the one before.
class JobBinding {
 public:
  explicit JobBinding(ExportJob& job);
  ~JobBinding();
  JobBinding(const JobBinding&) = delete;
  JobBinding& operator=(const JobBinding&) = delete;

 private:
  ExportJob* previous_;
};

// A stretch of the progress bar, in percent, that one step of a frame fills;
// the frame driver gives every stage its band (shell/bsp_renderer.cpp).
struct ProgressBand {
  int32_t from = 0;
  int32_t to = 100;
};

// The part of `band` from `fromShare` to `toShare` percent of its width: how
// a stage shares its band among its passes.
constexpr ProgressBand SubBand(ProgressBand band, int32_t fromShare, int32_t toShare) {
  const int32_t width = band.to - band.from;
  return ProgressBand{band.from + width * fromShare / 100, band.from + width * toShare / 100};
}

// Arguments 0, percent 0, both timers now.
void ResetProgress(ExportJob& job);
// Step `index` (from 0) of `count`, shown in the band fromPercent..toPercent.
void ReportProgress(ExportJob& job, int32_t index, int32_t count, int32_t fromPercent,
                    int32_t toPercent);
// Step `index` of `count` within `band`.
inline void ReportProgress(ExportJob& job, int32_t index, int32_t count, ProgressBand band) {
  ReportProgress(job, index, count, band.from, band.to);
}
// ReportProgress with the stored arguments: refreshes display and poll.
void ReportProgressAgain(ExportJob& job);
// ReportProgressAgain once every `interval` calls (a power of two), for loops
// whose steps take microseconds.
void TickProgress(ExportJob& job, uint32_t interval);
// True when the user asked the running export to stop, or the job's stop
// flag is set.
bool ExportCancelled(const ExportJob& job);

// The same for the inner loops of a stage, which may also run on their own,
// without a job (a single stage under test): no job, no display, no stop.
inline void ReportProgressAgain(ExportJob* job) {
  if (job != nullptr) ReportProgressAgain(*job);
}
inline bool ExportCancelled(const ExportJob* job) {
  return job != nullptr && ExportCancelled(*job);
}
