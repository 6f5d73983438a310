// FrameFile: where the drawing of one frame goes, whatever its format: the
// chosen file name (its suffix picks the format, DrawingSuffix), the export
// range (one file, or one numbered file per frame), the scale of a raster
// picture, and the job whose stop requests leave the file unwritten. And what
// the files of every format share: the name of a frame's file, and writing
// under a temporary name that is put in place only when complete.
#pragma once

#include <cstdint>

#include "core/job.h"
#include "core/stack.h"
#include "sdk/files.h"
#include "sdk/strings.h"

struct FrameFile {
  String fileName;  // the chosen output file
  int32_t fromFrame = 0;
  int32_t toFrame = 0;
  ExportJob* job = nullptr;     // may be null
  double pixelsPerPoint = 1.0;  // the scale of a raster picture (PNG)
  ProgressBand progress;        // reported as done when a file is in place
};

// The suffix of the kind of file that the chosen name asks for: "eps" (in
// any case) for a standalone EPS file that any PostScript interpreter draws;
// "svg", "pdf" or "png" (in any case) for the formats the host draws
// (output/drawing_file.h); else "ai", the Illustrator-flavoured file that
// needs the application's own procedure sets.
String DrawingSuffix(const String& fileName);

// The file that frame `frame` (counted from 0 within the range) goes to: the
// chosen name for a one-frame range; otherwise the chosen name without its
// suffix with "-", the frame index and "." plus DrawingSuffix appended.
String FrameFileName(const FrameFile& file, int32_t frame);

// Writes the contents of the file `fileName` (the final name, not the
// temporary one) into `writer`; `context` is what the caller of
// WriteFrameFile passed on.
using FileContents = void (*)(HostFileWriter* writer, const String& fileName, const void* context);

// Writes the file of frame `frame` (FrameFileName) through `contents` under a
// new temporary name beside it and puts it in place only when complete.
// Returns true when it was: false when the file could not be opened, a write
// or the close failed, or a stop request or a memory failure cut the writing
// short; no drawing is left behind then, and an older file of the same name
// is kept.
bool WriteFrameFile(const FrameFile& file, int32_t frame, FileContents contents,
                    const void* context);
