#include "shell/frame_export.h"

#include "shell/bsp_renderer.h"
#include "core/export_settings.h"
#include "core/progress.h"

namespace {
FrameRenderer gFrameRenderer = nullptr;
}

void SetFrameRenderer(FrameRenderer renderer) { gFrameRenderer = renderer; }
FrameRenderer GetFrameRenderer() { return gFrameRenderer; }

FrameExport::FrameExport() { ResetProgress(); }

bool FrameExport::Init(ExportSettings* job) {
  settings = job;
  SetProgressJob(job);
  return true;
}

void FrameExport::Run(int32_t frameIndex) {
  document = settings != nullptr ? settings->document : nullptr;
  frame = frameIndex;
  if (gFrameRenderer != nullptr) {
    gFrameRenderer(document, frame, settings);
  } else {
    RenderFrame(document, frame, settings);
  }
}
