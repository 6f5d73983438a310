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

#include "core/job.h"
#include "core/stack.h"
#include "lines/line_group.h"
#include "lines/direction_index.h"
#include "core/vec3.h"

// A point with its homogeneous w, always 1.
struct Point4 : Vec3 {
  double w = 1.0;
};

struct Segment3D {
  Point4 p0;
  Point4 p1;
  int32_t value = 0;
  Vec3 dir;                    // p1 - p0
  double lengthSquared = 0.0;  // of dir
  int32_t owned = 0;           // 1 when the pool made it
};

struct SegmentPlain {
  Vec3 p0;
  Vec3 p1;
  Vec3 dir;
  double lengthSquared = 0.0;
};

Segment3D MakeSegment3D(const Vec3& p0, const Vec3& p1, int32_t value, int32_t owned);
SegmentPlain MakeSegmentPlain(const Vec3& p0, const Vec3& p1);
SegmentPlain ToSegmentPlain(const EdgeSegment& segment);
EdgeSegment ToEdgeSegment(const SegmentPlain& segment);

template <class Segment>
struct SegmentPool {
  Stack<Segment> segments;  // scanned by position; new pieces go to the end
  int32_t cancel = 1;       // 1: cancel mode, 0: merge mode
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
double DirectionKey(const Vec3& dir, double lengthSquared);
