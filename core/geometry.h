// Point, Plane and Vector3d: the renderer's double-precision geometry in world
// space, with the few operations the polygon records, the beam tree and the
// view share, and the plane fits of a polygon's corners.
//
// A point has w = 1. A plane (a, b, c, d) gives the signed distance
// a·x + b·y + c·z + d·w; its positive side is called front. A plane's normal
// has unit length whenever it could be computed; a degenerate plane is
// (0, 0, 0, d).
#pragma once

#include <cmath>
#include <cstdint>

// Side tests against planes use this tolerance everywhere in the renderer.
inline constexpr double kSideEpsilon = 0.0001;

struct Point {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  double w = 1.0;
};

struct Plane {
  double a = 0.0;
  double b = 0.0;
  double c = 0.0;
  double d = 0.0;
};

// A direction or offset; no w.
struct Vector3d {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

inline Vector3d operator-(const Point& p, const Point& q) {
  return Vector3d{p.x - q.x, p.y - q.y, p.z - q.z};
}
inline Point operator+(const Point& p, const Vector3d& v) {
  return Point{p.x + v.x, p.y + v.y, p.z + v.z, 1.0};
}
inline Vector3d operator+(const Vector3d& u, const Vector3d& v) {
  return Vector3d{u.x + v.x, u.y + v.y, u.z + v.z};
}
inline Vector3d operator-(const Vector3d& u, const Vector3d& v) {
  return Vector3d{u.x - v.x, u.y - v.y, u.z - v.z};
}
inline Vector3d operator*(const Vector3d& v, double s) {
  return Vector3d{v.x * s, v.y * s, v.z * s};
}

// The direction of the sight line from the eye to p. An eye at infinity
// (w = 0, the eye of a parallel camera) is the direction towards the viewer,
// and every sight line runs against it.
inline Vector3d SightDirection(const Point& eye, const Point& p) {
  return eye.w != 0.0 ? p - eye : Vector3d{-eye.x, -eye.y, -eye.z};
}

inline double Dot(const Vector3d& u, const Vector3d& v) {
  return u.x * v.x + u.y * v.y + u.z * v.z;
}
inline Vector3d Cross(const Vector3d& u, const Vector3d& v) {
  return Vector3d{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}
inline double Length(const Vector3d& v) {
  return std::sqrt(Dot(v, v));
}
inline double LengthSquared(const Vector3d& v) {
  return Dot(v, v);
}
inline double DistanceSquared(const Vector3d& u, const Vector3d& v) {
  return LengthSquared(u - v);
}
inline Vector3d Midpoint(const Vector3d& u, const Vector3d& v) {
  return Vector3d{(u.x + v.x) * 0.5, (u.y + v.y) * 0.5, (u.z + v.z) * 0.5};
}
// True when every coordinate of u and v differs by at most `tolerance`.
inline bool SameWithin(const Vector3d& u, const Vector3d& v, double tolerance) {
  return std::fabs(u.x - v.x) <= tolerance && std::fabs(u.y - v.y) <= tolerance &&
         std::fabs(u.z - v.z) <= tolerance;
}
// v divided by its length; the zero vector stays zero.
inline Vector3d Normalised(const Vector3d& v) {
  const double length = Length(v);
  if (length == 0.0) return Vector3d{};
  return v * (1.0 / length);
}
inline Vector3d AsVector(const Point& p) {
  return Vector3d{p.x, p.y, p.z};
}
inline Point AsPoint(const Vector3d& v) {
  return Point{v.x, v.y, v.z, 1.0};
}

inline bool SamePosition(const Point& p, const Point& q) {
  return p.x == q.x && p.y == q.y && p.z == q.z;
}
inline bool SamePosition(const Vector3d& p, const Vector3d& q) {
  return p.x == q.x && p.y == q.y && p.z == q.z;
}
inline bool IsFinite(const Point& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// An affine map given by its offset and three axis vectors (the host's
// matrix, widened): p maps to off + v1·p.x + v2·p.y + v3·p.z. Identity by
// default.
struct AffineMap {
  Vector3d off;
  Vector3d v1{1.0, 0.0, 0.0};
  Vector3d v2{0.0, 1.0, 0.0};
  Vector3d v3{0.0, 0.0, 1.0};
};

inline Point Transform(const AffineMap& m, const Point& p) {
  return Point{m.off.x + p.x * m.v1.x + p.y * m.v2.x + p.z * m.v3.x,
               m.off.y + p.x * m.v1.y + p.y * m.v2.y + p.z * m.v3.y,
               m.off.z + p.x * m.v1.z + p.y * m.v2.z + p.z * m.v3.z, 1.0};
}

// The inverse map; false (and `inverse` untouched) when the axes are
// linearly dependent.
bool Invert(const AffineMap& m, AffineMap& inverse);

// Signed distance of p from the plane.
inline double Distance(const Plane& plane, const Point& p) {
  return plane.a * p.x + plane.b * p.y + plane.c * p.z + plane.d * p.w;
}
inline Vector3d NormalOf(const Plane& plane) {
  return Vector3d{plane.a, plane.b, plane.c};
}
inline Plane Negated(const Plane& plane) {
  return Plane{-plane.a, -plane.b, -plane.c, -plane.d};
}
// The plane with this normal through the reference point.
inline Plane PlaneThrough(const Vector3d& normal, const Point& reference) {
  return Plane{normal.x, normal.y, normal.z,
               -(normal.x * reference.x + normal.y * reference.y + normal.z * reference.z)};
}

// Mean of the points, w = 1; (0, 0, 0, 1) for none.
Point CentroidOf(const Point* points, int32_t count);

// Plane fits of a convex polygon's corners, listed head to tail. All give the
// orientation of Newell's normal. FitPlane picks the fit by corner count:
// the diagonals for four, the best of seven candidates for three, Newell's
// method otherwise; `centroid` is the mean of the corners.
Plane FitPlane(const Point* corners, int32_t count, const Point& centroid);
Plane FitQuadrilateralPlane(const Point* corners, const Point& centroid);
Plane FitTrianglePlane(const Point* corners, const Point& centroid);
Plane FitNewellPlane(const Point* corners, int32_t count, const Point& centroid);
