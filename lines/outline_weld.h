// Welding of a region's directed outline before it is chained. The pieces of
// an outline are cut and projected one by one, so where two of them meet
// their ends often differ in the last digits; on a dense mesh very many
// pieces meet within a fraction of a point. Welding makes every meeting
// point one exact point, so that the chainer finds each continuation by
// equality and never has to guess among near starts.
#pragma once

#include "core/stack.h"
#include "lines/line_group.h"

// Moves every end that lies within `distance` (on every axis) of an earlier
// end onto that end, in list order; then drops the segments that became
// points and cancels each pair of segments that run between the same two
// points in opposite directions, which together bound no area. The segments
// left keep their order. One segment of each cancelled pair is appended
// to `cancelled` when it is given: the pair bounds no area but may
// be a line that a stroked region still has to draw.
void WeldOutline(Stack<EdgeSegment>& segments, double distance,
                 Stack<EdgeSegment>* cancelled = nullptr);
