// The prolog that makes a drawing a standalone EPS file: definitions of the
// operators the body uses (compound paths, paint, colours), so that any
// PostScript interpreter draws the file without further resources.
#pragma once

#include <cstdint>

#include "sdk/files.h"

// Writes the prolog's lines, between "%%BeginProlog" and "%%EndProlog".
// Returns 1 when every line was accepted.
int32_t WriteStandaloneProlog(HostFileWriter* file);
