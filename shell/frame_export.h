// FrameExport: the per-frame step of an export. For each exported time the
// conversion thread hands it the frame index; it has the frame rendered from
// the document copy and written to that frame's file.
#pragma once

#include <cstdint>

#include "sdk/host_sdk.h"

struct ExportSettings;

// Renders one frame of `doc` (already at the frame's time) and writes its
// file. By default the step runs the renderer driver (RenderFrame); tests of
// the driver's stepping install a renderer of their own.
using FrameRenderer = void (*)(BaseDocument* doc, int32_t frame, ExportSettings* settings);
void SetFrameRenderer(FrameRenderer renderer);
FrameRenderer GetFrameRenderer();

struct FrameExport {
  BaseDocument* document = nullptr;  // set from the job at every frame
  int32_t frame = 0;                 // index within the range, from 0
  ExportSettings* settings = nullptr;

  // Resets the shared progress display.
  FrameExport();
  // Remembers the job and makes it the one the progress display polls.
  bool Init(ExportSettings* job);
  // Exports one frame of the job's document at its current time.
  void Run(int32_t frameIndex);
};
