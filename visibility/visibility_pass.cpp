// Pass 2: the visible fragments of every captured polygon, from a small beam
// tree of its occluders.
#include "visibility/passes.h"
#include "visibility/poly_sort.h"

namespace {

constexpr int32_t kPolygonPollInterval = 100;
constexpr int32_t kProgressFrom = 25;
constexpr int32_t kProgressTo = 50;

// Resumes the output insertions that ran out of depth, until none is left.
void DrainOutputInsertions(const BspView& view, Stack<DeferredInsert>& deferred,
                           Stack<BspPolygon>* output, ExportJob& job) {
  while (!deferred.Empty() && MemoryErrorFlag::Test() == 0) {
    DeferredInsert item = deferred.Pop();
    if (item.node != nullptr && item.kind == kDeferredOutput) {
      ResumeDeferredInsert(item, view, &deferred, output, &job);
    }
  }
}

// Builds a tree of the occluders, largest projected area first, then inserts
// the clipped polygon; what reaches an empty place is visible.
void AppendVisibleFragments(const BspView& view, const BspPolygon& captured, BspPolygon& clipped,
                            Stack<BspPolygon>& fragments, ExportJob& job) {
  BeamTree local;
  Stack<DeferredInsert> deferred;
  if (!captured.occluders.Empty()) {
    Stack<SortEntry> entries;
    entries.Reserve(captured.occluders.Count());
    for (int32_t i = 0; i < captured.occluders.Count(); ++i) {
      entries.Push(MakeSortEntry(view, captured.occluders[i]));
    }
    BSPPolySort::Sort(entries.Items(), entries.Count());
    for (int32_t i = 0; i < entries.Count() && MemoryErrorFlag::Test() == 0; ++i) {
      BspPolygon occluder = *entries[i].polygon;  // insertion may mark its edges
      InsertPolygonWithOutput(local, occluder, view, &deferred, 0, nullptr, &job);
      DrainOutputInsertions(view, deferred, nullptr, job);
    }
  }
  if (MemoryErrorFlag::Test() == 0) {
    InsertPolygonWithOutput(local, clipped, view, &deferred, 0, &fragments, &job);
    DrainOutputInsertions(view, deferred, &fragments, job);
  }
  DestroyBeamTree(local);
}

// Pass 2 for one object. False when cancelled.
bool AppendObjectFragments(const BspView& view, BSPPolyObj& object, ExportJob& job) {
  object.fragments.Reserve(object.fragments.Count() + object.polygons.Count());
  for (int32_t g = 0; g < object.polygons.Count(); ++g) {
    if (MemoryErrorFlag::Test() != 0) return true;
    if (g % kPolygonPollInterval == 0) {
      ReportProgressAgain(job);
      if (ExportCancelled(job)) return false;
    }
    BspPolygon& captured = *object.polygons[g];
    BspPolygon clipped;
    if (Clip(view, captured, clipped, kFirstSidePlane) == 1) {
      // An unmarked polygon hides nothing and nothing hides it.
      if (object.selection.Exists() && !object.selection.IsSelected(captured.polygonIndex)) {
        AppendTaking(object.fragments, clipped);
      } else {
        AppendVisibleFragments(view, captured, clipped, object.fragments, job);
      }
    }
    captured.occluders.Clear();
  }
  return true;
}

}  // namespace

bool RunVisibilityPass(const BspView& view, BeamTree& sceneTree, Stack<BSPPolyObj*>& objects,
                       ExportJob& job) {
  DestroyBeamTree(sceneTree);
  const int32_t count = objects.Count();
  for (int32_t i = 0; i < count; ++i) {
    ReportProgress(job, i, count, kProgressFrom, kProgressTo);
    if (ExportCancelled(job)) return false;
    if (!AppendObjectFragments(view, *objects[i], job)) return false;
    if (MemoryErrorFlag::Test() != 0) return false;
  }
  return true;
}
