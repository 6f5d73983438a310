// ConvThread: the conversion thread of one export. It steps its private
// document copy over the frame range with exact times, lets the host animate
// it, runs one FrameExport step per frame, obeys stop requests and the
// memory-error flag, and at the end frees the document copy, restores the
// status display and posts the end-of-job event.
#pragma once

#include <cstdint>

#include "sdk/host_sdk.h"
#include "core/export_settings.h"

// Status prefix shown before the frame index, from the string table.
constexpr int32_t kStatusPrefixString = 10108;

class ConvThread : public Thread {
 public:
  ConvThread() = default;
  // Waits for a still running Main before the job goes away.
  ~ConvThread() override;

  void Main() override;

  // The thread's own copy of the dialog's settings, filled before Start.
  ExportSettings job;

 private:
  // Steps from the document's start up to (not including) `from` without output.
  void PreRoll(const Time& start, const Time& from, const Time& step);
  // Exports every step from `from` up to and including `to`.
  void ExportFrames(const Time& from, const Time& to, const Time& step, const String& prefix);
  void SetTimeAndAnimate(const Time& t);
  void FinishRun();
};
