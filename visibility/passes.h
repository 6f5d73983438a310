// The visibility stage of a frame: the passes over its polygons, as the frame
// driver runs them after capture and clipping (capture/capture_stage.h):
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

// The order in which pass 1 inserts the polygons (see poly_sort.h): by size
// class in a scattered order, or strictly largest first, which is slower on
// big meshes and which the tests keep as the reference.
enum class OcclusionOrder : int32_t {
  kSizeClassScattered,
  kLargestFirst,
};

// Pass 1 over the clipped list, which it releases; its progress fills
// `band`. False when cancelled or on memory failure.
bool RunOcclusionPass(const BspView& view, BeamTree& sceneTree, Stack<BspPolygon>& clipped,
                      ExportJob& job, ProgressBand band,
                      OcclusionOrder order = OcclusionOrder::kSizeClassScattered);

// Pass 2 over the objects; destroys the scene tree first and releases every
// captured polygon's occluder list. Runs on the host's threads
// (ParallelFor); the fragments come out the same, in the same order, for
// any number of them. Its progress fills `band`. False when cancelled or on
// memory failure; the objects' fragments are then incomplete.
bool RunVisibilityPass(const BspView& view, BeamTree& sceneTree, Stack<BSPPolyObj*>& objects,
                       ExportJob& job, ProgressBand band);

// Appends every clipped polygon, clipped again, to its object's fragments
// and releases the list; its progress fills `band`. False when cancelled or
// on memory failure.
bool HandBackWithoutHiddenSurfaceRemoval(const BspView& view, Stack<BspPolygon>& clipped,
                                         ExportJob& job, ProgressBand band);

// The whole stage, one call for the frame driver: with `hiddenSurfaces`
// pass 1 (the first half of `band`) and pass 2 (the second half) on one
// beam tree; without them (style 10034) the hand-back. Uses up `clipped`.
// False when a stop request or a memory failure cut it short.
bool FindVisibleFragments(const BspView& view, Stack<BspPolygon>& clipped,
                          Stack<BSPPolyObj*>& objects, bool hiddenSurfaces, ExportJob& job,
                          ProgressBand band);
