// Splits a polygon of more than four corners into triangles by ear
// clipping in the polygon's own plane, so that concave polygons are split
// correctly. The triangles keep the polygon's winding.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "host/matrix.h"

namespace host::import {

// Triangles as positions into `corners`. A polygon with fewer than three
// corners gives none.
std::vector<std::array<int32_t, 3>> SplitIntoTriangles(const std::vector<Vec3>& corners);

}  // namespace host::import
