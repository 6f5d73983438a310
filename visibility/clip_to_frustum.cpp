// The clipped list: every captured polygon cut to the view frustum.
#include "visibility/passes.h"

// Clips straight into the next slot of the clipped list, last polygon first;
// a polygon wholly inside moves there with its edges, as the pass-1 list is
// released right after. The list grows
// geometrically, as this runs once per object.
void ClipToFrustum(const BspView& view, Stack<BspPolygon>& pass1, Stack<BspPolygon>& clipped) {
  clipped.ReserveGrowing(clipped.Count() + pass1.Count());
  for (int32_t i = pass1.Count() - 1; i >= 0 && MemoryErrorFlag::Test() == 0; --i) {
    const int32_t slot = clipped.Count();
    if (clipped.SetCount(slot + 1) != 0) break;
    if (ClipTaking(view, pass1[i], clipped[slot], kCameraPlane) == 0) clipped.Pop();
  }
  pass1.Clear();
}
