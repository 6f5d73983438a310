// Double-precision geometry of the host scene: vectors, rotation
// quaternions and affine matrices (offset plus three axis vectors), with the
// composition of a matrix from position, rotation and scale and back.
//
// The vector and the matrix are the double-precision wire types of the
// function table (HostVectorPrecise, HostMatrixPrecise), so the scene's
// transforms cross it as they are; the table also hands out single-precision
// HostMatrix values, converted by ToHostMatrix.
#pragma once

#include "host/api/host_scene_api.h"

// The arithmetic of the wire vector and matrix. In the global namespace,
// beside the types, so that argument-dependent lookup finds it everywhere.
HostVectorPrecise operator+(const HostVectorPrecise& a, const HostVectorPrecise& b);
HostVectorPrecise operator-(const HostVectorPrecise& a, const HostVectorPrecise& b);
HostVectorPrecise operator*(const HostVectorPrecise& a, double s);
bool operator==(const HostMatrixPrecise& a, const HostMatrixPrecise& b);
// a * b: first b, then a.
HostMatrixPrecise operator*(const HostMatrixPrecise& a, const HostMatrixPrecise& b);

namespace host {

using Vec3 = HostVectorPrecise;
// Identity by default.
using Matrix = HostMatrixPrecise;

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
