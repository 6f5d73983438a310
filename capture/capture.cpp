// Capture: world points, then one renderer polygon per usable host polygon.
#include "capture/capture.h"

#include <cmath>
#include <utility>

#include "capture/object_edge_planes.h"
#include "host/api/vexmark_ids.h"

namespace {

constexpr float kGreyChannel = 0.5f;
// Neighbouring faces whose normals agree this closely meet at a flat edge.
constexpr double kFlatEdgeCosine = 0.985;
constexpr int32_t kProgressInterval = 100;
constexpr int32_t kCancelPollInterval = 1000;

// A host polygon becomes a renderer polygon when its first two indices
// differ and all its corners are existing, finite points. Anything else
// could not be drawn and would poison every side test it took part in.
bool IsUsable(const BSPPolyObj& object, const PolygonCorners& polygon) {
  if (polygon.a == polygon.b) return false;
  const int32_t indices[4] = {polygon.a, polygon.b, polygon.c, polygon.d};
  for (int32_t index : indices) {
    if (index < 0 || index >= object.points.Count()) return false;
    if (!IsFinite(object.points[index])) return false;
  }
  return true;
}

int32_t CornerIndices(const PolygonCorners& polygon, int32_t indices[4]) {
  indices[0] = polygon.a;
  indices[1] = polygon.b;
  indices[2] = polygon.c;
  indices[3] = polygon.d;
  return CornerCount(polygon);
}

// The plane a triangle or quadrilateral made from these corners would get.
Plane FacePlane(const BSPPolyObj& object, const PolygonCorners& polygon) {
  int32_t indices[4];
  const int32_t count = CornerIndices(polygon, indices);
  Point corners[4];
  for (int32_t i = 0; i < count; ++i) corners[i] = object.points[indices[i]];
  return FitPlane(corners, count, CentroidOf(corners, count));
}

PageColour PolygonColour(const MeshInput& mesh, int32_t polygon) {
  Colour fill{kGreyChannel, kGreyChannel, kGreyChannel};
  if (mesh.colours != nullptr && !mesh.colours->ColourOf(polygon, fill)) {
    fill = Colour{kGreyChannel, kGreyChannel, kGreyChannel};
  }
  return PageColourOf(fill);
}

// The crease, outline and drawn flags of edge p→q of host polygon w.
uint32_t EdgeFlags(const BSPPolyObj& object, const BspView& view, const Stack<Plane>& faces,
                   int32_t w, int32_t p, int32_t q, const BspEdge& edge) {
  uint32_t flags = EdgeOriginal | EdgeDrawn;
  const LineStyle& settings = object.lineStyle;
  int32_t neighbour = -1;
  if (object.mesh.neighbours != nullptr) {
    neighbour = PolygonAcross(*object.mesh.neighbours, w, p, q);
    if (neighbour >= faces.Count()) neighbour = -1;
  }
  const Vector3d n = NormalOf(faces[w]);
  const Vector3d other = neighbour >= 0 ? NormalOf(faces[neighbour]) : Vector3d{};
  const double agreement = Dot(n, other);

  if (settings.creaseLines && neighbour >= 0 &&
      static_cast<float>(agreement) <= std::cos(settings.creaseAngle)) {
    flags |= EdgeCrease;
  }
  if (settings.outlineLines) {
    if (neighbour < 0) {
      flags |= EdgeOutline;
    } else {
      const Point middle{(edge.start.x + edge.end.x) / 2.0, (edge.start.y + edge.end.y) / 2.0,
                         (edge.start.z + edge.end.z) / 2.0, 1.0};
      const Vector3d sight = Normalised(SightDirection(view.eye, middle));
      if ((Dot(sight, n) > 0.0) != (Dot(sight, other) > 0.0)) flags |= EdgeOutline;
    }
  }
  // A flat edge is hidden, unless it is an outline: on a smooth surface the
  // faces along the outline are nearly flat to each other too.
  if (settings.skipCoplanarEdges && neighbour >= 0 && agreement > kFlatEdgeCosine &&
      (flags & EdgeOutline) == 0) {
    flags &= ~static_cast<uint32_t>(EdgeDrawn);
  }
  return flags;
}

// Makes the renderer polygon of host polygon w; false on memory failure.
bool MakeHostPolygon(BSPPolyObj& object, const BspView& view, const Stack<Plane>& faces, int32_t w,
                     BspPolygon& polygon) {
  const PolygonCorners& host = object.mesh.polygons[w];
  int32_t indices[4];
  const int32_t count = CornerIndices(host, indices);
  BspEdge edges[4];
  for (int32_t i = 0; i < count; ++i) {
    const int32_t p = indices[i];
    const int32_t q = indices[(i + 1) % count];
    edges[i].start = object.points[p];
    edges[i].end = object.points[q];
    edges[i].flags = EdgeFlags(object, view, faces, w, p, q, edges[i]);
  }
  if (!MakePolygon(polygon, edges, count, &object, w, PolygonColour(object.mesh, w))) return false;
  polygon.corners = host;
  return true;
}

// Keeps a polygon that faces the viewer, taking over its edges; one that
// faces away is turned and kept when the object keeps back faces, dropped
// otherwise. A polygon whose record cannot be allocated sets the
// memory-error flag: the drawing would lack it.
void StoreIfVisible(BSPPolyObj& object, const BspView& view, BspPolygon& polygon) {
  if (!FacesViewer(polygon, view.eye)) {
    if (object.options->backFaces != kBackFacesKeep) return;
    Flip(polygon);
  }
  BspPolygon* stored = HostNew<BspPolygon>(std::move(polygon));
  if (stored == nullptr) {
    MemoryErrorFlag::Set();
    return;
  }
  object.polygons.Push(stored);
  if (MemoryErrorFlag::Test() != 0) HostDelete(stored);
}

}  // namespace

bool CaptureWorldPoints(BSPPolyObj& object) {
  const MeshInput& mesh = object.mesh;
  object.points.Clear();
  if (mesh.pointCount > 0 && object.points.SetCount(mesh.pointCount) != 0) {
    object.points.Clear();
    ReportNoMemory(kPolyObjSource, PolyObjReportLine::kPointTable);
    return false;
  }
  for (int32_t i = 0; i < mesh.pointCount; ++i) {
    const HostVector& p = mesh.points[i];
    const Point world = Transform(mesh.matrix, Point{p.x, p.y, p.z, 1.0});
    object.points[i] = world;
    const double coordinates[3] = {world.x, world.y, world.z};
    for (int32_t axis = 0; axis < 3; ++axis) {
      if (coordinates[axis] < object.boundsMin[axis]) object.boundsMin[axis] = coordinates[axis];
      if (coordinates[axis] > object.boundsMax[axis]) object.boundsMax[axis] = coordinates[axis];
    }
    object.boundsValid = true;
  }
  if (!object.selection.Create(mesh.polygonCount)) {
    ReportNoMemory(kPolyObjSource, PolyObjReportLine::kSelection);
  }
  return true;
}

// 1. A face plane for every usable host polygon (its unit normal is what
//    the edge flags compare).
// 2. For every usable host polygon: edges with flags, colour, plane; dropped
//    when wholly outside the frustum; a quadrangle offered to the splitter;
//    kept when facing the viewer (or turned, when back faces are kept).
// 3. Edge planes of all stored polygons.
void BuildPolygons(BSPPolyObj& object, const BspView& view, QuadrangleSplitter splitter,
                   ExportJob& job) {
  const MeshInput& mesh = object.mesh;
  if (object.points.Count() != mesh.pointCount) return;
  Stack<Plane> faces;
  if (mesh.polygonCount > 0 && faces.SetCount(mesh.polygonCount) != 0) {
    ReportNoMemory(kPolyObjSource, PolyObjReportLine::kNormalTable);
    return;
  }
  if (mesh.neighbours == nullptr) ReportNoMemory(kPolyObjSource, PolyObjReportLine::kNeighbours);
  for (int32_t w = 0; w < mesh.polygonCount; ++w) {
    if (IsUsable(object, mesh.polygons[w])) faces[w] = FacePlane(object, mesh.polygons[w]);
  }

  for (int32_t w = 0; w < mesh.polygonCount; ++w) {
    if (w % kProgressInterval == 0) ReportProgressAgain(job);
    if (w % kCancelPollInterval == 0 && ExportCancelled(job)) break;
    if (MemoryErrorFlag::Test() != 0) break;
    if (!IsUsable(object, mesh.polygons[w])) continue;
    BspPolygon polygon;
    if (!MakeHostPolygon(object, view, faces, w, polygon)) break;
    if (!InsideFrustum(view, polygon)) continue;
    if (polygon.edges.Count() == 4 && splitter != nullptr) {
      const QuadrangleSplitRequest request{&object,       &view,           &polygon,     w,
                                           mesh.polygons, mesh.neighbours, faces.Items()};
      BspPolygon first;
      BspPolygon second;
      if (splitter(request, first, second)) {
        StoreIfVisible(object, view, first);
        StoreIfVisible(object, view, second);
        continue;
      }
    }
    StoreIfVisible(object, view, polygon);
  }

  ComputeObjectEdgePlanes(object, view.eye);
}
