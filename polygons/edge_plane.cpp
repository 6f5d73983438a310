// Edge planes through the eye, and their sharing between neighbours.
#include "polygons/edge_plane.h"

#include "capture/bsp_poly_obj.h"
#include "capture/edge_neighbours.h"

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

// Corner pair of edge i of a captured polygon, from its host point indices.
void EdgeCornerPair(const BspPolygon& polygon, int32_t i, int32_t& from, int32_t& to) {
  const int32_t count = polygon.IsTriangle() ? 3 : 4;
  from = polygon.corners[i];
  to = polygon.corners[(i + 1) % count];
}

// The edge of `polygon` between the two corners, in either direction; -1
// when it has none.
int32_t FindEdgeWithCorners(const BspPolygon& polygon, int32_t a, int32_t b) {
  const int32_t count = polygon.IsTriangle() ? 3 : 4;
  for (int32_t i = 0; i < count && i < polygon.edges.Count(); ++i) {
    int32_t from = 0;
    int32_t to = 0;
    EdgeCornerPair(polygon, i, from, to);
    if ((from == a && to == b) || (from == b && to == a)) return i;
  }
  return -1;
}

}  // namespace

bool ComputeEdgePlane(const Point& eye, BspEdge& edge, const Point& reference) {
  const Point& p0 = edge.start;
  const Point& p1 = edge.end;
  const Vector3d sight = eye - p0;
  if (Length(OffsetFromLine(p0, sight, p1)) > kOnLineTolerance) {
    const Point corners[3] = {p0, p1, eye};
    edge.edgePlane = FitTrianglePlane(corners, CentroidOf(corners, 3));
    return true;
  }
  const Vector3d offset = OffsetFromLine(p0, sight, reference);
  const double length = Length(offset);
  if (length <= kOnLineTolerance) return false;
  edge.edgePlane = PlaneThrough(offset * (1.0 / length), p0);
  return true;
}

void ComputeObjectEdgePlanes(BSPPolyObj& object, const Point& eye) {
  Stack<BspPolygon*>& polygons = object.polygons;
  Stack<PolygonCorners> corners;
  if (corners.SetCount(polygons.Count()) != 0) return;
  for (int32_t k = 0; k < polygons.Count(); ++k) {
    const int32_t* c = polygons[k]->corners;
    corners[k] = PolygonCorners{c[0], c[1], c[2], c[3]};
  }
  EdgeNeighbourTable neighbours;
  if (!neighbours.Build(corners.Items(), corners.Count())) return;

  for (int32_t k = 0; k < polygons.Count(); ++k) {
    BspPolygon& polygon = *polygons[k];
    if (!FacesViewer(polygon, eye)) Flip(polygon);
    const int32_t edgeCount = polygon.edges.Count() < 4 ? polygon.edges.Count() : 4;
    for (int32_t i = 0; i < edgeCount; ++i) {
      BspEdge computed = polygon.edges[i];
      if (!ComputeEdgePlane(eye, computed, polygon.centroid)) continue;
      Plane plane = computed.edgePlane;
      int32_t a = 0;
      int32_t b = 0;
      EdgeCornerPair(polygon, i, a, b);
      const int32_t earlier = PolygonAcross(neighbours, k, a, b);
      if (earlier >= 0 && earlier < k) {
        const BspPolygon& other = *polygons[earlier];
        const int32_t shared = FindEdgeWithCorners(other, a, b);
        if (shared >= 0) {
          const Plane& theirs = other.edges[shared].edgePlane;
          plane = Dot(NormalOf(theirs), NormalOf(plane)) <= 0.0 ? Negated(theirs) : theirs;
        }
      }
      polygon.edges[i].edgePlane = plane;
    }
  }
}
