// The edge planes of every polygon of a captured object, with the planes of
// edges that two neighbouring polygons share computed once.
#pragma once

#include "capture/bsp_poly_obj.h"

// Turns every captured polygon of the object to face the eye and computes its
// edge planes. Along an edge shared with an earlier polygon of the list the
// edge takes that polygon's plane (negated to agree with its own), so that
// neighbours share one plane exactly. Without a neighbour table (no memory)
// nothing is computed.
void ComputeObjectEdgePlanes(BSPPolyObj& object, const Point& eye);
