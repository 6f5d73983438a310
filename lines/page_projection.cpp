// The projection onto the page, in single precision like the renderer's
// screen placement.
#include "lines/page_projection.h"

Vector3d ProjectPoint(const Vector3d& p, const AffineMap& cameraFromWorld, float zoom,
                      bool perspective, int32_t width, int32_t height) {
  const Point c = Transform(cameraFromWorld, AsPoint(p));
  float x = static_cast<float>(c.x);
  float y = static_cast<float>(c.y);
  if (!perspective) {
    x = zoom * x;
    y = zoom * y;
  } else if (c.z > 0.0) {
    const float depth = static_cast<float>(c.z);
    x = zoom * x / depth;
    y = zoom * y / depth;
  }
  // The page centre is halfway across, also for odd sizes.
  const float halfWidth = static_cast<float>(width) * 0.5f;
  const float halfHeight = static_cast<float>(height) * 0.5f;
  const float pageX = halfWidth + x;
  const float pageY = static_cast<float>(height) - (halfHeight + y);
  return Vector3d{pageX, pageY, c.z};
}

void ProjectPage(Stack<LineGroup>& elements, const AffineMap& cameraFromWorld, float zoom,
                 bool perspective, int32_t width, int32_t height, ExportJob* job) {
  for (int32_t e = 0; e < elements.Count(); ++e) {
    Stack<EpsPolygon>& polygons = elements[e].polygons;
    for (int32_t p = 0; p < polygons.Count(); ++p) {
      Stack<EdgeSegment>& segments = polygons[p].segments;
      for (int32_t s = 0; s < segments.Count(); ++s) {
        segments[s].a =
            ProjectPoint(segments[s].a, cameraFromWorld, zoom, perspective, width, height);
        segments[s].b =
            ProjectPoint(segments[s].b, cameraFromWorld, zoom, perspective, width, height);
      }
      ReportProgressAgain(job);
    }
  }
}
