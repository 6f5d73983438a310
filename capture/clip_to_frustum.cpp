// The clipped list: every captured polygon cut to the view frustum.
#include "capture/capture_stage.h"

// Clips straight into the next slot of the clipped list, last polygon first.
// A polygon wholly inside leaves a record without edges, pointing at it. The
// list grows geometrically, as this runs once per object.
void ClipToFrustum(const BspView& view, const BSPPolyObj& object, Stack<BspPolygon>& clipped) {
  const Stack<BspPolygon*>& polygons = object.polygons;
  clipped.ReserveGrowing(clipped.Count() + polygons.Count());
  for (int32_t i = polygons.Count() - 1; i >= 0 && MemoryErrorFlag::Test() == 0; --i) {
    const int32_t slot = clipped.Count();
    if (clipped.SetCount(slot + 1) != 0) break;
    if (ClipLeavingWhole(view, *polygons[i], clipped[slot], kCameraPlane) == 0) {
      clipped.Pop();
      continue;
    }
    clipped[slot].origin = polygons[i];
  }
}
