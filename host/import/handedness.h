// Assimp's scenes are right-handed (x right, y up, z towards the viewer);
// the host's world is left-handed (z away from the viewer). Mirroring z
// carries one into the other: points and offsets negate z, a matrix M
// becomes S M S with S = diag(1, 1, -1), and a rotation (x, y, z, w)
// becomes (-x, -y, z, w). The mirror turns the winding of every polygon, so
// faces reverse their corner order as well.
#pragma once

#include <assimp/matrix4x4.h>
#include <assimp/quaternion.h>
#include <assimp/vector3.h>

#include "host/matrix.h"

namespace host::import {

inline Vec3 Mirrored(const aiVector3D& v) {
  return {v.x, v.y, -v.z};
}

inline Quaternion Mirrored(const aiQuaternion& q) {
  return {-q.x, -q.y, q.z, q.w};
}

// aiMatrix4x4 is row-major with the translation in the fourth column.
inline Matrix Mirrored(const aiMatrix4x4& m) {
  Matrix out;
  out.v1 = {m.a1, m.b1, -m.c1};
  out.v2 = {m.a2, m.b2, -m.c2};
  out.v3 = {-m.a3, -m.b3, m.c3};
  out.off = {m.a4, m.b4, -m.c4};
  return out;
}

}  // namespace host::import
