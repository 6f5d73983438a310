#include "host/matrix.h"

#include <cmath>

using host::Matrix;
using host::Vec3;

Vec3 operator+(const Vec3& a, const Vec3& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(const Vec3& a, const Vec3& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(const Vec3& a, double s) {
  return {a.x * s, a.y * s, a.z * s};
}

bool operator==(const Matrix& a, const Matrix& b) {
  const auto same = [](const Vec3& p, const Vec3& q) {
    return p.x == q.x && p.y == q.y && p.z == q.z;
  };
  return same(a.off, b.off) && same(a.v1, b.v1) && same(a.v2, b.v2) && same(a.v3, b.v3);
}

Matrix operator*(const Matrix& a, const Matrix& b) {
  return {host::Transform(a, b.off), host::TransformDirection(a, b.v1),
          host::TransformDirection(a, b.v2), host::TransformDirection(a, b.v3)};
}

namespace host {

double Dot(const Vec3& a, const Vec3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(const Vec3& a) {
  return std::sqrt(Dot(a, a));
}
Vec3 Normalized(const Vec3& a) {
  const double length = Length(a);
  return length > 0 ? a * (1.0 / length) : Vec3{};
}

Quaternion NormalizedQuaternion(const Quaternion& q) {
  const double length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
  if (!(length > 0)) return Quaternion{};
  return {q.x / length, q.y / length, q.z / length, q.w / length};
}

Quaternion Slerp(const Quaternion& a, const Quaternion& from, double t) {
  Quaternion b = from;
  double cosine = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
  if (cosine < 0) {  // q and -q are the same rotation: take the shorter arc
    b = {-b.x, -b.y, -b.z, -b.w};
    cosine = -cosine;
  }
  double wa = 1 - t;
  double wb = t;
  if (cosine < 0.9995) {  // close rotations interpolate linearly to stay stable
    const double angle = std::acos(cosine);
    const double sine = std::sin(angle);
    wa = std::sin((1 - t) * angle) / sine;
    wb = std::sin(t * angle) / sine;
  }
  return NormalizedQuaternion(
      {wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z, wa * a.w + wb * b.w});
}

Vec3 TransformDirection(const Matrix& m, const Vec3& d) {
  return m.v1 * d.x + m.v2 * d.y + m.v3 * d.z;
}

Vec3 Transform(const Matrix& m, const Vec3& p) {
  return m.off + TransformDirection(m, p);
}

double Determinant(const Matrix& m) {
  return Dot(m.v1, Cross(m.v2, m.v3));
}

Matrix Compose(const Pose& t) {
  const Quaternion q = NormalizedQuaternion(t.rotation);
  const double xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
  const double xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
  const double wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
  const Vec3 axis1{1 - 2 * (yy + zz), 2 * (xy + wz), 2 * (xz - wy)};
  const Vec3 axis2{2 * (xy - wz), 1 - 2 * (xx + zz), 2 * (yz + wx)};
  const Vec3 axis3{2 * (xz + wy), 2 * (yz - wx), 1 - 2 * (xx + yy)};
  return {t.position, axis1 * t.scale.x, axis2 * t.scale.y, axis3 * t.scale.z};
}

namespace {

// The quaternion of an orthonormal rotation matrix with columns c1, c2, c3.
Quaternion RotationOf(const Vec3& c1, const Vec3& c2, const Vec3& c3) {
  const double trace = c1.x + c2.y + c3.z;
  Quaternion q;
  if (trace > 0) {
    const double s = std::sqrt(trace + 1) * 2;
    q = {(c2.z - c3.y) / s, (c3.x - c1.z) / s, (c1.y - c2.x) / s, s / 4};
  } else if (c1.x > c2.y && c1.x > c3.z) {
    const double s = std::sqrt(1 + c1.x - c2.y - c3.z) * 2;
    q = {s / 4, (c2.x + c1.y) / s, (c3.x + c1.z) / s, (c2.z - c3.y) / s};
  } else if (c2.y > c3.z) {
    const double s = std::sqrt(1 + c2.y - c1.x - c3.z) * 2;
    q = {(c2.x + c1.y) / s, s / 4, (c3.y + c2.z) / s, (c3.x - c1.z) / s};
  } else {
    const double s = std::sqrt(1 + c3.z - c1.x - c2.y) * 2;
    q = {(c3.x + c1.z) / s, (c3.y + c2.z) / s, s / 4, (c1.y - c2.x) / s};
  }
  return NormalizedQuaternion(q);
}

}  // namespace

Pose Decompose(const Matrix& m) {
  Pose t;
  t.position = m.off;
  t.scale = {Length(m.v1), Length(m.v2), Length(m.v3)};
  if (Determinant(m) < 0) t.scale.x = -t.scale.x;
  const auto axis = [](const Vec3& v, double s) { return s != 0 ? v * (1.0 / s) : Vec3{}; };
  t.rotation = RotationOf(axis(m.v1, t.scale.x), axis(m.v2, t.scale.y), axis(m.v3, t.scale.z));
  return t;
}

HostMatrix ToHostMatrix(const Matrix& m) {
  const auto f = [](const Vec3& v) {
    return HostVector{static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
  };
  return {f(m.off), f(m.v1), f(m.v2), f(m.v3)};
}

Matrix FromHostMatrix(const HostMatrix& m) {
  const auto d = [](const HostVector& v) { return Vec3{v.x, v.y, v.z}; };
  return {d(m.off), d(m.v1), d(m.v2), d(m.v3)};
}

bool IsFinite(const Vec3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool IsFinite(const Matrix& m) {
  return IsFinite(m.off) && IsFinite(m.v1) && IsFinite(m.v2) && IsFinite(m.v3);
}

}  // namespace host
