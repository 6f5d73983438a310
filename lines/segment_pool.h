// Collinear segment pools. A pool holds segments and resolves every pair that
// lies on one line and overlaps:
//   cancel mode: what both cover disappears, what only one covers survives;
//   merge mode:  what both cover survives once, as non-overlapping pieces.
// Built on it: `subtract` (remove from a list whatever a pool covers) and,
// in inner_cuts.h and keyed_pool_set.h, the cancellation of a polygon's
// inner cuts and the per-object memory of written segments.
//
// Two record layouts behave the same: Segment3D carries an integer value
// (edge flags) and whether the pool made it; SegmentPlain carries nothing.
#pragma once

#include <cstdint>

#include "core/geometry.h"
#include "core/job.h"
#include "core/stack.h"
#include "lines/direction_index.h"
#include "lines/line_group.h"

struct Segment3D {
  Vector3d p0;
  Vector3d p1;
  int32_t value = 0;
  Vector3d dir;                // p1 - p0
  double lengthSquared = 0.0;  // of dir
  bool owned = false;          // made by the pool
};

struct SegmentPlain {
  Vector3d p0;
  Vector3d p1;
  Vector3d dir;
  double lengthSquared = 0.0;
};

Segment3D MakeSegment3D(const Vector3d& p0, const Vector3d& p1, int32_t value, bool owned);
SegmentPlain MakeSegmentPlain(const Vector3d& p0, const Vector3d& p1);
SegmentPlain ToSegmentPlain(const EdgeSegment& segment);
EdgeSegment ToEdgeSegment(const SegmentPlain& segment);

template <class Segment>
struct SegmentPool {
  Stack<Segment> segments;  // scanned by position; new pieces go to the end
  bool cancel = true;       // true: cancel mode, false: merge mode
  // Cancel mode: only segments that run opposite ways resolve; two that run
  // the same way both stay (a directed outline that passes twice).
  bool oppositeOnly = false;
  double tolerance = 1e-5;  // coordinates closer than this count as equal
  DirectionIndex index;
  ExportJob* job = nullptr;  // keeps the progress display fresh; may be null
};

using SegmentPool3D = SegmentPool<Segment3D>;
using SegmentPoolPlain = SegmentPool<SegmentPlain>;

// Resolves every overlapping collinear pair of the pool in its mode, in place.
template <class Segment>
void resolve(SegmentPool<Segment>& pool);

// Removes from `list` every part that a segment of `pool` covers.
template <class Segment>
void subtract(const SegmentPool<Segment>& pool, Stack<EdgeSegment>& list);

// The index key of a segment: |x| of its unit direction, 0 when it has no length.
double DirectionKey(const Vector3d& dir, double lengthSquared);
