// EpsPage: what the EPS writer (and the writer of the formats the host draws,
// eps/drawing_file.h) gets for one frame: the drawing, the chosen output file
// and the export range (one file, or one per frame), and the job that is the
// source of user aborts during long writes.
#pragma once

#include <cstdint>

#include "core/job.h"
#include "lines/drawing.h"
#include "sdk/strings.h"

struct EpsPage {
  Drawing drawing;  // its size is the page size in points
  String fileName;  // the chosen output file
  int32_t fromFrame = 0;
  int32_t toFrame = 0;
  ExportJob* job = nullptr;     // may be null
  double pixelsPerPoint = 1.0;  // the scale of a raster picture (PNG)
};

// True when the user asked the export that writes this page to stop.
bool PageAborted(const EpsPage& page);
