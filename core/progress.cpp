// The progress display and stop test of the running export.
#include "core/progress.h"

#include "shell/conv_thread.h"
#include "core/export_settings.h"

namespace {

constexpr int32_t kPollIntervalMs = 100;
constexpr int32_t kSpinAfterMs = 30000;
constexpr int32_t kPointerBusy = 3;

ProgressState gProgress;

// Keeps the host's break state current; the callers make their own tests.
void PollForStop() {
  ExportCancelled(gProgress.pollJob);
  gProgress.pollTime = TimerMs();
  SetMousePointer(kPointerBusy);
}

int32_t PercentOf(int32_t index, int32_t count, int32_t fromPercent, int32_t toPercent) {
  if (count == 0) return 0;
  const double share = (static_cast<double>(index) + 1.0) / static_cast<double>(count);
  return static_cast<int32_t>(share * (toPercent - fromPercent) + fromPercent);
}

}  // namespace

void ResetProgress() {
  gProgress = ProgressState();
  gProgress.percentTime = TimerMs();
  gProgress.pollTime = gProgress.percentTime;
}

void SetProgressJob(const ExportSettings* settings) { gProgress.pollJob = settings; }

void ReportProgress(int32_t index, int32_t count, int32_t fromPercent, int32_t toPercent) {
  gProgress.lastIndex = index;
  gProgress.lastCount = count;
  gProgress.lastFrom = fromPercent;
  gProgress.lastTo = toPercent;

  const int32_t percent = PercentOf(index, count, fromPercent, toPercent);
  if (percent != gProgress.lastPercent) {
    StatusSetBar(percent);
    gProgress.lastPercent = percent;
    gProgress.percentTime = TimerMs();
    PollForStop();
    return;
  }

  const int32_t now = TimerMs();
  if (now - gProgress.pollTime <= kPollIntervalMs) return;
  if (now - gProgress.percentTime > kSpinAfterMs) StatusSetSpin();
  PollForStop();
}

void ReportProgressAgain() {
  ReportProgress(gProgress.lastIndex, gProgress.lastCount, gProgress.lastFrom, gProgress.lastTo);
}

bool ExportCancelled(const ExportSettings* settings) {
  if (settings == nullptr || settings->thread == nullptr) return false;
  if (!settings->thread->IsRunning()) return false;
  return settings->thread->BreakRequested();
}

const ProgressState& CurrentProgress() { return gProgress; }
