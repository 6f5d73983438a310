// Reading a host polygon's corners from the object's world points.
#include "lines/host_polygon.h"

bool ReadHostPolygon(const BSPPolyObj& object, int32_t polygon, HostPolygonOutline& outline) {
  const MeshInput& mesh = object.mesh;
  if (mesh.polygons == nullptr || polygon < 0 || polygon >= mesh.polygonCount) return false;
  const PolygonCorners& host = mesh.polygons[polygon];
  if (host.a == host.b) return false;
  const int32_t indices[4] = {host.a, host.b, host.c, host.d};
  const int32_t count = CornerCount(host);
  for (int32_t k = 0; k < count; ++k) {
    const int32_t index = indices[k];
    if (index < 0 || index >= object.points.Count()) return false;
    const Point& p = object.points[index];
    if (!IsFinite(p)) return false;
    outline.pointIndices[k] = index;
    outline.corners[k] = Vector3d{p.x, p.y, p.z};
  }
  outline.cornerCount = count;
  return true;
}
