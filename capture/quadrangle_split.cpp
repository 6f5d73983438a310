// Quadrangle splitting: the planarity test, the choice of the diagonal by the
// neighbouring faces, and the two triangles with their diagonal's flags.
#include "capture/quadrangle_split.h"

#include <cmath>

namespace {

// One way to cut a quadrangle: the diagonal's corners, the corners of the
// two triangles in the quadrangle's order, and for each quadrangle edge k
// (corner k to corner k + 1) the triangle that holds it.
struct Cut {
  int32_t diagonal[2];
  int32_t triangles[2][3];
  int32_t triangleOfEdge[4];
};

constexpr Cut kCutAlong13{{1, 3}, {{0, 1, 3}, {1, 2, 3}}, {0, 1, 1, 0}};
constexpr Cut kCutAlong02{{0, 2}, {{0, 1, 2}, {0, 2, 3}}, {0, 0, 1, 1}};

// Normalised (p1 - p0) x (p2 - p0): the orientation of the polygon's own
// plane fit; zero for collinear points.
Vector3d UnitNormal(const Point& p0, const Point& p1, const Point& p2) {
  return Normalised(Cross(p1 - p0, p2 - p0));
}

Vector3d TriangleNormal(const Point corners[4], const int32_t triangle[3]) {
  return UnitNormal(corners[triangle[0]], corners[triangle[1]], corners[triangle[2]]);
}

bool IsPlanar(const Point corners[4]) {
  const Vector3d n = UnitNormal(corners[0], corners[1], corners[2]);
  const double offset = Dot(n, AsVector(corners[0]));
  double sum = 0.0;
  for (int32_t i = 0; i < 4; ++i) {
    const double distance = Dot(n, AsVector(corners[i])) - offset;
    sum += distance * distance;
  }
  return sum < kPlanarQuadrangleTolerance;
}

// Unit normals of the host polygons across the quadrangle's four edges;
// has[k] is false where edge k has none. Returns how many were found. An
// index outside the face table counts as no neighbour.
int32_t NeighbourNormals(const QuadrangleSplitRequest& request, Vector3d normals[4], bool has[4]) {
  const PolygonCorners& corners = request.quadrangle->corners;
  const int32_t faceCount = request.object->mesh.polygonCount;
  int32_t found = 0;
  for (int32_t k = 0; k < 4; ++k) {
    has[k] = false;
    if (request.neighbours == nullptr || request.facePlanes == nullptr) continue;
    const int32_t across =
        PolygonAcross(*request.neighbours, request.polygonIndex, Corner(corners, k),
                      Corner(corners, (k + 1) % 4));
    if (across < 0 || across >= faceCount) continue;
    normals[k] = NormalOf(request.facePlanes[across]);
    has[k] = true;
    ++found;
  }
  return found;
}

// Mean, over the edges with a neighbour, of the squared difference between
// the neighbour's normal and the normal of the cut's triangle on that edge.
double Score(const Cut& cut, const Point corners[4], const Vector3d neighbours[4],
             const bool has[4]) {
  const Vector3d triangle[2] = {TriangleNormal(corners, cut.triangles[0]),
                                TriangleNormal(corners, cut.triangles[1])};
  double sum = 0.0;
  int32_t count = 0;
  for (int32_t k = 0; k < 4; ++k) {
    if (!has[k]) continue;
    const Vector3d difference = neighbours[k] - triangle[cut.triangleOfEdge[k]];
    sum += Dot(difference, difference);
    ++count;
  }
  return count > 0 ? sum / count : 0.0;
}

// The cut whose triangles continue the neighbours best; along 1-3 on a tie
// and when there are no neighbours.
const Cut& ChooseCut(const QuadrangleSplitRequest& request, const Point corners[4]) {
  Vector3d neighbours[4];
  bool has[4];
  if (NeighbourNormals(request, neighbours, has) == 0) return kCutAlong13;
  const double along13 = Score(kCutAlong13, corners, neighbours, has);
  const double along02 = Score(kCutAlong02, corners, neighbours, has);
  return along02 >= along13 ? kCutAlong13 : kCutAlong02;
}

// Outline and crease of the diagonal between the two triangles, by the same
// tests that capture applies to the edges between host polygons.
uint32_t DiagonalFlags(const LineStyle& settings, const Point& eye, const Point& from,
                       const Point& to, const Vector3d& n0, const Vector3d& n1) {
  uint32_t flags = 0;
  if (settings.outlineLines) {
    const Point middle{(from.x + to.x) / 2.0, (from.y + to.y) / 2.0, (from.z + to.z) / 2.0, 1.0};
    const Vector3d sight = Normalised(SightDirection(eye, middle));
    if ((Dot(sight, n0) > 0.0) != (Dot(sight, n1) > 0.0)) flags |= EdgeOutline;
  }
  if (settings.creaseLines && static_cast<float>(Dot(n0, n1)) <= std::cos(settings.creaseAngle)) {
    flags |= EdgeCrease;
  }
  return flags;
}

// The triangle of the quadrangle's corners t[0], t[1], t[2]: a step to the
// next corner takes the quadrangle's own edge entry, the step across is the
// diagonal. False when its edge list could not be allocated.
bool MakeTriangle(const BspPolygon& quadrangle, const int32_t t[3], uint32_t diagonalFlags,
                  BspPolygon& triangle) {
  BspEdge edges[3];
  for (int32_t m = 0; m < 3; ++m) {
    const int32_t from = t[m];
    const int32_t to = t[(m + 1) % 3];
    if ((from + 1) % 4 == to) {
      edges[m] = quadrangle.edges[from];
    } else {
      edges[m].start = quadrangle.edges[from].start;
      edges[m].end = quadrangle.edges[to].start;
      edges[m].flags = diagonalFlags;
    }
  }
  if (!MakePolygon(triangle, edges, 3, quadrangle.source, quadrangle.polygonIndex,
                   quadrangle.colour)) {
    return false;
  }
  const PolygonCorners& corners = quadrangle.corners;
  triangle.corners = PolygonCorners{Corner(corners, t[0]), Corner(corners, t[1]),
                                    Corner(corners, t[2]), Corner(corners, t[2])};
  return true;
}

}  // namespace

bool splitQuadrangle(const QuadrangleSplitRequest& request, BspPolygon& first, BspPolygon& second) {
  if (request.quadrangle == nullptr || request.object == nullptr || request.view == nullptr) {
    return false;
  }
  const BspPolygon& quadrangle = *request.quadrangle;
  if (quadrangle.edges.Count() != 4) return false;
  Point corners[4];
  for (int32_t i = 0; i < 4; ++i) {
    corners[i] = quadrangle.edges[i].start;
    // Non-finite corners would pass or fail every test by accident.
    if (!IsFinite(corners[i])) return false;
  }
  if (IsPlanar(corners)) return false;

  const Cut& cut = ChooseCut(request, corners);
  const uint32_t diagonalFlags =
      DiagonalFlags(request.object->lineStyle, request.view->eye, corners[cut.diagonal[0]],
                    corners[cut.diagonal[1]], TriangleNormal(corners, cut.triangles[0]),
                    TriangleNormal(corners, cut.triangles[1]));
  return MakeTriangle(quadrangle, cut.triangles[0], diagonalFlags, first) &&
         MakeTriangle(quadrangle, cut.triangles[1], diagonalFlags, second);
}
