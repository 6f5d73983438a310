// BspView: the camera of one rendered frame (eye, world-to-camera matrix,
// focal scale, output size) and its view frustum as five polygons, with the
// two things the renderer does with them: clipping polygons to the frustum
// and measuring a polygon's projected area for the drawing order.
//
// The page projection reads `cameraFromWorld`, `perspective`, `PageScale`,
// `width` and `height`.
#pragma once

#include <cstdint>

#include "core/geometry.h"
#include "core/stack.h"
#include "polygons/bsp_polygon.h"

// What the view needs of the scene's camera, filled by the host-reading layer.
struct CameraInput {
  AffineMap matrix;        // the camera's global matrix; it looks along v3
  int32_t projection = 0;  // 0: perspective
  double lensLength = 36.0;
  double filmWidth = 36.0;
  double zoom = 1.0;  // kept for non-perspective cameras
};

// Frustum plane indices: the camera plane, then the four sides.
inline constexpr int32_t kCameraPlane = 0;
inline constexpr int32_t kFirstSidePlane = 1;
inline constexpr int32_t kFrustumPlanes = 5;

struct BspView {
  int32_t width = 0;  // output size in pixels
  int32_t height = 0;
  // The camera position in world space; for a parallel camera the direction
  // towards the viewer with w = 0, an eye at infinity.
  Point eye;
  CameraInput camera;
  AffineMap cameraFromWorld;  // world to camera space; identity until a camera is set
  float halfWidth = 0.0f;
  float halfHeight = 0.0f;
  float focalScale = 0.0f;  // pixels per unit at unit depth
  bool perspective = true;
  float zoom = 1.0f;  // parallel cameras: the picture's width spans 1 / zoom units
  // Front sides face out of the view volume; the inside is behind all five.
  Stack<BspPolygon> frustum;
};

// Output size; zero eye, identity matrix, empty frustum.
void MakeView(BspView& view, int32_t width, int32_t height);

// Eye, world-to-camera map, focal scale and frustum from the camera. A singular
// camera matrix leaves the identity. False when the frustum could not be
// allocated (the memory-error flag is then set).
bool SetCamera(BspView& view, const CameraInput& camera);

// World point to camera space (depth Z positive in front of the camera).
Point ToCameraSpace(const BspView& view, const Point& world);

// The part of the polygon inside the frustum planes from `firstPlane` on,
// in `out`: 1, or 0 when nothing remains. A polygon lying in a frustum plane
// counts as outside. Edges lying on a frustum plane take it as edge plane.
int32_t Clip(const BspView& view, const BspPolygon& polygon, BspPolygon& out, int32_t firstPlane);
// Clip for a polygon that stays where it is: when no frustum plane cuts or
// touches it, `out` gets its attributes without the edges and stands for
// the whole polygon (see OutlineOf and TakeEdgesOfOrigin).
int32_t ClipLeavingWhole(const BspView& view, const BspPolygon& polygon, BspPolygon& out,
                         int32_t firstPlane);

// Whether anything of the polygon survives Clip from plane 0.
bool InsideFrustum(const BspView& view, const BspPolygon& polygon);

// Pixels per world unit on the page: at unit depth for a perspective camera,
// everywhere for a parallel one.
float PageScale(const BspView& view);

// Projected area of the first (at most four) corners: the drawing-order key.
double ProjectedArea(const BspView& view, const BspPolygon& polygon);
