// The body of the EPS file: every compound path of the drawing, in order,
// with its paint. Ends early, leaving the file to be framed by the trailer,
// when the user aborts (tested per compound path).
#pragma once

#include "eps/eps_page.h"
#include "sdk/files.h"

void WriteDrawingBody(const EpsPage& page, HostFileWriter* file);
