// Double-precision geometry of the host scene: vectors, rotation
// quaternions and affine matrices (offset plus three axis vectors), with the
// composition of a matrix from position, rotation and scale and back.
//
// The scene stores its transforms in double precision; the table hands out
// single-precision HostMatrix values converted at the boundary.
#pragma once

#include "host/api/host_scene_api.h"

namespace host {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

Vec3 operator+(const Vec3& a, const Vec3& b);
Vec3 operator-(const Vec3& a, const Vec3& b);
Vec3 operator*(const Vec3& a, double s);
double Dot(const Vec3& a, const Vec3& b);
Vec3 Cross(const Vec3& a, const Vec3& b);
double Length(const Vec3& a);
// The unit vector along a; the zero vector stays zero.
Vec3 Normalized(const Vec3& a);

// A rotation as a unit quaternion (x, y, z, w).
struct Quaternion {
  double x = 0, y = 0, z = 0, w = 1;
};

// Spherical interpolation along the shorter arc; t in 0..1.
Quaternion Slerp(const Quaternion& a, const Quaternion& b, double t);
Quaternion NormalizedQuaternion(const Quaternion& q);

struct Matrix {
  Vec3 off;
  Vec3 v1{1, 0, 0};
  Vec3 v2{0, 1, 0};
  Vec3 v3{0, 0, 1};
};

bool operator==(const Matrix& a, const Matrix& b);
// a * b: first b, then a.
Matrix operator*(const Matrix& a, const Matrix& b);
Vec3 Transform(const Matrix& m, const Vec3& p);
Vec3 TransformDirection(const Matrix& m, const Vec3& d);
double Determinant(const Matrix& m);

// Position, rotation and scale: the matrix scales first, then rotates, then
// moves.
struct Pose {
  Vec3 position;
  Quaternion rotation;
  Vec3 scale{1, 1, 1};
};

Matrix Compose(const Pose& pose);
// The inverse of Compose for matrices without shear. A mirrored matrix
// (negative determinant) gives a negative x scale.
Pose Decompose(const Matrix& m);

HostMatrix ToHostMatrix(const Matrix& m);
Matrix FromHostMatrix(const HostMatrix& m);
bool IsFinite(const Vec3& v);
bool IsFinite(const Matrix& m);

}  // namespace host
