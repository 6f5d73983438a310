// The visible pieces of a host polygon's edges as the edge-line stage handles
// them, and the edge flags they carry.
#pragma once

#include <cstdint>

#include "core/geometry.h"

// One bit per property of a polygon edge.
enum EdgeFlag : uint32_t {
  EdgeOriginal = 0x01,       // lies on an edge of the host polygon, not on a cut inside it
  EdgeCrease = 0x02,         // the faces meet at more than the crease angle
  EdgeOutline = 0x04,        // no neighbour, or the two faces differ in facing
  EdgeInnerBoundary = 0x08,  // made along a cut
  EdgeDrawn = 0x10,          // drawn in the edge styles
};

// A visible piece of a fragment edge, from start to end, in world space.
struct EdgePiece {
  Vector3d start;
  Vector3d end;
  uint32_t flags = 0;
};
