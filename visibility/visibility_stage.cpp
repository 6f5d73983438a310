// The visibility stage: both passes, or the hand-back.
#include "visibility/passes.h"

bool FindVisibleFragments(const BspView& view, Stack<BspPolygon>& clipped,
                          Stack<BSPPolyObj*>& objects, bool hiddenSurfaces, ExportJob& job,
                          ProgressBand band) {
  if (!hiddenSurfaces) {
    if (!HandBackWithoutHiddenSurfaceRemoval(view, clipped, job, band)) return false;
  } else {
    BeamTree tree;
    const bool occluded = RunOcclusionPass(view, tree, clipped, job, SubBand(band, 0, 50));
    const bool visible =
        occluded && RunVisibilityPass(view, tree, objects, job, SubBand(band, 50, 100));
    DestroyBeamTree(tree);
    if (!visible) return false;
  }
  return MemoryErrorFlag::Test() == 0;
}
