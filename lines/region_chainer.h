// The region chainer: welds the directed boundary segments of a filled
// region where their ends nearly meet, walks them into closed outlines,
// choosing at each point the continuation with the smallest turning
// measure, closes what stays open by joining open runs end to end, and
// leaves out the outlines that bound next to no area.
#pragma once

#include "core/stack.h"
#include "core/job.h"
#include "lines/line_group.h"

// Chains `segments` (a working copy, each directed from a to b; used ones are
// removed) into closed paths appended to `paths`. Ends within 0.02 of each
// other are first made one point (outline_weld.h). Segments start a
// continuation when their start lies closer than `tolerance` to a path's
// last point. Prints "nichts passendes" when several continuations exist
// and none is nearly exact, "mehrere" when more than one is. Closed paths
// whose mean width is below 0.02 are left out. What bounds no area (one
// side of each cancelled pair of twins, the sides of the paths left out)
// goes to `leftOut` when it is given, for a stroked region to draw as lines.
// The job (may be null) keeps the progress display fresh and is the source
// of aborts.
void ChainRegion(Stack<EdgeSegment>& segments, Stack<EpsPath>& paths, double tolerance,
                 ExportJob* job = nullptr, Stack<EdgeSegment>* leftOut = nullptr);

// The turning measure in degrees from the incoming direction (last point
// towards the point before it) to a segment leaving the last point.
float TurningMeasure(const Vector3d& before, const Vector3d& last, const EdgeSegment& leaving);
