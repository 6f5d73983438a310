// Split: walks the polygon's boundary once per side, keeps the edges and edge
// parts on that side and closes each piece along the cut.
#include "polygons/split.h"

#include <cmath>

#include "polygons/edge_plane.h"
#include "sdk/console.h"

namespace {

constexpr char kSplitError[] = "Split error";
// Closing edges per piece whose planes are computed once the piece's
// centroid is known; a convex polygon has one.
constexpr int32_t kMaxDeferredClosings = 8;

int32_t SideClass(double distance, double epsilon) {
  if (distance < -epsilon) return -1;
  if (distance > epsilon) return 1;
  return 0;
}

// The point where the edge p→q crosses the plane. Computed from the
// lexicographically smaller end, so that two polygons sharing the edge in
// opposite directions get exactly the same point.
Point CrossingPoint(const Point& p, const Point& q, double dp, double dq) {
  const bool pFirst = p.x < q.x || (p.x == q.x && (p.y < q.y || (p.y == q.y && p.z <= q.z)));
  const Point& from = pFirst ? p : q;
  const Point& to = pFirst ? q : p;
  const double dFrom = pFirst ? dp : dq;
  const double dTo = pFirst ? dq : dp;
  const double t = dFrom / (dFrom - dTo);
  return from + (to - from) * t;
}

// The distances of every edge's two ends from the cut plane, worked out
// once per split for both pieces (up to kCachedEdges edges; a longer
// boundary works out the rest when asked).
constexpr int32_t kCachedEdges = 32;

class EndDistances {
 public:
  EndDistances(const BspPolygon& polygon, const Plane& plane) : polygon_(polygon), plane_(plane) {
    cached_ = polygon.edges.Count() < kCachedEdges ? polygon.edges.Count() : kCachedEdges;
    for (int32_t i = 0; i < cached_; ++i) {
      start_[i] = Distance(plane, polygon.edges[i].start);
      end_[i] = Distance(plane, polygon.edges[i].end);
    }
  }
  double Start(int32_t i) const {
    return i < cached_ ? start_[i] : Distance(plane_, polygon_.edges[i].start);
  }
  double End(int32_t i) const {
    return i < cached_ ? end_[i] : Distance(plane_, polygon_.edges[i].end);
  }

 private:
  const BspPolygon& polygon_;
  const Plane& plane_;
  int32_t cached_ = 0;
  double start_[kCachedEdges];
  double end_[kCachedEdges];
};

// One edge, or the part of one, that belongs to the side being built.
struct SidePiece {
  BspEdge edge;
  bool startOnCut = false;
  bool endOnCut = false;
};

// The part of edge i on the side `side` (+1 front, -1 back); false when the
// edge has none there.
bool PieceOnSide(const BspEdge& edge, double ds, double de, int32_t side, double epsilon,
                 SidePiece& piece) {
  const int32_t cs = SideClass(ds, epsilon);
  const int32_t ce = SideClass(de, epsilon);
  piece.edge = edge;
  piece.startOnCut = cs == 0;
  piece.endOnCut = ce == 0;
  if (cs != 0 && ce == -cs) {  // crossing edge
    const Point crossing = CrossingPoint(edge.start, edge.end, ds, de);
    if (cs == side) {
      piece.edge.end = crossing;
      piece.endOnCut = true;
    } else {
      piece.edge.start = crossing;
      piece.startOnCut = true;
    }
    return true;
  }
  if (cs == 0 && ce == 0) return true;  // on the cut: goes to both sides
  return cs == side || ce == side;
}

struct PieceBuilder {
  BspPolygon& piece;
  const Plane& cut;
  const Point& eye;
  CutPlaneMode mode;
  int32_t side;
  int32_t deferredClosings[kMaxDeferredClosings];
  int32_t deferredCount = 0;

  void AddClosingEdge(const Point& from, const Point& to, const Point& fallbackReference) {
    BspEdge closing;
    closing.start = from;
    closing.end = to;
    closing.flags = EdgeInnerBoundary;
    // The cut plane is the plane through the eye and the closing edge when
    // it is a beam or frustum plane; orient it to keep the piece behind it.
    if (mode == kCutPlaneIsCutPlane) closing.edgePlane = side < 0 ? cut : Negated(cut);
    if (mode == kCutPlaneThroughEye) {
      if (deferredCount < kMaxDeferredClosings) {
        deferredClosings[deferredCount++] = piece.edges.Count();
      } else {
        ComputeEdgePlane(eye, closing, fallbackReference);
      }
    }
    piece.edges.Push(closing);
  }

  // While a cut is open the next edge must start on the cut; the closing
  // edge joins the two points.
  void Append(const SidePiece& next, bool& cutOpen, Point& openAt, const Point& reference) {
    if (cutOpen && !SamePosition(openAt, next.edge.start)) {
      if (next.startOnCut) {
        AddClosingEdge(openAt, next.edge.start, reference);
      } else {
        ConsolePrint(kSplitError);
      }
    }
    piece.edges.Push(next.edge);
    cutOpen = next.endOnCut;
    openAt = next.edge.end;
  }

  // Walks the boundary of `source` for this side, then closes the cut that
  // runs over the start of the boundary.
  void Build(const BspPolygon& source, const EndDistances& distances, double epsilon) {
    piece.edges.Clear();
    piece.edges.Reserve(source.edges.Count() + 1);
    bool cutOpen = false;
    Point openAt;
    SidePiece first;
    bool haveFirst = false;
    for (int32_t i = 0; i < source.edges.Count(); ++i) {
      if (MemoryErrorFlag::Test() != 0) return;
      SidePiece next;
      if (!PieceOnSide(source.edges[i], distances.Start(i), distances.End(i), side, epsilon,
                       next)) {
        continue;
      }
      if (!haveFirst) {
        first = next;
        haveFirst = true;
      }
      Append(next, cutOpen, openAt, source.centroid);
    }
    if (haveFirst && cutOpen && !SamePosition(openAt, first.edge.start)) {
      if (first.startOnCut) {
        AddClosingEdge(openAt, first.edge.start, source.centroid);
      } else {
        ConsolePrint(kSplitError);
      }
    }
  }

  void Finish(const BspPolygon& source) {
    CopyAttributes(piece, source);
    ComputeShape(piece);
    for (int32_t i = 0; i < deferredCount; ++i) {
      const int32_t index = deferredClosings[i];
      if (index < piece.edges.Count()) ComputeEdgePlane(eye, piece.edges[index], piece.centroid);
    }
  }
};

bool ClosedHeadToTail(const BspPolygon& polygon) {
  const int32_t count = polygon.edges.Count();
  for (int32_t i = 0; i < count; ++i) {
    const BspEdge& next = polygon.edges[(i + 1) % count];
    if (!SamePosition(polygon.edges[i].end, next.start)) return false;
  }
  return true;
}

}  // namespace

PolygonSide Split(const BspPolygon& polygon, const Plane& plane, BspPolygon& back,
                  BspPolygon& front, const Point& eye, CutPlaneMode mode, double epsilon) {
  const EndDistances distances(polygon, plane);
  bool ahead = false;
  bool behind = false;
  for (int32_t i = 0; i < polygon.edges.Count(); ++i) {
    const int32_t cs = SideClass(distances.Start(i), epsilon);
    const int32_t ce = SideClass(distances.End(i), epsilon);
    ahead = ahead || cs > 0 || ce > 0;
    behind = behind || cs < 0 || ce < 0;
  }
  if (!ahead && !behind) return kSideCoplanar;
  if (!ahead) {
    back = polygon;
    return kSideBack;
  }
  if (!behind) {
    front = polygon;
    return kSideFront;
  }

  PieceBuilder backBuilder{back, plane, eye, mode, -1, {}, 0};
  PieceBuilder frontBuilder{front, plane, eye, mode, 1, {}, 0};
  backBuilder.Build(polygon, distances, epsilon);
  frontBuilder.Build(polygon, distances, epsilon);
  if (MemoryErrorFlag::Test() != 0) return kSideSpanning;
  backBuilder.Finish(polygon);
  frontBuilder.Finish(polygon);
  if (!ClosedHeadToTail(back) || !ClosedHeadToTail(front)) ConsolePrint(kSplitError);
  return kSideSpanning;
}

namespace {

// No corner can be within epsilon of the plane when the bounding sphere
// keeps clear of it: |distance of the centre| - |normal| · radius > epsilon.
bool SphereClearOf(const BspPolygon& polygon, const Plane& plane, double epsilon) {
  const double clearance = std::fabs(Distance(plane, polygon.centroid)) - epsilon;
  if (clearance <= 0.0) return false;
  const Vector3d normal = NormalOf(plane);
  return clearance * clearance > Dot(normal, normal) * polygon.radius * polygon.radius;
}

bool EdgeOnPlane(const BspEdge& edge, const Plane& plane, double epsilon) {
  return std::fabs(Distance(plane, edge.start)) <= epsilon &&
         std::fabs(Distance(plane, edge.end)) <= epsilon;
}

}  // namespace

bool HasEdgeOnPlane(const BspPolygon& polygon, const Plane& plane, double epsilon) {
  if (SphereClearOf(polygon, plane, epsilon)) return false;
  for (int32_t i = 0; i < polygon.edges.Count(); ++i) {
    if (EdgeOnPlane(polygon.edges[i], plane, epsilon)) return true;
  }
  return false;
}

void MarkEdgesOnPlane(BspPolygon& polygon, const Plane& plane, int32_t sign, double epsilon) {
  if (SphereClearOf(polygon, plane, epsilon)) return;
  const Plane marked = sign < 0 ? plane : Negated(plane);
  for (int32_t i = 0; i < polygon.edges.Count(); ++i) {
    BspEdge& edge = polygon.edges[i];
    if (EdgeOnPlane(edge, plane, epsilon)) edge.edgePlane = marked;
  }
}
