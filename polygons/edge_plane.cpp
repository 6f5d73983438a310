// Edge planes through the eye; for a parallel camera, planes along the view
// direction.
#include "polygons/edge_plane.h"

namespace {

// Below this length an offset from the line of sight counts as zero.
constexpr double kOnLineTolerance = 1e-07;

// The offset of p from the line through `from` with direction `direction`.
Vector3d OffsetFromLine(const Point& from, const Vector3d& direction, const Point& p) {
  const double lengthSquared = Dot(direction, direction);
  const Vector3d toP = p - from;
  const double t = lengthSquared != 0.0 ? Dot(direction, toP) / lengthSquared : 0.0;
  return toP - direction * t;
}

}  // namespace

bool ComputeEdgePlane(const Point& eye, BspEdge& edge, const Point& reference) {
  const Point& p0 = edge.start;
  const Point& p1 = edge.end;
  const Vector3d sight = SightDirection(eye, p0) * -1.0;
  if (Length(OffsetFromLine(p0, sight, p1)) > kOnLineTolerance) {
    // An eye at infinity stands in as a point along the sight line, as far
    // from p0 as p1 is, so that the three corners make a well-shaped triangle.
    const Point third = eye.w != 0.0 ? eye : p0 + sight * (Length(p1 - p0) / Length(sight));
    const Point corners[3] = {p0, p1, third};
    edge.edgePlane = FitTrianglePlane(corners, CentroidOf(corners, 3));
    return true;
  }
  const Vector3d offset = OffsetFromLine(p0, sight, reference);
  const double length = Length(offset);
  if (length <= kOnLineTolerance) return false;
  edge.edgePlane = PlaneThrough(offset * (1.0 / length), p0);
  return true;
}
