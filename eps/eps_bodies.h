// The bodies of the EPS file, one per drawing style: which line groups are
// written, in which order, after which clean-up of shared lines.
//
// Each ends early, leaving the file to be framed by the trailer, when the
// memory-error flag is set (tested per element) or the user aborts (tested
// per polygon). Progress runs from 75 to 100 %.
#pragma once

#include "eps/eps_page.h"
#include "sdk/host_sdk.h"

// Styles 10034 and 10035: every polygon of the drawn-edge groups (kind 2)
// as its own compound path of chained lines.
void WriteOutlineBody(EpsPage& page, HostFileWriter* file);

// Style 10036: the region edge lines (kind 16), each polygon merged into
// non-overlapping strokes, then the creases (kind 8) without the stretches
// that an edge line of the same object already drew. Segments are compared
// in the page plane.
void WriteEdgeLineBody(EpsPage& page, HostFileWriter* file);

// Style 10037: the filled regions (kind bit 1) as closed outlines with their
// inner shared edges cancelled; then the region edges (kind 16) and creases
// (kind 8) that no region outline of the same object covers, one compound
// path per group. Segments are compared in the page plane.
void WriteFullBody(EpsPage& page, HostFileWriter* file);
