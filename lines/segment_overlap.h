// How two collinear segments overlap, and the pieces that replace them: the
// point and line tests of the segment pools (all with the pool's tolerance)
// and the sixteen overlap cases.
#pragma once

#include <cstdint>

#include "core/geometry.h"

// The geometry of one segment as the tests need it.
struct LineView {
  Vector3d p0;
  Vector3d p1;
  Vector3d dir;                    // p1 - p0
  double lengthSquared = 0.0;  // of dir
};

template <class Segment>
LineView ViewOf(const Segment& s) {
  return LineView{s.p0, s.p1, s.dir, s.lengthSquared};
}

// The perpendicular foot of p on the line of s (s.p0 for a point-like s).
Vector3d Foot(const LineView& s, const Vector3d& p);
// p lies on the line of s: every coordinate within `tolerance` of its foot.
bool OnLine(const LineView& s, const Vector3d& p, double tolerance);
// p lies on s strictly between its ends, at least 1e-5 from each.
bool Inside(const LineView& s, const Vector3d& p, double tolerance);
// The unit directions have a dot product above 0.9 or below -0.9.
bool Parallel(const LineView& a, const LineView& b);
// The unit directions have a dot product above 0.99.
bool SameDirection(const LineView& a, const LineView& b);
// Sum of the squared distances of b's ends from the line of a.
double OffsetSum(const LineView& a, const LineView& b);

// How the four partial overlaps (cases 13 to 16) are told apart: by the
// directions of the two segments (3D pool) or by which end of a lies inside
// b (plain pool). Both name the same geometry.
enum class PartialRule { kByDirection, kByInnerEnd };

// The overlap case 1..16 of b with a (b is a partner of a: both of its ends
// on a's line, parallel, overlapping), or 0 when they do not overlap so.
int32_t OverlapCase(const LineView& a, const LineView& b, double tolerance, PartialRule rule);

// Which of the two segments of a pair cover a piece.
enum class Coverage { kOnlyA, kOnlyB, kBoth };

struct Piece {
  Vector3d p0;
  Vector3d p1;
  Coverage coverage = Coverage::kBoth;
};

// The stretches of an overlapping pair in order along the common line. A
// piece that only one segment covers keeps that segment's direction; the
// common stretch runs in a's direction.
struct OverlapPieces {
  Piece pieces[3];
  int32_t count = 0;
};

OverlapPieces SplitOverlap(int32_t overlapCase, const LineView& a, const LineView& b);
