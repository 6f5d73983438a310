// Edge planes: for every edge of a captured polygon, the plane through the
// viewpoint and that edge, with the polygon's interior on its back side. The
// edge planes of a polygon bound its beam, the pyramid in which it can hide
// things.
#pragma once

#include "polygons/bsp_polygon.h"

struct BSPPolyObj;

// Sets the edge's plane to the plane through the eye and the edge. When the
// eye lies on the edge's line, the plane through that line with `reference`
// on its front side instead; fails (false, the edge keeps its plane) when the
// reference lies on the line too.
bool ComputeEdgePlane(const Point& eye, BspEdge& edge, const Point& reference);

// Turns every captured polygon of the object to face the eye and computes its
// edge planes. Along an edge shared with an earlier polygon of the list the
// edge takes that polygon's plane (negated to agree with its own), so that
// neighbours share one plane exactly. Without a neighbour table (no memory)
// nothing is computed.
void ComputeObjectEdgePlanes(BSPPolyObj& object, const Point& eye);
