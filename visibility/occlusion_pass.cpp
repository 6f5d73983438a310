// Pass 1: the scene-wide beam tree that records occlusion.
#include "visibility/passes.h"
#include "visibility/poly_sort.h"

namespace {

constexpr int32_t kCancelPollInterval = 1000;

// Resumes the plain insertions that ran out of depth, until none is left.
void DrainPlainInsertions(const BspView& view, Stack<DeferredInsert>& deferred, ExportJob& job) {
  while (!deferred.Empty() && MemoryErrorFlag::Test() == 0) {
    DeferredInsert item = deferred.Pop();
    if (item.node != nullptr && item.kind == kDeferredPlain) {
      ResumeDeferredInsert(item, view, &deferred, nullptr, &job);
    }
  }
}

}  // namespace

bool RunOcclusionPass(const BspView& view, BeamTree& sceneTree, Stack<BspPolygon>& clipped,
                      ExportJob& job, ProgressBand band, OcclusionOrder order) {
  const int32_t count = clipped.Count();
  Stack<SortEntry> entries;
  entries.Reserve(count);
  for (int32_t i = 0; i < count && MemoryErrorFlag::Test() == 0; ++i) {
    SortEntry entry = MakeSortEntry(view, &clipped[i]);
    SetSizeClass(entry, static_cast<uint64_t>(i));
    entries.Push(entry);
  }
  if (order == OcclusionOrder::kLargestFirst) {
    BSPPolySort::Sort(entries.Items(), entries.Count());
  } else {
    BSPPolySort::SortBySizeClass(entries.Items(), entries.Count());
  }

  bool cancelled = false;
  Stack<DeferredInsert> deferred;
  for (int32_t k = 0; k < entries.Count() && MemoryErrorFlag::Test() == 0; ++k) {
    ReportProgress(job, k, count, band);
    if (k % kCancelPollInterval == 0 && ExportCancelled(job)) {
      cancelled = true;
      break;
    }
    // The clipped list is released after this pass, so its polygons serve as
    // the copies that the insertion may mark.
    BspPolygon& polygon = *entries[k].polygon;
    if (!TakeEdgesOfOrigin(polygon)) break;
    if (!FacesViewer(polygon, view.eye)) Flip(polygon);
    InsertPolygon(sceneTree, polygon, view, &deferred, 0, &job);
    DrainPlainInsertions(view, deferred, job);
    // The tree keeps its own record of each piece and the occluder lists
    // name captured polygons, so the copy's edges are done with.
    polygon.edges.Clear();
  }
  deferred.Clear();
  entries.Clear();
  clipped.Clear();
  return !cancelled && MemoryErrorFlag::Test() == 0;
}
