// EpsPage: what the renderer hands the EPS writer for one frame: the line
// groups of the picture and a copy of the export settings, whose conversion
// thread is the source of user aborts during long writes.
#pragma once

#include "core/stack.h"
#include "lines/line_group.h"
#include "core/export_settings.h"

struct EpsPage {
  Stack<LineGroup> elements;
  // Read here: fromFrame and toFrame (the export range), width and height
  // (page size in points), fileName (the chosen output file) and thread
  // (the abort source).
  ExportSettings settings;
};

// True when the user asked the export that writes this page to stop.
bool PageAborted(const EpsPage& page);
