// The output stage of a frame: its drawing into every file the options name,
// the chosen file and each further one (ExportSettings::moreFiles), each in
// the format its name asks for (output/drawing_file.h). A caller that wants
// the drawing itself, without any file, takes it from the frame driver
// (DrawFrame in shell/bsp_renderer.h) instead.
#pragma once

#include <cstdint>

#include "core/export_settings.h"
#include "core/job.h"
#include "lines/drawing.h"
#include "output/frame_file.h"

// The chosen file of an export with its range, raster scale and job; each
// file put in place reports `progress` as done.
FrameFile FrameFileOf(const ExportSettings& options, ExportJob* job, ProgressBand progress = {});

// Writes `drawing` to each file of frame `frame`, in the order the options
// list them. A stop request or a memory failure ends the list before the
// next file. True when every file was written.
bool WriteFrameFiles(const Drawing& drawing, const ExportSettings& options, int32_t frame,
                     ExportJob& job, ProgressBand progress);
