// The progress display, the stop test and the binding of the memory-failure
// flag to the job of the calling thread.
#include "core/job.h"

#include "core/stack.h"
#include "sdk/status.h"

namespace {

constexpr int32_t kPollIntervalMs = 100;
constexpr int32_t kSpinAfterMs = 30000;

// The job whose flag MemoryErrorFlag stands for on this thread, and the flag
// of a thread that works outside any job (a dialog's lists, a test). Every
// list operation reads them, so they use the initial-exec model: a plain
// offset from the thread pointer instead of a lookup call per read. The
// dynamic loader sets aside room for this much in modules it loads later.
#define VEXMARK_FAST_TLS __attribute__((tls_model("initial-exec")))
VEXMARK_FAST_TLS thread_local ExportJob* tBoundJob = nullptr;
VEXMARK_FAST_TLS thread_local bool tUnboundFlag = false;

bool& CurrentFlag() { return tBoundJob != nullptr ? tBoundJob->memoryFailed : tUnboundFlag; }

// Keeps the host's break state current; the callers make their own tests.
void PollForStop(ExportJob& job) {
  ExportCancelled(job);
  job.progress.pollTime = TimerMs();
  SetMousePointer(kPointerBusy);
}

int32_t PercentOf(int32_t index, int32_t count, int32_t fromPercent, int32_t toPercent) {
  if (count == 0) return 0;
  const double share = (static_cast<double>(index) + 1.0) / static_cast<double>(count);
  return static_cast<int32_t>(share * (toPercent - fromPercent) + fromPercent);
}

}  // namespace

void MemoryErrorFlag::Set() { CurrentFlag() = true; }
void MemoryErrorFlag::Clear() { CurrentFlag() = false; }
int32_t MemoryErrorFlag::Test() { return CurrentFlag() ? 1 : 0; }

JobBinding::JobBinding(ExportJob& job) : previous_(tBoundJob) { tBoundJob = &job; }
JobBinding::~JobBinding() { tBoundJob = previous_; }

void ResetProgress(ExportJob& job) {
  job.progress = ProgressState();
  job.progress.percentTime = TimerMs();
  job.progress.pollTime = job.progress.percentTime;
}

void ReportProgress(ExportJob& job, int32_t index, int32_t count, int32_t fromPercent,
                    int32_t toPercent) {
  ProgressState& progress = job.progress;
  progress.lastIndex = index;
  progress.lastCount = count;
  progress.lastFrom = fromPercent;
  progress.lastTo = toPercent;

  const int32_t percent = PercentOf(index, count, fromPercent, toPercent);
  if (percent != progress.lastPercent) {
    StatusSetBar(percent);
    progress.lastPercent = percent;
    progress.percentTime = TimerMs();
    PollForStop(job);
    return;
  }

  const int32_t now = TimerMs();
  if (now - progress.pollTime <= kPollIntervalMs) return;
  if (now - progress.percentTime > kSpinAfterMs) StatusSetSpin();
  PollForStop(job);
}

void ReportProgressAgain(ExportJob& job) {
  const ProgressState& p = job.progress;
  ReportProgress(job, p.lastIndex, p.lastCount, p.lastFrom, p.lastTo);
}

void TickProgress(ExportJob& job, uint32_t interval) {
  if ((++job.progress.steps & (interval - 1)) == 0) ReportProgressAgain(job);
}

bool ExportCancelled(const ExportJob& job) {
  if (job.stopFlag != nullptr && __atomic_load_n(job.stopFlag, __ATOMIC_RELAXED) != 0) return true;
  if (job.thread == nullptr || !job.thread->IsRunning()) return false;
  return job.thread->BreakRequested();
}
