// Cutting a polygon by a plane, and marking the edges that lie on a plane.
// The beam tree cuts polygons by beam planes and node planes, the view cuts
// them by the frustum planes.
#pragma once

#include <cstdint>

#include "polygons/bsp_polygon.h"

// How a closing edge along the cut gets its edge plane.
enum CutPlaneMode : int32_t {
  kCutPlaneThroughEye = 0,  // the plane through the eye and the closing edge
  kCutPlaneIsCutPlane = 1,  // the cut plane itself, oriented away from the piece
};

// Results of Split (see PolygonSide for the values).
//   kSideBack:     nothing ahead of the plane; the polygon is copied to `back`
//   kSideFront:    nothing behind it; the polygon is copied to `front`
//   kSideSpanning: both pieces filled
//   kSideCoplanar: every corner within epsilon of the plane; nothing filled
//
// Each piece is closed head to tail by one closing edge along the cut,
// flagged exactly EdgeInnerBoundary; every other edge keeps the flags and
// edge plane of the edge it came from. The pieces keep the polygon's plane
// (not refitted), source, index, colour, origin, corners and flip state, and
// get their own centroid, radius and bounds. A boundary that does not close
// prints "Split error"; the split still completes. A failed allocation sets
// the memory-error flag and leaves the pieces incomplete.
PolygonSide Split(const BspPolygon& polygon, const Plane& plane, BspPolygon& back,
                  BspPolygon& front, const Point& eye, CutPlaneMode mode, double epsilon);

// Whether any edge has both ends within epsilon of the plane.
bool HasEdgeOnPlane(const BspPolygon& polygon, const Plane& plane, double epsilon);

// Gives every edge whose two ends lie within epsilon of the plane that plane
// as its edge plane: as it is for sign -1 (the polygon lies behind it), negated
// for sign +1 (the polygon lies in front of it).
void MarkEdgesOnPlane(BspPolygon& polygon, const Plane& plane, int32_t sign, double epsilon);
