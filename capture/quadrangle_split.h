// Splitting of folded quadrangles. The hidden-surface renderer needs planar
// polygons, so capture offers it every four-cornered polygon: a planar one
// stays whole, a folded one becomes two triangles cut along the diagonal
// whose triangles continue the neighbouring faces most smoothly.
#pragma once

#include "capture/capture.h"

// A quadrangle whose corners' squared distances from the plane through
// corners 0, 1 and 2 sum to less than this counts as planar.
inline constexpr double kPlanarQuadrangleTolerance = 1e-20;

// The QuadrangleSplitter that capture installs. True when `first` and
// `second` hold the two triangles that replace the quadrangle; false when it
// stays whole (planar, not a quadrangle, corners not finite, or no memory for
// the triangles, in which case the memory-error flag is set).
//
// The triangles keep the quadrangle's source, host polygon index, colour and
// boundary edges; their corners are the host point indices of the triangle
// (d = c). The diagonal carries no EdgeOriginal, so the line stage treats it
// as a cut inside the host polygon; it has EdgeOutline when exactly one
// triangle faces the eye (object's outline option on) and EdgeCrease when
// the triangles meet at the crease angle or more (crease option on).
bool splitQuadrangle(const QuadrangleSplitRequest& request, BspPolygon& first, BspPolygon& second);
