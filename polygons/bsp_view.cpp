// The view: camera, frustum, clipping and projected area.
#include "polygons/bsp_view.h"

#include <cmath>
#include <utility>

#include "polygons/split.h"

namespace {

// Half the side of the square that stands for the camera plane; only its
// plane is used.
constexpr double kCameraSquareHalfSide = 100.0;

// Appends one frustum polygon made from corners given in camera space,
// turned so that `inside` (a world point inside the view volume) lies
// behind it. False on memory failure.
bool AddFrustumPolygon(BspView& view, const Point* cameraCorners, int32_t count,
                       const Point& inside) {
  BspEdge edges[4];
  for (int32_t i = 0; i < count; ++i) {
    edges[i].start = Transform(view.camera.matrix, cameraCorners[i]);
    edges[i].end = Transform(view.camera.matrix, cameraCorners[(i + 1) % count]);
  }
  BspPolygon polygon;
  if (!MakePolygon(polygon, edges, count, nullptr, -1, kOpaqueBlack)) return false;
  if (Distance(polygon.plane, inside) > 0.0) Flip(polygon);
  view.frustum.Push(polygon);
  return MemoryErrorFlag::Test() == 0;
}

// The camera plane and the four sides of the pyramid from the eye through
// the image rectangle at depth L. The rectangle is the part of the picture
// plane that the page shows: the focal scale maps its half width A / 2 to
// half the output width, and its half height in proportion to the output.
// A parallel camera's view volume is a box instead: its sides run along the
// view direction through the rectangle of width 1 / zoom.
bool BuildFrustum(BspView& view) {
  view.frustum.Clear();
  view.frustum.Reserve(kFrustumPlanes);
  const double lens = view.perspective ? view.camera.lensLength : 1.0;
  const double film = view.perspective ? view.camera.filmWidth : 1.0 / view.zoom;
  const double halfX = film / 2.0;
  const double halfY = view.width > 0 ? film * view.height / (2.0 * view.width) : 0.0;
  const Point inside = Transform(view.camera.matrix, Point{0.0, 0.0, 1.0, 1.0});

  const double s = kCameraSquareHalfSide;
  const Point square[4] = {
      {-s, -s, 0.0, 1.0}, {s, -s, 0.0, 1.0}, {s, s, 0.0, 1.0}, {-s, s, 0.0, 1.0}};
  if (!AddFrustumPolygon(view, square, 4, inside)) return false;

  const Point image[4] = {{-halfX, -halfY, lens, 1.0},
                          {halfX, -halfY, lens, 1.0},
                          {halfX, halfY, lens, 1.0},
                          {-halfX, halfY, lens, 1.0}};
  for (int32_t i = 0; i < 4; ++i) {
    // The pyramid's apex is the eye; the box's side runs on along z.
    const Point& corner = image[i];
    const Point apex =
        view.perspective ? Point{0.0, 0.0, 0.0, 1.0} : Point{corner.x, corner.y, 2.0 * lens, 1.0};
    const Point side[3] = {apex, image[i], image[(i + 1) % 4]};
    if (!AddFrustumPolygon(view, side, 3, inside)) return false;
  }
  return true;
}

// Signed area of the projected triangle, rounded to single precision.
float ProjectedTriangleArea(const Point& a, const Point& b, const Point& c) {
  const double area = ((c.y - a.y) * b.x + (b.y - c.y) * a.x + (a.y - b.y) * c.x) / 2.0;
  return static_cast<float>(area);
}

}  // namespace

void MakeView(BspView& view, int32_t width, int32_t height) {
  view.width = width;
  view.height = height;
  view.eye = Point{0.0, 0.0, 0.0, 1.0};
  view.cameraFromWorld = AffineMap{};
  view.halfWidth = static_cast<float>(width / 2.0);
  view.halfHeight = static_cast<float>(height / 2.0);
  view.frustum.Clear();
}

bool SetCamera(BspView& view, const CameraInput& camera) {
  view.camera = camera;
  view.perspective = camera.projection == 0;
  // A zoom that cannot size the picture shows one unit across.
  if (!view.perspective) {
    const float zoom = static_cast<float>(camera.zoom);
    view.zoom = std::isfinite(zoom) && zoom > 0.0f ? zoom : 1.0f;
  }
  const Vector3d& forward = camera.matrix.v3;
  view.eye = view.perspective ? AsPoint(camera.matrix.off)
                              : Point{-forward.x, -forward.y, -forward.z, 0.0};
  Invert(camera.matrix, view.cameraFromWorld);
  view.focalScale = camera.filmWidth != 0.0
                        ? static_cast<float>(camera.lensLength * view.width / camera.filmWidth)
                        : 0.0f;
  return BuildFrustum(view);
}

Point ToCameraSpace(const BspView& view, const Point& world) {
  return Transform(view.cameraFromWorld, world);
}

namespace {

// What `out` gets of a polygon that no frustum plane cuts or touches.
enum class Untouched { kCopied, kAttributesOnly };

// Clip; an untouched polygon is copied or leaves only its attributes, as
// `untouched` says.
int32_t ClipInto(const BspView& view, const BspPolygon& polygon, BspPolygon& out,
                 int32_t firstPlane, Untouched untouched) {
  const BspPolygon* current = &polygon;
  BspPolygon kept;  // the current piece once it differs from `polygon`
  for (int32_t i = firstPlane; i < view.frustum.Count(); ++i) {
    const Plane& plane = view.frustum[i].plane;
    const PolygonSide side = Classify(*current, plane, kSideEpsilon);
    if (side == kSideFront || side == kSideCoplanar) return 0;
    if (side == kSideBack) {
      if (!HasEdgeOnPlane(*current, plane, kSideEpsilon)) continue;
      if (current != &kept) {
        kept = *current;
        current = &kept;
      }
      MarkEdgesOnPlane(kept, plane, -1, kSideEpsilon);
      continue;
    }
    BspPolygon back;
    BspPolygon front;
    const PolygonSide cut =
        Split(*current, plane, back, front, view.eye, kCutPlaneIsCutPlane, kSideEpsilon);
    if (cut != kSideSpanning && cut != kSideBack) return 0;
    kept = std::move(back);
    current = &kept;
  }
  if (current == &kept) {
    out = std::move(kept);
  } else if (untouched == Untouched::kAttributesOnly) {
    out.edges.Clear();
    CopyAttributes(out, polygon);
  } else {
    out = polygon;
  }
  return 1;
}

}  // namespace

int32_t Clip(const BspView& view, const BspPolygon& polygon, BspPolygon& out, int32_t firstPlane) {
  return ClipInto(view, polygon, out, firstPlane, Untouched::kCopied);
}

int32_t ClipLeavingWhole(const BspView& view, const BspPolygon& polygon, BspPolygon& out,
                         int32_t firstPlane) {
  return ClipInto(view, polygon, out, firstPlane, Untouched::kAttributesOnly);
}

bool InsideFrustum(const BspView& view, const BspPolygon& polygon) {
  bool whollyInside = true;
  for (int32_t i = 0; i < view.frustum.Count(); ++i) {
    const PolygonSide side = Classify(polygon, view.frustum[i].plane, kSideEpsilon);
    if (side == kSideFront || side == kSideCoplanar) return false;
    if (side != kSideBack) whollyInside = false;
  }
  if (whollyInside) return true;
  BspPolygon clipped;
  return Clip(view, polygon, clipped, kCameraPlane) == 1;
}

float PageScale(const BspView& view) {
  return view.perspective ? view.focalScale : view.zoom * static_cast<float>(view.width);
}

double ProjectedArea(const BspView& view, const BspPolygon& polygon) {
  const int32_t count = polygon.edges.Count() < 4 ? polygon.edges.Count() : 4;
  if (count < 3) return 0.0;
  Point projected[4];
  for (int32_t i = 0; i < count; ++i) {
    const Point p = ToCameraSpace(view, polygon.edges[i].start);
    if (!view.perspective) {
      const double scale = PageScale(view);
      projected[i] = Point{p.x * scale, p.y * scale, 0.0, 1.0};
    } else if (p.z > 0.0) {
      projected[i] = Point{p.x * view.focalScale / p.z, p.y * view.focalScale / p.z, 0.0, 1.0};
    } else {
      projected[i] = Point{p.x, p.y, 0.0, 1.0};
    }
  }
  double key = std::fabs(ProjectedTriangleArea(projected[0], projected[1], projected[2]));
  if (count == 4) key += std::fabs(ProjectedTriangleArea(projected[0], projected[2], projected[3]));
  return key;
}
