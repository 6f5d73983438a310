// The line chainer: turns the loose segments of one polygon into as few
// continuous paths as it can, always continuing a path at either end with
// the straightest matching segment. Used for every line kind.
#pragma once

#include "core/stack.h"
#include "core/job.h"
#include "lines/line_group.h"

// Chains `segments` (a working copy; used segments are removed from it) and
// appends the paths to `paths`. Two points match when x, y and z each
// differ by at most `tolerance`. A user abort or a memory failure ends the
// chaining before the next path; the paths built so far stay. The job (may
// be null) keeps the progress display fresh and is the source of aborts.
void ChainSegments(Stack<EdgeSegment>& segments, Stack<EpsPath>& paths, double tolerance,
                   ExportJob* job = nullptr);
