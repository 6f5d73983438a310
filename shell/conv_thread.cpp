#include "shell/conv_thread.h"

#include "core/stack.h"
#include "host/api/vexmark_ids.h"
#include "sdk/console.h"
#include "sdk/container.h"
#include "sdk/document.h"
#include "sdk/events.h"
#include "sdk/exact_time.h"
#include "sdk/memory.h"
#include "sdk/resources.h"
#include "sdk/status.h"
#include "sdk/strings.h"
#include "shell/settings_storage.h"

namespace {}  // namespace

ConvThread::~ConvThread() {
  End(true);
}

void ConvThread::Main() {
  // Every list built on this thread reports its failures to this job.
  JobBinding binding(job);
  MemoryErrorFlag::Clear();
  SetMousePointer(kPointerBusy);
  const String prefix = LoadResourceString(kStatusPrefixString);

  Time start;
  int32_t fps = kDefaultDocumentFps;
  const BaseContainer docSettings = GetDocumentData(job.document, kDocumentSettings);
  if (docSettings.Valid()) {
    start = docSettings.GetTime(kDocStartTime, Time());
    fps = docSettings.GetInt(kDocFps, kDefaultDocumentFps);
  }

  // A rate below 1 would give a zero or negative step and the loops would
  // never reach their ends: refuse it and end the run cleanly.
  if (settings.frameRate < 1) {
    ConsolePrint("Export refused: the export frame rate must be at least 1.");
    FinishRun();
    return;
  }
  if (fps < 1) {
    ConsolePrint("Export refused: the document's frame rate must be at least 1.");
    FinishRun();
    return;
  }

  if (FramesInRange(settings.fromFrame, settings.toFrame, settings.frameRate, fps) >
      kMaxExportFrames) {
    ConsolePrint("Export refused: the frame range would write more than 100000 files.");
    FinishRun();
    return;
  }

  const Time from = Time::FromFrame(settings.fromFrame, fps);
  const Time to = Time::FromFrame(settings.toFrame, fps);
  const Time step(1, settings.frameRate);

  frameExport_ = HostNew<FrameExport>();
  if (frameExport_ == nullptr) {
    ConsolePrint("Export stopped: not enough memory to start the export.");
    FinishRun();
    return;
  }
  frameExport_->Init(settings, job, renderer);

  PreRoll(start, from, step);
  ExportFrames(from, to, step, prefix);

  HostDelete(frameExport_);
  frameExport_ = nullptr;
  FinishRun();
}

void ConvThread::PreRoll(const Time& start, const Time& from, const Time& step) {
  for (Time t = start; t < from; t = t + step) {
    ReportProgressAgain(job);
    SetTimeAndAnimate(t);
  }
}

void ConvThread::ExportFrames(const Time& from, const Time& to, const Time& step,
                              const String& prefix) {
  int32_t index = 0;
  for (Time t = from; t <= to; t = t + step) {
    StatusSetText(prefix + String::FromInt(index));
    SetTimeAndAnimate(t);
    frameExport_->Run(index);
    ++index;
    if (ExportCancelled(job) || MemoryErrorFlag::Test() != 0) break;
  }
}

void ConvThread::SetTimeAndAnimate(const Time& t) {
  SetDocumentTime(job.document, t);
  AnimateDocument(job.document, this, kAnimateFull, kAnimateFull);
}

// Frees the document copy, restores the status display and tells the dialog
// that the run is over, whatever way it ended.
void ConvThread::FinishRun() {
  FreeDocument(job.document);
  job.document = nullptr;
  SetMousePointer(kPointerNormal);
  StatusClear();
  PostSpecialEvent(kVexmarkCommandId, 0, 0);
}
