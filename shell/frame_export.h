// FrameExport: the per-frame step of an export. For each exported time the
// conversion thread hands it the frame index; it has the frame rendered from
// the job's document copy and written to that frame's file.
#pragma once

#include <cstdint>

#include "core/export_settings.h"
#include "core/job.h"
#include "sdk/document.h"
#include "shell/bsp_renderer.h"  // RenderFrame, the default renderer

// Renders one frame of `doc` (already at the frame's time) and writes its
// file. Exports run the frame driver (RenderFrame); tests of the driver's
// stepping hand the thread a renderer of their own.
using FrameRenderer = void (*)(BaseDocument* doc, int32_t frame, const ExportSettings& options,
                               ExportJob& job);

struct FrameExport {
  BaseDocument* document = nullptr;  // set from the job at every frame
  int32_t frame = 0;                 // index within the range, from 0
  const ExportSettings* settings = nullptr;
  ExportJob* job = nullptr;
  FrameRenderer renderer = &RenderFrame;

  // Remembers the run and resets its progress display.
  bool Init(const ExportSettings& options, ExportJob& run, FrameRenderer frameRenderer);
  // Exports one frame of the job's document at its current time.
  void Run(int32_t frameIndex);
};
