#include "shell/frame_export.h"

bool FrameExport::Init(const ExportSettings& options, ExportJob& run,
                       FrameRenderer frameRenderer) {
  settings = &options;
  job = &run;
  if (frameRenderer != nullptr) renderer = frameRenderer;
  ResetProgress(run);
  return true;
}

void FrameExport::Run(int32_t frameIndex) {
  if (settings == nullptr || job == nullptr) return;
  document = job->document;
  frame = frameIndex;
  job->frame = frameIndex;
  renderer(document, frame, *settings, *job);
}
