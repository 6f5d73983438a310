// Pass 2: the visible fragments of every captured polygon, from a small beam
// tree of its occluders.
//
// Each polygon's fragments depend only on the polygon and its occluders, so
// the pass runs on the host's threads: the captured polygons, in object
// order, are cut into consecutive ranges; each range collects its fragments
// in its own list, and the lists are handed to the objects in range order
// afterwards. The fragments, and so the drawing, are the same whatever the
// number of threads. A range reads its occluders, which may belong to other
// ranges, but only through the fields that a copy takes (never their
// occluder lists, which the range of their own polygon releases).
#include "sdk/parallel.h"
#include "visibility/passes.h"
#include "visibility/poly_sort.h"

namespace {

constexpr int32_t kPolygonPollInterval = 100;
// Ranges per thread: enough that a thread which draws slow polygons does
// not hold up the others at the end.
constexpr int32_t kRangesPerThread = 16;

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

// Consecutive captured polygons in object order, and what pass 2 made of
// them. The range works for its own copy of the job: its own memory flag
// and progress state, the same stop requests.
struct PolygonRange {
  int32_t firstObject = 0;   // the object of the range's first polygon
  int32_t firstPolygon = 0;  // that polygon's index in it
  int32_t firstOfAll = 0;    // its position among all captured polygons
  int32_t count = 0;
  Stack<BspPolygon> fragments;  // in polygon order
  // fragments.Count() where each object the range reaches ends, from
  // firstObject on.
  Stack<int32_t> objectEnds;
  ExportJob job;
  bool cancelled = false;
};

// The fragments of one captured polygon, appended to `fragments`; then its
// occluder list is released.
void AppendPolygonFragments(const BspView& view, BSPPolyObj& object, BspPolygon& captured,
                            Stack<BspPolygon>& fragments, ExportJob& job) {
  BspPolygon clipped;
  if (Clip(view, captured, clipped, kFirstSidePlane) == 1) {
    // An unmarked polygon hides nothing and nothing hides it.
    if (object.selection.Exists() && !object.selection.IsSelected(captured.polygonIndex)) {
      AppendTaking(fragments, clipped);
    } else {
      AppendVisibleFragments(view, captured, clipped, fragments, job);
    }
  }
  captured.occluders.Clear();
}

// Pass 2 over one range, on whichever thread runs it. False when cancelled
// or on memory failure.
bool RunRange(const BspView& view, Stack<BSPPolyObj*>& objects, int32_t allPolygons,
              ProgressBand band, PolygonRange& range) {
  JobBinding binding(range.job);
  range.fragments.Reserve(range.count);
  int32_t o = range.firstObject;
  int32_t g = range.firstPolygon;
  for (int32_t k = 0; k < range.count && MemoryErrorFlag::Test() == 0; ++k, ++g) {
    while (g >= objects[o]->polygons.Count()) {
      range.objectEnds.Push(range.fragments.Count());
      ++o;
      g = 0;
    }
    if (k % kPolygonPollInterval == 0) {
      ReportProgress(range.job, range.firstOfAll + k, allPolygons, band);
      if (ExportCancelled(range.job)) {
        range.cancelled = true;
        return false;
      }
    }
    AppendPolygonFragments(view, *objects[o], *objects[o]->polygons[g], range.fragments, range.job);
  }
  range.objectEnds.Push(range.fragments.Count());
  return MemoryErrorFlag::Test() == 0;
}

// Cuts the captured polygons of all objects into `count` ranges of nearly
// equal size, each with a fresh copy of the job. False on memory failure.
bool MakeRanges(const Stack<BSPPolyObj*>& objects, int32_t allPolygons, int32_t count,
                const ExportJob& job, Stack<PolygonRange>& ranges) {
  if (ranges.SetCount(count) != 0) return false;
  int32_t o = 0;
  int32_t before = 0;  // polygons of the objects before object o
  for (int32_t r = 0; r < count; ++r) {
    PolygonRange& range = ranges[r];
    range.firstOfAll = static_cast<int32_t>(static_cast<int64_t>(allPolygons) * r / count);
    const int32_t end = static_cast<int32_t>(static_cast<int64_t>(allPolygons) * (r + 1) / count);
    range.count = end - range.firstOfAll;
    while (range.firstOfAll - before >= objects[o]->polygons.Count()) {
      before += objects[o]->polygons.Count();
      ++o;
    }
    range.firstObject = o;
    range.firstPolygon = range.firstOfAll - before;
    range.job = job;
    range.job.memoryFailed = false;
  }
  return true;
}

// How many fragments ranges r, r + 1, ... hold for object o, which range r
// reaches.
int32_t FragmentsFor(const Stack<PolygonRange>& ranges, int32_t r, int32_t o) {
  int32_t total = 0;
  for (; r < ranges.Count(); ++r) {
    const PolygonRange& range = ranges[r];
    const int32_t s = o - range.firstObject;
    if (s < 0 || s >= range.objectEnds.Count()) break;
    total += range.objectEnds[s] - (s == 0 ? 0 : range.objectEnds[s - 1]);
  }
  return total;
}

// Hands the ranges' fragments to their objects, range by range; each
// object's list grows once. False on memory failure.
bool CollectFragments(Stack<PolygonRange>& ranges, Stack<BSPPolyObj*>& objects) {
  for (int32_t r = 0; r < ranges.Count(); ++r) {
    PolygonRange& range = ranges[r];
    for (int32_t s = 0; s < range.objectEnds.Count(); ++s) {
      const int32_t start = s == 0 ? 0 : range.objectEnds[s - 1];
      const int32_t end = range.objectEnds[s];
      Stack<BspPolygon>& fragments = objects[range.firstObject + s]->fragments;
      if (fragments.Count() + (end - start) > fragments.Capacity()) {
        const int32_t total = FragmentsFor(ranges, r, range.firstObject + s);
        if (fragments.Empty() && total == range.fragments.Count()) {
          fragments = std::move(range.fragments);  // all of them and nothing else: no copy
          break;
        }
        fragments.Reserve(fragments.Count() + total);
      }
      for (int32_t i = start; i < end && MemoryErrorFlag::Test() == 0; ++i) {
        AppendTaking(fragments, range.fragments[i]);
      }
      if (MemoryErrorFlag::Test() != 0) return false;
    }
    range.fragments.Clear();
  }
  return true;
}

}  // namespace

bool RunVisibilityPass(const BspView& view, BeamTree& sceneTree, Stack<BSPPolyObj*>& objects,
                       ExportJob& job, ProgressBand band) {
  // Freed before the work starts, so that the fragments reuse its memory
  // (freeing it alongside costs more than it saves).
  DestroyBeamTree(sceneTree);
  int32_t allPolygons = 0;
  for (int32_t i = 0; i < objects.Count(); ++i) allPolygons += objects[i]->polygons.Count();
  ReportProgress(job, 0, allPolygons, band);
  if (ExportCancelled(job)) return false;
  if (allPolygons == 0) return true;

  const int32_t threads = ParallelThreadCount();
  int32_t rangeCount = 1;
  if (threads > 1) {
    const int64_t wanted = static_cast<int64_t>(threads) * kRangesPerThread;
    rangeCount = wanted < allPolygons ? static_cast<int32_t>(wanted) : allPolygons;
  }
  Stack<PolygonRange> ranges;
  if (!MakeRanges(objects, allPolygons, rangeCount, job, ranges)) return false;

  auto runRange = [&](int32_t r) { return RunRange(view, objects, allPolygons, band, ranges[r]); };
  ParallelFor(ranges.Count(), runRange);

  bool cancelled = false;
  for (int32_t r = 0; r < ranges.Count(); ++r) {
    // A failure on another thread marks the job of this one.
    if (ranges[r].job.memoryFailed) MemoryErrorFlag::Set();
    cancelled = cancelled || ranges[r].cancelled;
  }
  if (cancelled || MemoryErrorFlag::Test() != 0) return false;
  if (!CollectFragments(ranges, objects)) return false;
  ReportProgress(job, allPolygons - 1, allPolygons, band);
  return true;
}
