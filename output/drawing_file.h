// The file of one frame in the format its name asks for (DrawingSuffix):
// ".ai" and ".eps" written by the module's EPS writer (eps/); ".svg", ".pdf"
// and ".png" drawn by the host (fileWriteDrawing), which gets the drawing as a
// plain description: page size, and per part its paint, a layer name and its
// paths of page points. Both go through a temporary file put in place only
// when complete (WriteFrameFile).
#pragma once

#include <cstdint>

#include "lines/drawing.h"
#include "output/frame_file.h"
#include "sdk/strings.h"

// The host format (HostDrawingFormat) a file name asks for; 0 for EPS.
int32_t HostFormatOf(const String& fileName);

// Writes `drawing` as the file of frame `frame` of the range; false when it
// was not written. A host that cannot draw drawings gets no file of the
// host's formats and one console line that says so.
bool WriteDrawingFile(const FrameFile& file, const Drawing& drawing, int32_t frame);

// Hands `drawing` to `take` as the host's plain description (HostDrawing),
// which lives only during the call: how a drawing reaches a host that shows
// it instead of writing a file. False when memory ran out or the drawing is
// too large to describe; `take` is not called then.
bool DescribeDrawing(const Drawing& drawing, double pixelsPerPoint,
                     void (*take)(void* context, const HostDrawing* description), void* context);

// The layer a part's lines belong to in formats that have layers: "fills"
// for filled parts, else after the kind of line ("edges", "creases", ...).
const char* LayerOf(const PathPaint& paint);
