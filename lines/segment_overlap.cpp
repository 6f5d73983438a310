// The point and line tests of the segment pools and the sixteen overlap
// cases with the pieces each one leaves.
#include "lines/segment_overlap.h"

namespace {

// Below this squared length a segment is treated as a point.
constexpr double kPointLengthSquared = 1e-15;
// Both parts into which an inner point divides a segment are at least this long.
constexpr double kMinInnerPart = 1e-5;
constexpr double kParallelDot = 0.9;
constexpr double kSameDirectionDot = 0.99;

double DirectionDot(const LineView& a, const LineView& b) {
  return Dot(Normalised(a.dir), Normalised(b.dir));
}

// Position of p along s: 0 at p0, 1 at p1.
double Parameter(const LineView& s, const Vector3d& p) {
  if (s.lengthSquared < kPointLengthSquared) return 0.0;
  return Dot(s.dir, p - s.p0) / s.lengthSquared;
}

// An end that lies inside the other segment moves halfway onto that line.
Vector3d OntoLine(const LineView& s, const Vector3d& p) {
  return Midpoint(p, Foot(s, p));
}

// The end tests of one pair, named as in the case table.
struct EndTests {
  bool e00, e11, e01, e10;  // ends coincide
  bool b0, b1, a0, a1;      // an end of one lies inside the other
};

EndTests Evaluate(const LineView& a, const LineView& b, double t) {
  EndTests e;
  e.e00 = SameWithin(a.p0, b.p0, t);
  e.e11 = SameWithin(a.p1, b.p1, t);
  e.e01 = SameWithin(a.p0, b.p1, t);
  e.e10 = SameWithin(a.p1, b.p0, t);
  e.b0 = Inside(a, b.p0, t);
  e.b1 = Inside(a, b.p1, t);
  e.a0 = Inside(b, a.p0, t);
  e.a1 = Inside(b, a.p1, t);
  return e;
}

int32_t FirstMatchingCase(const EndTests& e, bool sameDirection, PartialRule rule) {
  if (e.e00 && e.e11) return 1;
  if (e.e10 && e.e01) return 2;
  if (e.b0 && e.b1) return 3;
  if (e.a0 && e.a1) return 4;
  if (e.e00 && e.b1) return 5;
  if (e.e01 && e.b0) return 6;
  if (e.e11 && e.b0) return 7;
  if (e.e10 && e.b1) return 8;
  if (e.e00 && e.a1) return 9;
  if (e.e01 && e.a1) return 10;
  if (e.e11 && e.a0) return 11;
  if (e.e10 && e.a0) return 12;
  const bool onlyB0 = e.b0 && !e.b1;
  const bool onlyB1 = e.b1 && !e.b0;
  if (rule == PartialRule::kByDirection) {
    if (onlyB0 && sameDirection) return 13;
    if (onlyB1 && !sameDirection) return 14;
    if (onlyB1 && sameDirection) return 15;
    if (onlyB0 && !sameDirection) return 16;
    return 0;
  }
  // Same direction: b running on past a's end means a's end lies inside b.
  if (onlyB0 && e.a1) return 13;
  if (onlyB1 && e.a1) return 14;
  if (onlyB1 && e.a0) return 15;
  if (onlyB0 && e.a0) return 16;
  return 0;
}

class PieceList {
 public:
  void Add(const Vector3d& p0, const Vector3d& p1, Coverage coverage) {
    result_.pieces[result_.count++] = Piece{p0, p1, coverage};
  }
  OverlapPieces Result() const { return result_; }

 private:
  OverlapPieces result_;
};

}  // namespace

Vector3d Foot(const LineView& s, const Vector3d& p) {
  if (s.lengthSquared < kPointLengthSquared) return s.p0;
  return s.p0 + s.dir * Parameter(s, p);
}

bool OnLine(const LineView& s, const Vector3d& p, double tolerance) {
  return SameWithin(p, Foot(s, p), tolerance);
}

bool Inside(const LineView& s, const Vector3d& p, double tolerance) {
  if (!OnLine(s, p, tolerance)) return false;
  if (SameWithin(p, s.p0, tolerance) || SameWithin(p, s.p1, tolerance)) return false;
  const double u = Parameter(s, p);
  if (!(u > 0.0 && u < 1.0)) return false;
  return Length(p - s.p0) >= kMinInnerPart && Length(s.p1 - p) >= kMinInnerPart;
}

bool Parallel(const LineView& a, const LineView& b) {
  const double dot = DirectionDot(a, b);
  return dot > kParallelDot || dot < -kParallelDot;
}

bool SameDirection(const LineView& a, const LineView& b) {
  return DirectionDot(a, b) > kSameDirectionDot;
}

double OffsetSum(const LineView& a, const LineView& b) {
  return DistanceSquared(b.p0, Foot(a, b.p0)) + DistanceSquared(b.p1, Foot(a, b.p1));
}

int32_t OverlapCase(const LineView& a, const LineView& b, double tolerance, PartialRule rule) {
  if (!OnLine(a, b.p0, tolerance) || !OnLine(a, b.p1, tolerance)) return 0;
  if (!Parallel(a, b)) return 0;
  return FirstMatchingCase(Evaluate(a, b, tolerance), SameDirection(a, b), rule);
}

OverlapPieces SplitOverlap(int32_t overlapCase, const LineView& a, const LineView& b) {
  using enum Coverage;
  PieceList list;
  switch (overlapCase) {
    case 1:  // the same stretch, same direction
      list.Add(Midpoint(a.p0, b.p0), Midpoint(a.p1, b.p1), kBoth);
      break;
    case 2:  // the same stretch, opposite directions
      list.Add(Midpoint(a.p0, b.p1), Midpoint(a.p1, b.p0), kBoth);
      break;
    case 3: {  // b inside a
      const bool b0First = Parameter(a, b.p0) <= Parameter(a, b.p1);
      const Vector3d nearEnd = OntoLine(a, b0First ? b.p0 : b.p1);
      const Vector3d farEnd = OntoLine(a, b0First ? b.p1 : b.p0);
      list.Add(a.p0, nearEnd, kOnlyA);
      list.Add(nearEnd, farEnd, kBoth);
      list.Add(farEnd, a.p1, kOnlyA);
      break;
    }
    case 4: {  // a inside b
      const bool a0First = Parameter(b, a.p0) <= Parameter(b, a.p1);
      const Vector3d inner0 = OntoLine(b, a.p0);
      const Vector3d inner1 = OntoLine(b, a.p1);
      list.Add(b.p0, a0First ? inner0 : inner1, kOnlyB);
      list.Add(inner0, inner1, kBoth);
      list.Add(a0First ? inner1 : inner0, b.p1, kOnlyB);
      break;
    }
    case 5:  // common start, b ends inside a
      list.Add(Midpoint(a.p0, b.p0), OntoLine(a, b.p1), kBoth);
      list.Add(OntoLine(a, b.p1), a.p1, kOnlyA);
      break;
    case 6:  // a starts where b ends, b starts inside a
      list.Add(Midpoint(a.p0, b.p1), OntoLine(a, b.p0), kBoth);
      list.Add(OntoLine(a, b.p0), a.p1, kOnlyA);
      break;
    case 7:  // common end, b starts inside a
      list.Add(a.p0, OntoLine(a, b.p0), kOnlyA);
      list.Add(OntoLine(a, b.p0), Midpoint(a.p1, b.p1), kBoth);
      break;
    case 8:  // b starts where a ends, b ends inside a
      list.Add(a.p0, OntoLine(a, b.p1), kOnlyA);
      list.Add(OntoLine(a, b.p1), Midpoint(a.p1, b.p0), kBoth);
      break;
    case 9:  // common start, a ends inside b
      list.Add(Midpoint(a.p0, b.p0), OntoLine(b, a.p1), kBoth);
      list.Add(OntoLine(b, a.p1), b.p1, kOnlyB);
      break;
    case 10:  // a starts where b ends, a ends inside b
      list.Add(Midpoint(a.p0, b.p1), OntoLine(b, a.p1), kBoth);
      list.Add(b.p0, OntoLine(b, a.p1), kOnlyB);
      break;
    case 11:  // common end, a starts inside b
      list.Add(b.p0, OntoLine(b, a.p0), kOnlyB);
      list.Add(OntoLine(b, a.p0), Midpoint(a.p1, b.p1), kBoth);
      break;
    case 12:  // b starts where a ends, a starts inside b
      list.Add(OntoLine(b, a.p0), b.p1, kOnlyB);
      list.Add(OntoLine(b, a.p0), Midpoint(a.p1, b.p0), kBoth);
      break;
    case 13:  // same direction, b's start inside a, a's end inside b
      list.Add(a.p0, OntoLine(a, b.p0), kOnlyA);
      list.Add(OntoLine(a, b.p0), OntoLine(b, a.p1), kBoth);
      list.Add(OntoLine(b, a.p1), b.p1, kOnlyB);
      break;
    case 14:  // opposite directions, b's end inside a, a's end inside b
      list.Add(a.p0, OntoLine(a, b.p1), kOnlyA);
      list.Add(OntoLine(a, b.p1), OntoLine(b, a.p1), kBoth);
      list.Add(b.p0, OntoLine(b, a.p1), kOnlyB);
      break;
    case 15:  // same direction, a's start inside b, b's end inside a
      list.Add(b.p0, OntoLine(b, a.p0), kOnlyB);
      list.Add(OntoLine(b, a.p0), OntoLine(a, b.p1), kBoth);
      list.Add(OntoLine(a, b.p1), a.p1, kOnlyA);
      break;
    case 16:  // opposite directions, a's start inside b, b's start inside a
      list.Add(OntoLine(b, a.p0), b.p1, kOnlyB);
      list.Add(OntoLine(b, a.p0), OntoLine(a, b.p0), kBoth);
      list.Add(OntoLine(a, b.p0), a.p1, kOnlyA);
      break;
    default:
      break;
  }
  return list.Result();
}
