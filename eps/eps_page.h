// EpsPage: what the EPS writer gets for one file: the drawing, whether the
// file is a standalone EPS file (else the Illustrator-flavoured ".ai"), and
// the job that is the source of user aborts during long writes. The file's
// name, its temporary file and the choice of format belong to the output
// stage (output/).
#pragma once

#include "core/job.h"
#include "lines/drawing.h"

struct EpsPage {
  const Drawing& drawing;  // its size is the page size in points
  bool standalone = false;
  ExportJob* job = nullptr;  // may be null
};

// True when the user asked the export that writes this page to stop.
bool PageAborted(const EpsPage& page);
