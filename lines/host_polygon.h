// The outline of one host polygon of a captured object in world space: its
// three or four corner points and their point indices. The object net builds
// its nodes from it, and the inner-cut cancellation needs the corners.
#pragma once

#include <cstdint>

#include "capture/bsp_poly_obj.h"
#include "core/geometry.h"

struct HostPolygonOutline {
  int32_t cornerCount = 0;  // 3 for a triangle (c == d), else 4
  int32_t pointIndices[4] = {0, 0, 0, 0};
  Vector3d corners[4];  // world space
};

// Fills `outline` for host polygon `polygon` of the object. False when the
// polygon cannot be drawn: it does not exist, its first two indices are
// equal, or a corner is not a finite point of the object (capture makes no
// renderer polygon of such a polygon either).
bool ReadHostPolygon(const BSPPolyObj& object, int32_t polygon, HostPolygonOutline& outline);
