// The visibility passes over a frame's polygons, as the renderer driver runs
// them after capture and clipping:
//  - pass 1 inserts every clipped polygon, larger projected areas first,
//    into one scene-wide beam tree and so records who hides whom (each
//    captured polygon's occluder list and its object's marks);
//  - pass 2 computes, for every captured polygon, the pieces that none of
//    its occluders covers, and appends them to its object's fragments;
//  - without hidden-surface removal (style 10034) every clipped polygon is
//    handed back to its object as it is.
#pragma once

#include <cstdint>

#include "capture/bsp_poly_obj.h"
#include "core/job.h"
#include "core/stack.h"
#include "polygons/bsp_view.h"
#include "visibility/beam_tree.h"

// Text printed for a polygon that cannot be handed back to an object.
inline constexpr char kObjectLost[] = "Obj verloren";

// Clips the object's captured polygons, last first, to the whole frustum
// and appends what remains to `clipped`, each piece's origin pointing at its
// captured polygon; a polygon wholly inside appends a record without edges
// (see OutlineOf). Stops on memory failure.
void ClipToFrustum(const BspView& view, const BSPPolyObj& object, Stack<BspPolygon>& clipped);

// The order in which pass 1 inserts the polygons (see poly_sort.h): by size
// class in a scattered order, or strictly largest first, which is slower on
// big meshes and which the tests keep as the reference.
enum class OcclusionOrder : int32_t {
  kSizeClassScattered,
  kLargestFirst,
};

// Pass 1 over the clipped list, which it releases. False when cancelled or
// on memory failure.
bool RunOcclusionPass(const BspView& view, BeamTree& sceneTree, Stack<BspPolygon>& clipped,
                      ExportJob& job, OcclusionOrder order = OcclusionOrder::kSizeClassScattered);

// Pass 2 over the objects; destroys the scene tree first and releases every
// captured polygon's occluder list. Runs on the host's threads
// (ParallelFor); the fragments come out the same, in the same order, for
// any number of them. False when cancelled or on memory failure; the
// objects' fragments are then incomplete.
bool RunVisibilityPass(const BspView& view, BeamTree& sceneTree, Stack<BSPPolyObj*>& objects,
                       ExportJob& job);

// Appends every clipped polygon, clipped again, to its object's fragments
// and releases the list. False when cancelled or on memory failure.
bool HandBackWithoutHiddenSurfaceRemoval(const BspView& view, Stack<BspPolygon>& clipped,
                                         ExportJob& job);
