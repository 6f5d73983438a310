// The preview's frame driver: the stages of BSPRenderer for one frame drawn
// in memory, with what capture and visibility made of the last frame kept
// for the next one. A request that differs from the last only in what the
// line and drawing stages read (the drawing style between the styles that
// remove hidden surfaces, the plotter, the sheet) takes the kept visible
// fragments and runs the lines, drawing and plotter stages again; any other
// change (scene revision, frame, size, back faces, line settings, hidden
// surfaces or not) captures the document again.
#pragma once

#include <cstdint>

#include "core/export_settings.h"
#include "core/job.h"
#include "lines/drawing.h"
#include "sdk/document.h"

// What a preview request draws: the document at its frame (already shown at
// that time), the revision the host gave its scene, the settings.
struct PreviewFrame {
  BaseDocument* document = nullptr;
  int32_t frame = 0;
  int64_t sceneRevision = 0;
  const ExportSettings* settings = nullptr;
  const volatile int32_t* stop = nullptr;
};

// How a preview ended.
enum class PreviewOutcome { kDrawn, kNothingInView, kStopped, kNoMemory };

// Draws the frame into `drawing`, reusing the kept capture when it can.
PreviewOutcome DrawPreviewFrame(const PreviewFrame& frame, Drawing& drawing);

// Releases what is kept (at the module's end).
void ReleaseKeptPreview();
