// The four emitters and the shared-edge rule.
#include "lines/edge_emitters.h"

#include <cmath>

#include "lines/segment_overlap.h"
#include "lines/segment_pool.h"

namespace {

// Selects every piece.
constexpr uint32_t kAnyPiece = 0;
// The neighbour's pieces cover ours within this distance.
constexpr double kSharedEdgeTolerance = 0.0005;

bool Selected(const EdgePiece& piece, uint32_t flag) {
  return flag == kAnyPiece || (piece.flags & flag) != 0;
}

void AppendSelected(const Stack<EdgePiece>& pieces, uint32_t flag, Stack<EdgeSegment>& out) {
  for (int32_t i = 0; i < pieces.Count() && MemoryErrorFlag::Test() == 0; ++i) {
    if (Selected(pieces[i], flag)) out.Push(EdgeSegment{pieces[i].start, pieces[i].end});
  }
}

// Whether p lies on `cover` within the tolerance: on its line and not
// beyond either end.
bool OnCover(const LineView& cover, const Vector3d& p) {
  if (!OnLine(cover, p, kSharedEdgeTolerance)) return false;
  // Beyond an end by d, the foot's distances to the ends add up to the
  // length plus 2d.
  const Vector3d foot = Foot(cover, p);
  return Length(foot - cover.p0) + Length(foot - cover.p1) <=
         std::sqrt(cover.lengthSquared) + 2.0 * kSharedEdgeTolerance;
}

// Whether one segment of `cover` holds the whole of `piece`. The pool's
// overlap cases miss a piece shorter than the tolerance at a cover's end,
// whose both ends count as that end.
bool WhollyCovered(const SegmentPoolPlain& cover, const EdgeSegment& piece) {
  for (int32_t i = 0; i < cover.segments.Count(); ++i) {
    const LineView c = ViewOf(cover.segments[i]);
    if (OnCover(c, piece.a) && OnCover(c, piece.b)) return true;
  }
  return false;
}

// The only selected piece of `pieces`, or null when there are none or
// several.
const EdgePiece* SoleSelected(const Stack<EdgePiece>& pieces, uint32_t flag) {
  const EdgePiece* sole = nullptr;
  for (int32_t i = 0; i < pieces.Count(); ++i) {
    if (!Selected(pieces[i], flag)) continue;
    if (sole != nullptr) return nullptr;
    sole = &pieces[i];
  }
  return sole;
}

// Whether p0-p1 and q0-q1 join the same two points, in either direction.
bool JoinSamePoints(const Vector3d& p0, const Vector3d& p1, const Vector3d& q0,
                    const Vector3d& q1) {
  return (SamePosition(p0, q0) && SamePosition(p1, q1)) ||
         (SamePosition(p0, q1) && SamePosition(p1, q0));
}

// Whether the two sides each show exactly one piece and these join the
// same two points, as along an edge both faces show whole: the neighbour's
// piece then covers ours, and nothing of ours remains.
bool ExactlyCovered(const Stack<EdgePiece>& own, const Stack<EdgePiece>& neighbours,
                    uint32_t flag) {
  const EdgePiece* a = SoleSelected(own, flag);
  const EdgePiece* b = a != nullptr ? SoleSelected(neighbours, flag) : nullptr;
  if (b == nullptr) return false;
  if (SamePosition(a->start, a->end)) return false;  // a point: left to the pool's rules
  return JoinSamePoints(a->start, a->end, b->start, b->end);
}

// Our selected pieces minus the stretches that the neighbour's selected
// pieces cover; with `wholeCover` also minus the pieces that lie wholly
// within the tolerance of one of them.
void AppendUncovered(const Stack<EdgePiece>& own, const Stack<EdgePiece>& neighbours, uint32_t flag,
                     Stack<EdgeSegment>& out, bool wholeCover = false) {
  if (ExactlyCovered(own, neighbours, flag)) return;
  Stack<EdgeSegment> remaining;
  AppendSelected(own, flag, remaining);
  if (remaining.Empty()) return;
  SegmentPoolPlain cover;
  cover.cancel = 1;
  cover.tolerance = kSharedEdgeTolerance;
  for (int32_t i = 0; i < neighbours.Count(); ++i) {
    if (Selected(neighbours[i], flag)) {
      cover.segments.Push(MakeSegmentPlain(neighbours[i].start, neighbours[i].end));
    }
  }
  if (MemoryErrorFlag::Test() != 0) return;
  subtract(cover, remaining);
  for (int32_t i = 0; i < remaining.Count() && MemoryErrorFlag::Test() == 0; ++i) {
    if (!wholeCover || !WhollyCovered(cover, remaining[i])) out.Push(remaining[i]);
  }
}

// Whether edge j of `a` and edge k of `b` join the same two corners.
bool SameEnds(const MeshNode& a, int32_t j, const MeshNode& b, int32_t k) {
  return JoinSamePoints(a.Corner(j), a.Corner((j + 1) % a.vertexCount), b.Corner(k),
                        b.Corner((k + 1) % b.vertexCount));
}

// Edges with pieces, each emitted whole or, when the neighbour is mutual and
// has the larger index, without what the neighbour shows.
void EmitOncePerSharedEdge(const MeshNode& node, uint32_t flag, Stack<EdgeSegment>& out) {
  for (int32_t k = 0; k < node.vertexCount && MemoryErrorFlag::Test() == 0; ++k) {
    const Stack<EdgePiece>& own = node.edgePieces[k];
    if (own.Empty()) continue;
    const int32_t j = SharedEdgeIndex(node, k);
    const MeshNode* neighbour = node.neighbours[k];
    if (j >= 0 && node.polygonIndex < neighbour->polygonIndex) {
      AppendUncovered(own, neighbour->edgePieces[j], flag, out);
    } else {
      AppendSelected(own, flag, out);
    }
  }
}

bool SameColour(const MeshNode& a, const MeshNode& b) {
  return a.colour == b.colour;
}

}  // namespace

int32_t SharedEdgeIndex(const MeshNode& node, int32_t k) {
  const MeshNode* neighbour = node.neighbours[k];
  if (neighbour == nullptr) return -1;
  int32_t firstListing = -1;
  for (int32_t j = 0; j < neighbour->vertexCount; ++j) {
    if (neighbour->neighbours[j] != &node) continue;
    if (SameEnds(*neighbour, j, node, k)) return j;
    if (firstListing < 0) firstListing = j;
  }
  return firstListing;
}

void emitDrawnEdges(const MeshNode& node, Stack<EdgeSegment>& out) {
  EmitOncePerSharedEdge(node, EdgeDrawn, out);
}

void emitCreaseEdges(const MeshNode& node, Stack<EdgeSegment>& out) {
  EmitOncePerSharedEdge(node, EdgeCrease, out);
}

void emitInnerPieces(const MeshNode& node, Stack<EdgeSegment>& out) {
  AppendSelected(node.innerPieces, kAnyPiece, out);
}

namespace {

// Along an edge to a mutual neighbour of the same colour only what the
// neighbour does not show is emitted, from both sides, so the two regions
// merge; between different colours both sides emit the edge.
void EmitRegion(const MeshNode& node, Stack<EdgeSegment>& out, bool wholeCover) {
  AppendSelected(node.innerPieces, kAnyPiece, out);
  for (int32_t k = 0; k < node.vertexCount && MemoryErrorFlag::Test() == 0; ++k) {
    const Stack<EdgePiece>& own = node.edgePieces[k];
    if (own.Empty()) continue;
    const int32_t j = SharedEdgeIndex(node, k);
    if (j >= 0 && SameColour(node, *node.neighbours[k])) {
      AppendUncovered(own, node.neighbours[k]->edgePieces[j], kAnyPiece, out, wholeCover);
    } else {
      AppendSelected(own, kAnyPiece, out);
    }
  }
}

}  // namespace

void emitRegionEdges(const MeshNode& node, Stack<EdgeSegment>& out) {
  EmitRegion(node, out, false);
}

void emitFillEdges(const MeshNode& node, Stack<EdgeSegment>& out) {
  EmitRegion(node, out, true);
}
