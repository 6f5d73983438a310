// Polygon records: copying, making, shape, plane fit, side test and flip.
#include "polygons/bsp_polygon.h"

#include <utility>

namespace {

// Enough room on the stack for the corners of every captured polygon; larger
// polygons (only made by clipping) are fitted by Newell's method directly.
constexpr int32_t kLocalCorners = 8;

Plane NewellPlaneOfEdges(const BspPolygon& polygon) {
  const int32_t count = polygon.edges.Count();
  Vector3d normal;
  for (int32_t i = 0; i < count; ++i) {
    const Point& previous = polygon.edges[i == 0 ? count - 1 : i - 1].start;
    const Point& current = polygon.edges[i].start;
    normal.x += (previous.z + current.z) * (previous.y - current.y);
    normal.y += (previous.x + current.x) * (previous.z - current.z);
    normal.z += (previous.y + current.y) * (previous.x - current.x);
  }
  return PlaneThrough(Normalised(normal), polygon.centroid);
}

}  // namespace

const BspPolygon& OutlineOf(const BspPolygon& record) {
  return record.edges.Empty() && record.origin != nullptr ? *record.origin : record;
}

bool TakeEdgesOfOrigin(BspPolygon& record) {
  if (!record.edges.Empty() || record.origin == nullptr) return true;
  record.edges = record.origin->edges;
  return record.edges.Count() == record.origin->edges.Count();
}

void CopyAttributes(BspPolygon& target, const BspPolygon& source) {
  target.plane = source.plane;
  target.centroid = source.centroid;
  target.radius = source.radius;
  target.source = source.source;
  target.polygonIndex = source.polygonIndex;
  target.colour = source.colour;
  target.corners = source.corners;
  target.origin = source.origin;
  target.flipped = source.flipped;
}

BspPolygon::BspPolygon(const BspPolygon& other) : edges(other.edges) {
  CopyAttributes(*this, other);
}

BspPolygon::BspPolygon(BspPolygon&& other) noexcept : edges(std::move(other.edges)) {
  CopyAttributes(*this, other);
}

BspPolygon& BspPolygon::operator=(const BspPolygon& other) {
  if (this == &other) return *this;
  edges = other.edges;
  CopyAttributes(*this, other);
  return *this;
}

BspPolygon& BspPolygon::operator=(BspPolygon&& other) noexcept {
  if (this == &other) return *this;
  edges = std::move(other.edges);
  CopyAttributes(*this, other);
  return *this;
}

void AppendTaking(Stack<BspPolygon>& list, BspPolygon& polygon) {
  list.Push(BspPolygon());  // grows the list like any push; an empty record is cheap to copy
  if (MemoryErrorFlag::Test() != 0) return;
  list[list.Count() - 1] = std::move(polygon);
}

bool MakePolygon(BspPolygon& polygon, const BspEdge* edges, int32_t count, BSPPolyObj* source,
                 int32_t polygonIndex, PageColour colour) {
  polygon.edges.Clear();
  polygon.edges.Reserve(count);
  for (int32_t i = 0; i < count; ++i) polygon.edges.Push(edges[i]);
  if (polygon.edges.Count() != count) return false;
  polygon.source = source;
  polygon.polygonIndex = polygonIndex;
  polygon.colour = colour;
  ComputeShape(polygon);
  ComputePlane(polygon);
  return true;
}

void ComputeShape(BspPolygon& polygon) {
  const int32_t count = polygon.edges.Count();
  Point centroid{0.0, 0.0, 0.0, 1.0};
  for (int32_t i = 0; i < count; ++i) {
    const Point& p = polygon.edges[i].start;
    centroid.x += p.x;
    centroid.y += p.y;
    centroid.z += p.z;
  }
  if (count > 0) {
    centroid.x /= count;
    centroid.y /= count;
    centroid.z /= count;
  }
  polygon.centroid = centroid;

  double radius = 0.0;
  for (int32_t i = 0; i < count; ++i) {
    const double distance = Length(polygon.edges[i].start - centroid);
    if (distance > radius) radius = distance;
  }
  polygon.radius = radius;
}

void ComputePlane(BspPolygon& polygon) {
  const int32_t count = polygon.edges.Count();
  if (count > kLocalCorners) {
    polygon.plane = NewellPlaneOfEdges(polygon);
    return;
  }
  Point corners[kLocalCorners];
  for (int32_t i = 0; i < count; ++i) corners[i] = polygon.edges[i].start;
  polygon.plane = FitPlane(corners, count, polygon.centroid);
}

PolygonSide Classify(const BspPolygon& polygon, const Plane& plane, double epsilon) {
  const double s = Distance(plane, polygon.centroid);
  if (polygon.radius < s) return kSideFront;
  if (polygon.radius < -s) return kSideBack;
  bool ahead = false;
  bool behind = false;
  const int32_t count = polygon.edges.Count();
  for (int32_t i = 0; i < count; ++i) {
    const double t = Distance(plane, polygon.edges[i].start);
    if (t < -epsilon) behind = true;
    if (t > epsilon) ahead = true;
    if (ahead && behind) return kSideSpanning;
  }
  if (ahead) return kSideFront;
  if (behind) return kSideBack;
  return kSideCoplanar;
}

bool FacesViewer(const BspPolygon& polygon, const Point& eye) {
  return Distance(polygon.plane, eye) >= 0.0;
}

void Flip(BspPolygon& polygon) {
  const int32_t count = polygon.edges.Count();
  for (int32_t i = 0, j = count - 1; i < j; ++i, --j) {
    const BspEdge swapped = polygon.edges[i];
    polygon.edges[i] = polygon.edges[j];
    polygon.edges[j] = swapped;
  }
  for (int32_t i = 0; i < count; ++i) {
    BspEdge& edge = polygon.edges[i];
    const Point start = edge.start;
    edge.start = edge.end;
    edge.end = start;
    edge.edgePlane = Negated(edge.edgePlane);
  }
  polygon.plane = Negated(polygon.plane);
  polygon.flipped = !polygon.flipped;
  const PolygonCorners c = polygon.corners;
  polygon.corners = polygon.IsTriangle() ? PolygonCorners{c.a, c.c, c.b, c.b}
                                         : PolygonCorners{c.a, c.d, c.c, c.b};
}
