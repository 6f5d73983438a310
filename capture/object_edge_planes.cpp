// The edge planes of a captured object, shared between neighbours.
#include "capture/object_edge_planes.h"

#include "capture/edge_neighbours.h"
#include "polygons/edge_plane.h"

namespace {

// Corner pair of edge i of a captured polygon, from its host point indices.
void EdgeCornerPair(const BspPolygon& polygon, int32_t i, int32_t& from, int32_t& to) {
  const int32_t count = polygon.CornerCount();
  from = Corner(polygon.corners, i);
  to = Corner(polygon.corners, (i + 1) % count);
}

// The edge of `polygon` between the two corners, in either direction; -1
// when it has none.
int32_t FindEdgeWithCorners(const BspPolygon& polygon, int32_t a, int32_t b) {
  const int32_t count = polygon.CornerCount();
  for (int32_t i = 0; i < count && i < polygon.edges.Count(); ++i) {
    int32_t from = 0;
    int32_t to = 0;
    EdgeCornerPair(polygon, i, from, to);
    if ((from == a && to == b) || (from == b && to == a)) return i;
  }
  return -1;
}

}  // namespace

void ComputeObjectEdgePlanes(BSPPolyObj& object, const Point& eye) {
  Stack<BspPolygon*>& polygons = object.polygons;
  Stack<PolygonCorners> corners;
  if (corners.SetCount(polygons.Count()) != 0) return;
  for (int32_t k = 0; k < polygons.Count(); ++k) corners[k] = polygons[k]->corners;
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
