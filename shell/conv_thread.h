// ConvThread: the conversion thread of one export. It steps its private
// document copy over the frame range with exact times, lets the host animate
// it, runs one FrameExport step per frame, obeys stop requests and the
// memory-error flag, and at the end frees the document copy, restores the
// status display and posts the end-of-job event.
#pragma once

#include <cstdint>

#include "core/export_settings.h"
#include "core/job.h"
#include "sdk/exact_time.h"
#include "sdk/strings.h"
#include "sdk/threads.h"
#include "shell/frame_export.h"

class ConvThread : public Thread {
 public:
  ConvThread() { job.thread = this; }
  // Waits for a still running Main before the job goes away.
  ~ConvThread() override;

  void Main() override;

  // Filled before Start: the thread's own copy of the dialog's options, the
  // job with the document copy the thread now owns, and the frame renderer.
  ExportSettings settings;
  ExportJob job;
  FrameRenderer renderer = &RenderFrame;

 private:
  // Steps from the document's start up to (not including) `from` without output.
  void PreRoll(const Time& start, const Time& from, const Time& step);
  // Exports every step from `from` up to and including `to`.
  void ExportFrames(const Time& from, const Time& to, const Time& step, const String& prefix);
  void SetTimeAndAnimate(const Time& t);
  void FinishRun();

  FrameExport* frameExport_ = nullptr;
};
