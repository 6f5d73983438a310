// Edge planes: for every edge of a captured polygon, the plane through the
// viewpoint and that edge, with the polygon's interior on its back side. The
// edge planes of a polygon bound its beam, the pyramid in which it can hide
// things.
#pragma once

#include "polygons/bsp_polygon.h"

// Sets the edge's plane to the plane through the eye and the edge. When the
// eye lies on the edge's line, the plane through that line with `reference`
// on its front side instead; fails (false, the edge keeps its plane) when the
// reference lies on the line too.
bool ComputeEdgePlane(const Point& eye, BspEdge& edge, const Point& reference);
