// BspEdge and BspPolygon: the hidden-surface renderer's records of a convex
// planar polygon in world space with its directed boundary edges, and the
// operations every stage applies to them: making one from edges (centroid,
// radius, plane fit), the side test against a plane, the facing test
// and the flip.
//
// Capture fills them, the beam tree and the view cut, order and filter them,
// and the edge-line stage reads the surviving fragments with their flags.
#pragma once

#include <cstdint>

#include "core/colour.h"
#include "core/geometry.h"
#include "core/stack.h"
#include "polygons/edge_piece.h"  // EdgeFlag: the bits of BspEdge::flags

struct BSPPolyObj;

// One directed boundary edge; edge i of a polygon runs from corner i to
// corner i + 1. The edge plane passes through the viewpoint and the edge (or
// is the plane the edge was cut on) and has the polygon's interior on its
// back side; zero until set.
struct BspEdge {
  Point start;
  Point end;
  uint32_t flags = 0;
  Plane edgePlane;
};

// Results of Classify.
enum PolygonSide : int32_t {
  kSideBack = -1,
  kSideCoplanar = 0,
  kSideFront = 1,
  kSideSpanning = 2,
};

inline constexpr double kBoundsUnset = 9e18;

// The corners of a host polygon: four point indices a, b, c, d; c == d for a
// triangle. Capture reads the host's polygons as these, and every renderer
// polygon keeps the corners of the host polygon it stands for.
struct PolygonCorners {
  int32_t a = 0;
  int32_t b = 0;
  int32_t c = 0;
  int32_t d = 0;
};

// 3 for a triangle, else 4.
inline int32_t CornerCount(const PolygonCorners& polygon) {
  return polygon.c == polygon.d ? 3 : 4;
}

// Corner k: 0 a, 1 b, 2 c, 3 d.
inline int32_t Corner(const PolygonCorners& polygon, int32_t k) {
  const int32_t corners[4] = {polygon.a, polygon.b, polygon.c, polygon.d};
  return corners[k];
}

// A convex planar polygon. Copying copies every field except the occluder
// list: a copy keeps the occluders it had (none for a fresh record).
struct BspPolygon {
  Plane plane;                   // front side faces the viewer once captured
  Stack<BspEdge> edges;          // head to tail
  Point centroid;                // mean of the edge start points
  double radius = 0.0;           // largest distance from the centroid to a start point
  BSPPolyObj* source = nullptr;  // null for the view's frustum polygons
  int32_t polygonIndex = -1;     // host polygon it comes from
  PageColour colour = kOpaqueBlack;
  Stack<BspPolygon*> occluders;  // distinct polygons found to hide part of this one
  BspPolygon* origin = nullptr;  // the captured polygon this copy descends from
  bool flipped = false;
  PolygonCorners corners;  // host point indices a, b, c, d; d = c for a triangle

  BspPolygon() = default;
  BspPolygon(const BspPolygon& other);
  BspPolygon(BspPolygon&& other) noexcept;
  BspPolygon& operator=(const BspPolygon& other);
  BspPolygon& operator=(BspPolygon&& other) noexcept;
  ~BspPolygon() = default;

  // 3 for a triangle (host corners c == d), else 4.
  int32_t CornerCount() const { return ::CornerCount(corners); }
  bool IsTriangle() const { return CornerCount() == 3; }
};

// Appends the polygon to the list, taking over its edges instead of copying
// them. Nothing is appended while the memory-error flag is set.
void AppendTaking(Stack<BspPolygon>& list, BspPolygon& polygon);

// Copies every field but the edges and the occluders (the split pieces take
// these from the polygon they were cut from).
void CopyAttributes(BspPolygon& target, const BspPolygon& source);

// Fills the polygon from `count` edges (head to tail) with source, host
// polygon index and colour, then computes centroid, radius and plane
// in that order. False when the edge list could not be allocated (the
// memory-error flag is then set).
bool MakePolygon(BspPolygon& polygon, const BspEdge* edges, int32_t count, BSPPolyObj* source,
                 int32_t polygonIndex, PageColour colour);

// A clipped record without edges stands for the whole captured polygon it
// descends from (see ClipLeavingWhole): OutlineOf gives the polygon whose
// edges it has, TakeEdgesOfOrigin gives it a copy of them. Keeping the
// records edgeless until pass 1 inserts them spares a second copy of every
// edge of the frame. TakeEdgesOfOrigin is false when the copy could not be
// allocated (the memory-error flag is then set).
const BspPolygon& OutlineOf(const BspPolygon& record);
bool TakeEdgesOfOrigin(BspPolygon& record);

// Centroid and radius from the edge start points.
void ComputeShape(BspPolygon& polygon);
// The plane fit of the edge start points (see FitPlane).
void ComputePlane(BspPolygon& polygon);

// Side of the polygon relative to the plane, with tolerance epsilon. The
// bounding sphere decides first; only when it reaches across the plane are
// the corners tested.
PolygonSide Classify(const BspPolygon& polygon, const Plane& plane, double epsilon);

// True when the eye lies on the front side of the polygon's plane (or in it).
bool FacesViewer(const BspPolygon& polygon, const Point& eye);

// Reverses the boundary (edge order, edge directions, edge planes), negates
// the plane, toggles `flipped` and reorders the corners to keep corner a
// first. Centroid and radius stay.
void Flip(BspPolygon& polygon);
