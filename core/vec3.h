// Vec3: a point or direction of three doubles with the few operations the
// segment pools, the chainers and the page projection share.
#pragma once

#include <cmath>

struct Vec3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

inline Vec3 operator+(const Vec3& a, const Vec3& b) {
  return Vec3{a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(const Vec3& a, const Vec3& b) {
  return Vec3{a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(const Vec3& a, double s) {
  return Vec3{a.x * s, a.y * s, a.z * s};
}

inline double Dot(const Vec3& a, const Vec3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline double LengthSquared(const Vec3& a) {
  return Dot(a, a);
}
inline double Length(const Vec3& a) {
  return std::sqrt(LengthSquared(a));
}
inline double DistanceSquared(const Vec3& a, const Vec3& b) {
  return LengthSquared(a - b);
}

// a divided by its length; the zero vector stays zero.
inline Vec3 Unit(const Vec3& a) {
  const double length = Length(a);
  if (length == 0.0) return Vec3{};
  return a * (1.0 / length);
}

inline Vec3 Midpoint(const Vec3& a, const Vec3& b) {
  return Vec3{(a.x + b.x) * 0.5, (a.y + b.y) * 0.5, (a.z + b.z) * 0.5};
}

// True when every coordinate of a and b differs by at most `tolerance`.
inline bool SameWithin(const Vec3& a, const Vec3& b, double tolerance) {
  return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
         std::fabs(a.z - b.z) <= tolerance;
}
