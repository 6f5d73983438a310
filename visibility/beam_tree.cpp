// Insertion into the beam tree: the beam filter, the node test and node
// creation, for plain (pass 1) and output (pass 2) insertion.
#include "visibility/beam_tree.h"

#include <utility>

#include "capture/bsp_poly_obj.h"
#include "core/job.h"
#include "polygons/split.h"

namespace {

constexpr uint32_t kStepsPerTick = 64;

// The two insertions share their walk and differ where the table of cases
// says so.
struct Insertion {
  const BspView& view;
  Stack<DeferredInsert>* deferred;
  bool output;                    // output insertion (pass 2)
  Stack<BspPolygon>* outputList;  // pass 2 only; may be null
  ExportJob* job;                 // progress and stop polls; may be null
  BeamTree& tree;                 // the whole tree, whose arena takes new nodes
};

void InsertIntoHandle(const Insertion& how, BeamNode*& handle, BspPolygon& polygon, int32_t depth);

// A new node at the empty handle, with one beam per edge, in the tree's
// arena; the first node of a tree creates the arena.
void CreateNode(const Insertion& how, BeamNode*& handle, const BspPolygon& polygon) {
  BeamTree& tree = how.tree;
  if (tree.arena == nullptr) {
    tree.arena = HostNew<Arena>();
    if (tree.arena == nullptr) {
      MemoryErrorFlag::Set();
      return;
    }
  }
  Arena& arena = *tree.arena;
  BeamNode* node = arena.New<BeamNode>();
  if (node == nullptr) return;
  // The beams are allocated right after the node: every insertion that
  // passes the node reads both.
  const int32_t count = polygon.edges.Count();
  node->beams.items = arena.NewArray<EdgeBeam>(count);
  if (count > 0 && node->beams.items == nullptr) return;
  node->beams.count = count;
  for (int32_t i = 0; i < count; ++i) node->beams[i].plane = polygon.edges[i].edgePlane;
  node->face.plane = polygon.plane;
  node->face.origin = polygon.origin;
  node->face.source = polygon.source;
  node->face.polygonIndex = polygon.polygonIndex;
  handle = node;
}

// Pass 2 keeps a coplanar overlap only for the polygon that comes first in
// (object list index, polygon index) order.
bool WinsCoplanarTie(const BspPolygon& piece, const NodeFace& node) {
  if (piece.source == nullptr || node.source == nullptr) return false;
  if (piece.source->listIndex != node.source->listIndex) {
    return piece.source->listIndex < node.source->listIndex;
  }
  return piece.polygonIndex < node.polygonIndex;
}

// The node test of the piece that passed all beams of `node`.
void TestAgainstNode(const Insertion& how, BeamNode& node, BspPolygon& piece, int32_t depth) {
  const NodeFace& face = node.face;
  const PolygonSide side = Classify(piece, face.plane, kSideEpsilon);
  switch (side) {
    case kSideCoplanar:
      if (!how.output) {
        RecordOcclusion(piece, face);
        RecordOcclusion(face, piece);
        InsertIntoHandle(how, node.frontChild, piece, depth);
      } else if (WinsCoplanarTie(piece, face)) {
        InsertIntoHandle(how, node.frontChild, piece, depth);
      }
      return;
    case kSideBack:
      if (!how.output) RecordOcclusion(piece, face);
      return;
    case kSideFront:
      InsertIntoHandle(how, node.frontChild, piece, depth);
      if (!how.output) RecordOcclusion(face, piece);
      return;
    case kSideSpanning: {
      BspPolygon back;
      BspPolygon front;
      const PolygonSide cut =
          Split(piece, face.plane, back, front, how.view.eye, kCutPlaneThroughEye, kSideEpsilon);
      if (MemoryErrorFlag::Test() != 0) return;
      if (cut == kSideFront || cut == kSideSpanning) {
        InsertIntoHandle(how, node.frontChild, front, depth);
      }
      if (!how.output) {
        RecordOcclusion(piece, face);
        RecordOcclusion(face, piece);
      }
      return;
    }
  }
}

// The beam filter from beam `first` on, then the node test of what lies
// inside all beams. A piece cut at a beam plane continues with its inside
// part from the next beam. Edge marks on beam planes are left out when
// pass 2 writes an output list: its pieces are final and keep the edge
// planes they came with.
void FilterThroughBeams(const Insertion& how, BeamNode& node, BspPolygon& piece, int32_t first,
                        int32_t depth) {
  const bool mark = !how.output || how.outputList == nullptr;
  for (int32_t i = first; i < node.beams.Count(); ++i) {
    EdgeBeam& beam = node.beams[i];
    const PolygonSide side = Classify(piece, beam.plane, kSideEpsilon);
    if (side == kSideCoplanar) {
      if (how.output) {
        InsertIntoHandle(how, beam.subtree, piece, depth);
      } else {
        RecordOcclusion(piece, node.face);  // seen edge-on: dropped
      }
      return;
    }
    if (side == kSideFront) {
      if (mark) MarkEdgesOnPlane(piece, beam.plane, 1, kSideEpsilon);
      InsertIntoHandle(how, beam.subtree, piece, depth);
      return;
    }
    if (side == kSideBack) {
      if (mark) MarkEdgesOnPlane(piece, beam.plane, -1, kSideEpsilon);
      continue;
    }
    BspPolygon back;
    BspPolygon front;
    Split(piece, beam.plane, back, front, how.view.eye, kCutPlaneIsCutPlane, kSideEpsilon);
    if (MemoryErrorFlag::Test() != 0) return;
    InsertIntoHandle(how, beam.subtree, front, depth);
    if (MemoryErrorFlag::Test() != 0) return;
    FilterThroughBeams(how, node, back, i + 1, depth);
    return;
  }
  TestAgainstNode(how, node, piece, depth);
}

void InsertAtNode(const Insertion& how, BeamNode& node, BspPolygon& polygon, int32_t depth) {
  FilterThroughBeams(how, node, polygon, 0, depth);
}

void InsertIntoHandle(const Insertion& how, BeamNode*& handle, BspPolygon& polygon, int32_t depth) {
  // A tick every 64 steps keeps the display and the stop poll fresh (a step
  // takes microseconds) without reading the host's clock at every node.
  if (how.job != nullptr) TickProgress(*how.job, kStepsPerTick);
  if (MemoryErrorFlag::Test() != 0) return;
  if (handle != nullptr) {
    if (how.deferred == nullptr || depth < kMaxInsertDepth) {
      InsertAtNode(how, *handle, polygon, depth + 1);
      return;
    }
    DeferredInsert item;
    item.node = handle;
    item.arena = how.tree.arena;
    item.polygon = polygon;
    item.kind = how.output ? kDeferredOutput : kDeferredPlain;
    how.deferred->Push(item);
    return;
  }
  if (how.output && how.outputList != nullptr) {
    how.outputList->Push(polygon);
    if (MemoryErrorFlag::Test() != 0) return;
  }
  CreateNode(how, handle, polygon);
}

bool AlreadyListed(const Stack<BspPolygon*>& occluders, const BspPolygon* occluder) {
  for (int32_t i = occluders.Count() - 1; i >= 0; --i) {
    if (occluders[i] == occluder) return true;
  }
  return false;
}

}  // namespace

void DestroyBeamTree(BeamTree& tree) {
  HostDelete(tree.arena);
  tree.arena = nullptr;
  tree.root = nullptr;
}

void InsertPolygon(BeamTree& tree, BspPolygon& polygon, const BspView& view,
                   Stack<DeferredInsert>* deferred, int32_t depth, ExportJob* job) {
  const Insertion how{view, deferred, false, nullptr, job, tree};
  InsertIntoHandle(how, tree.root, polygon, depth);
}

void InsertPolygonWithOutput(BeamTree& tree, BspPolygon& polygon, const BspView& view,
                             Stack<DeferredInsert>* deferred, int32_t depth,
                             Stack<BspPolygon>* output, ExportJob* job) {
  const Insertion how{view, deferred, true, output, job, tree};
  InsertIntoHandle(how, tree.root, polygon, depth);
}

void ResumeDeferredInsert(DeferredInsert& item, const BspView& view,
                          Stack<DeferredInsert>* deferred, Stack<BspPolygon>* output,
                          ExportJob* job) {
  if (item.node == nullptr || item.arena == nullptr) return;
  const bool outputKind = item.kind == kDeferredOutput;
  // The node is in a tree already, so the tree's arena exists.
  BeamTree tree{item.node, item.arena};
  const Insertion how{view, deferred, outputKind, outputKind ? output : nullptr, job, tree};
  InsertAtNode(how, *item.node, item.polygon, 0);
}

namespace {

// The occlusion record between two polygons given by who they are.
void Record(BspPolygon* hiddenOrigin, BSPPolyObj* hiddenSource, int32_t hiddenIndex,
            BspPolygon* occluderOrigin) {
  // A polygon cannot hide itself; pieces of one polygon meeting in a plane
  // must not remove each other in pass 2.
  if (hiddenOrigin != nullptr && hiddenOrigin == occluderOrigin) return;
  if (hiddenSource != nullptr && hiddenSource->selection.Exists()) {
    hiddenSource->selection.Select(hiddenIndex);
  }
  if (hiddenOrigin == nullptr || occluderOrigin == nullptr) return;
  if (AlreadyListed(hiddenOrigin->occluders, occluderOrigin)) return;
  hiddenOrigin->occluders.Push(occluderOrigin);
}

}  // namespace

void RecordOcclusion(const BspPolygon& hidden, const BspPolygon& occluder) {
  Record(hidden.origin, hidden.source, hidden.polygonIndex, occluder.origin);
}

void RecordOcclusion(const BspPolygon& hidden, const NodeFace& occluder) {
  Record(hidden.origin, hidden.source, hidden.polygonIndex, occluder.origin);
}

void RecordOcclusion(const NodeFace& hidden, const BspPolygon& occluder) {
  Record(hidden.origin, hidden.source, hidden.polygonIndex, occluder.origin);
}
