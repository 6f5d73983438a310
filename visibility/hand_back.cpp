// Style 10034: every clipped polygon goes back to its object unfiltered.
#include "visibility/passes.h"

namespace {

constexpr int32_t kCancelPollInterval = 1000;

}  // namespace

bool HandBackWithoutHiddenSurfaceRemoval(const BspView& view, Stack<BspPolygon>& clipped,
                                         ExportJob& job, ProgressBand band) {
  const int32_t count = clipped.Count();
  bool cancelled = false;
  for (int32_t i = 0; i < count && MemoryErrorFlag::Test() == 0; ++i) {
    ReportProgress(job, i, count, band);
    if (i % kCancelPollInterval == 0 && ExportCancelled(job)) {
      cancelled = true;
      break;
    }
    BspPolygon result;
    if (!TakeEdgesOfOrigin(clipped[i])) break;
    if (Clip(view, clipped[i], result, kCameraPlane) == 0) continue;
    if (result.source == nullptr) {
      ConsolePrint(kObjectLost);
      continue;
    }
    AppendTaking(result.source->fragments, result);
  }
  clipped.Clear();
  return !cancelled && MemoryErrorFlag::Test() == 0;
}
