// Centroid and plane fits of polygon corners.
#include "core/geometry.h"

namespace {

// Sum of the squared distances of the three corners from the plane.
double Residual(const Plane& plane, const Point* corners) {
  double sum = 0.0;
  for (int32_t k = 0; k < 3; ++k) {
    const double distance = Distance(plane, corners[k]);
    sum += distance * distance;
  }
  return sum;
}

// The two candidate normals at corner k of a triangle: u × v, and the cross
// product of u and v normalised first, where u runs to the next corner and v
// to the previous one.
void CornerCandidates(const Point* corners, int32_t k, Plane& plain, Plane& normalisedFirst) {
  const Point& at = corners[k];
  const Vector3d u = corners[(k + 1) % 3] - at;
  const Vector3d v = corners[(k + 2) % 3] - at;
  plain = PlaneThrough(Normalised(Cross(u, v)), at);
  normalisedFirst = PlaneThrough(Normalised(Cross(Normalised(u), Normalised(v))), at);
}

}  // namespace

Point CentroidOf(const Point* points, int32_t count) {
  Point sum{0.0, 0.0, 0.0, 1.0};
  if (count <= 0) return sum;
  for (int32_t i = 0; i < count; ++i) {
    sum.x += points[i].x;
    sum.y += points[i].y;
    sum.z += points[i].z;
  }
  sum.x /= count;
  sum.y /= count;
  sum.z /= count;
  return sum;
}

Plane FitQuadrilateralPlane(const Point* corners, const Point& centroid) {
  const Vector3d normal = Normalised(Cross(corners[2] - corners[0], corners[3] - corners[1]));
  return PlaneThrough(normal, centroid);
}

Plane FitNewellPlane(const Point* corners, int32_t count, const Point& centroid) {
  Vector3d normal;
  for (int32_t i = 0; i < count; ++i) {
    const Point& previous = corners[i == 0 ? count - 1 : i - 1];
    const Point& current = corners[i];
    normal.x += (previous.z + current.z) * (previous.y - current.y);
    normal.y += (previous.x + current.x) * (previous.z - current.z);
    normal.z += (previous.y + current.y) * (previous.x - current.x);
  }
  return PlaneThrough(Normalised(normal), centroid);
}

// Tries the candidates at corner 1, then corner 0, then corner 2, then
// Newell's normal through the centroid; an exact fit ends the search, else
// the smallest residual wins, the earlier candidate on ties.
Plane FitTrianglePlane(const Point* corners, const Point& centroid) {
  static constexpr int32_t kCornerOrder[3] = {1, 0, 2};
  Plane best;
  double bestResidual = 0.0;
  bool haveBest = false;
  auto consider = [&](const Plane& candidate) {
    const double residual = Residual(candidate, corners);
    if (!haveBest || residual < bestResidual) {
      best = candidate;
      bestResidual = residual;
      haveBest = true;
    }
    return residual == 0.0;
  };
  for (int32_t corner : kCornerOrder) {
    Plane plain;
    Plane normalisedFirst;
    CornerCandidates(corners, corner, plain, normalisedFirst);
    if (consider(plain)) return plain;
    if (consider(normalisedFirst)) return normalisedFirst;
  }
  const Plane newell = FitNewellPlane(corners, 3, centroid);
  if (consider(newell)) return newell;
  return best;
}

Plane FitPlane(const Point* corners, int32_t count, const Point& centroid) {
  if (count == 4) return FitQuadrilateralPlane(corners, centroid);
  if (count == 3) return FitTrianglePlane(corners, centroid);
  return FitNewellPlane(corners, count, centroid);
}

// The axes are the columns of A; A^-1 = adj(A) / det(A), offset -A^-1·off.
bool Invert(const AffineMap& m, AffineMap& inverse) {
  const Vector3d& c1 = m.v1;
  const Vector3d& c2 = m.v2;
  const Vector3d& c3 = m.v3;
  const double det = Dot(c1, Cross(c2, c3));
  if (det == 0.0) return false;
  // The rows of A^-1 are the cross products of the columns of A over det.
  const Vector3d r1 = Cross(c2, c3) * (1.0 / det);
  const Vector3d r2 = Cross(c3, c1) * (1.0 / det);
  const Vector3d r3 = Cross(c1, c2) * (1.0 / det);
  AffineMap result;
  result.v1 = Vector3d{r1.x, r2.x, r3.x};
  result.v2 = Vector3d{r1.y, r2.y, r3.y};
  result.v3 = Vector3d{r1.z, r2.z, r3.z};
  result.off = Vector3d{-Dot(r1, m.off), -Dot(r2, m.off), -Dot(r3, m.off)};
  inverse = result;
  return true;
}
