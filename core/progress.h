// The progress display and stop test shared by every stage of a running
// export. The status bar is written only when the integer percentage
// changes; otherwise the host is polled for a break at most every 100 ms,
// and the spinning indicator appears after 30 s without a change.
//
// The state is process-wide and unlocked: only the conversion thread of the
// one running export writes it.
#pragma once

#include <cstdint>

struct ExportSettings;

// Stored arguments and timers of the progress display.
struct ProgressState {
  int32_t lastIndex = 0;
  int32_t lastCount = 0;
  int32_t lastFrom = 0;
  int32_t lastTo = 0;
  int32_t lastPercent = 0;
  int32_t percentTime = 0;  // host timer when the percentage last changed
  int32_t pollTime = 0;     // host timer of the latest stop poll
  const ExportSettings* pollJob = nullptr;
};

// Arguments 0, percent 0, both timers now, no poll job.
void ResetProgress();
void SetProgressJob(const ExportSettings* settings);
// Step `index` (from 0) of `count`, shown in the band fromPercent..toPercent.
void ReportProgress(int32_t index, int32_t count, int32_t fromPercent, int32_t toPercent);
// ReportProgress with the stored arguments: refreshes display and poll.
void ReportProgressAgain();
// True when the user asked the running export to stop.
bool ExportCancelled(const ExportSettings* settings);
// The current state (tests and diagnostics).
const ProgressState& CurrentProgress();
