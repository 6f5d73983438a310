// The beam tree: a partition of space into the view beams of the polygons
// inserted so far. Each node holds a polygon; each of its edges bounds the
// node's beam with the edge plane through the eye, and each beam plane owns
// the subtree of what lies outside it. The node's front child holds what lies
// inside the beam in front of the polygon; what lies inside the beam behind
// it is hidden.
//
// Pass 1 inserts every polygon of the scene with plain insertion, which only
// records who hides whom. Pass 2 builds one small tree per polygon from its
// occluders and inserts the polygon with output insertion: the pieces that
// reach an empty place of the tree are its visible fragments.
#pragma once

#include <cstdint>

#include "core/arena.h"
#include "core/job.h"
#include "core/stack.h"
#include "polygons/bsp_polygon.h"
#include "polygons/bsp_view.h"

struct BeamNode;

// A whole tree. Plain value. Every node lives in the tree's arena, which
// the first node creates and DestroyBeamTree frees; below the root a subtree
// is just its root node (null while empty), so the links inside the tree
// cost a pointer each.
struct BeamTree {
  BeamNode* root = nullptr;
  Arena* arena = nullptr;
};

struct EdgeBeam {
  Plane plane;                  // the edge plane of the node polygon's edge
  BeamNode* subtree = nullptr;  // what lies in front of (outside) that plane
};

// The beams of a node, one per edge of its polygon, in the tree's arena.
struct BeamList {
  EdgeBeam* items = nullptr;
  int32_t count = 0;

  int32_t Count() const { return count; }
  EdgeBeam& operator[](int32_t i) { return items[i]; }
  const EdgeBeam& operator[](int32_t i) const { return items[i]; }
};

// What a node keeps of the polygon that created it: its plane for the node
// test and who it is for the occlusion records and the coplanar tie. The
// node's beams keep the edge planes.
struct NodeFace {
  Plane plane;
  BspPolygon* origin = nullptr;  // the captured polygon it descends from
  BSPPolyObj* source = nullptr;
  int32_t polygonIndex = -1;
};

// A node of the tree, in the tree's arena (so never destroyed one by one).
struct BeamNode {
  BeamList beams;                  // one per edge, in edge order
  BeamNode* frontChild = nullptr;  // inside the beam, in front of the polygon
  NodeFace face;
};

// Kinds of deferred insertions.
enum DeferredKind : int32_t {
  kDeferredPlain = 0,
  kDeferredOutput = 3,
};

// An insertion postponed where the recursion depth ran out; the caller
// resumes it at `node` with depth 0. New nodes go into `arena`, the tree's.
struct DeferredInsert {
  BeamNode* node = nullptr;
  Arena* arena = nullptr;
  BspPolygon polygon;
  int32_t kind = kDeferredPlain;
};

// Insertions deeper than this are deferred to the caller's stack.
inline constexpr int32_t kMaxInsertDepth = 101;

// Frees every node of the tree whose root handle this is, and empties it.
void DestroyBeamTree(BeamTree& tree);

// Plain insertion (pass 1): records occlusion between `polygon` and the
// polygons in the tree, and adds the visible pieces as new nodes. The
// polygon's edges may be marked on beam planes. Without a deferred stack the
// recursion is not bounded. With a job, the walk keeps its progress display
// and stop poll fresh.
void InsertPolygon(BeamTree& tree, BspPolygon& polygon, const BspView& view,
                   Stack<DeferredInsert>* deferred, int32_t depth, ExportJob* job = nullptr);

// Output insertion (pass 2): pieces that reach an empty place are appended
// to `output` (when given) and become nodes; coplanar overlaps survive only
// for the polygon with the smaller (object list index, polygon index).
void InsertPolygonWithOutput(BeamTree& tree, BspPolygon& polygon, const BspView& view,
                             Stack<DeferredInsert>* deferred, int32_t depth,
                             Stack<BspPolygon>* output, ExportJob* job = nullptr);

// Resumes a deferred insertion at its node with depth 0; `output` is used
// for kind-3 items.
void ResumeDeferredInsert(DeferredInsert& item, const BspView& view,
                          Stack<DeferredInsert>* deferred, Stack<BspPolygon>* output,
                          ExportJob* job = nullptr);

// Hidden `hidden` by `occluder`, both taken through their origins: marks the
// hidden polygon in its object and adds the occluder's origin to the hidden
// origin's occluder list once.
void RecordOcclusion(const BspPolygon& hidden, const BspPolygon& occluder);
void RecordOcclusion(const BspPolygon& hidden, const NodeFace& occluder);
void RecordOcclusion(const NodeFace& hidden, const BspPolygon& occluder);
