// The three EPS bodies.
#include "eps/eps_bodies.h"

#include "eps/eps_paint.h"
#include "lines/line_chainer.h"
#include "lines/region_chainer.h"
#include "lines/keyed_pool_set.h"
#include "lines/segment_pool.h"
#include "core/progress.h"

namespace {

// Chaining tolerances in page units.
constexpr double kOutlineTolerance = 0.0001;
constexpr double kLineTolerance = 0.05;
constexpr double kRegionTolerance = 0.5;
// Segment pools of the bodies.
constexpr double kMergeTolerance = 0.001;
constexpr double kCancelTolerance = 0.00001;

using ElementFilter = bool (*)(uint32_t kind);

bool IsDrawnEdge(uint32_t kind) {
  return kind == kDrawnEdgeKind;
}
bool IsInnerEdge(uint32_t kind) {
  return kind == kInnerEdgeKind;
}
bool IsCrease(uint32_t kind) {
  return kind == kCreaseKind;
}
bool IsFilled(uint32_t kind) {
  return (kind & kFillKind) != 0;
}

// One pass of a body over the polygons of the selected elements, with its
// progress band.
class BodyPass {
 public:
  BodyPass(const EpsPage& page, ElementFilter filter, int32_t fromPercent, int32_t toPercent)
      : page_(page), filter_(filter), from_(fromPercent), to_(toPercent) {
    for (int32_t e = 0; e < page.elements.Count(); ++e) {
      if (filter(page.elements[e].kind)) total_ += page.elements[e].polygons.Count();
    }
  }

  bool Selects(const LineGroup& element) const { return filter_(element.kind); }

  // Reports the next polygon; false when the user aborted.
  bool NextPolygon() {
    ReportProgress(done_++, total_, from_, to_);
    return !PageAborted(page_);
  }

 private:
  const EpsPage& page_;
  ElementFilter filter_;
  int32_t from_;
  int32_t to_;
  int32_t total_ = 0;
  int32_t done_ = 0;
};

// Runs `step` on every polygon of the elements the pass selects; false when
// the body has to end (memory failure or abort).
template <class Step>
bool RunPass(EpsPage& page, BodyPass pass, Step step) {
  for (int32_t e = 0; e < page.elements.Count(); ++e) {
    LineGroup& element = page.elements[e];
    if (!pass.Selects(element)) continue;
    if (MemoryErrorFlag::Test() != 0) return false;
    for (int32_t p = 0; p < element.polygons.Count(); ++p) {
      if (!pass.NextPolygon()) return false;
      step(element, element.polygons[p]);
    }
  }
  return MemoryErrorFlag::Test() == 0;
}

// A copy of the segments in the page plane (z = 0).
Stack<EdgeSegment> Flattened(const Stack<EdgeSegment>& segments) {
  Stack<EdgeSegment> flat = segments;
  for (int32_t i = 0; i < flat.Count(); ++i) {
    flat[i].a.z = 0.0;
    flat[i].b.z = 0.0;
  }
  return flat;
}

// Replaces the polygon's segments by their flattened, resolved form.
void ResolveInPlace(SegmentPoolPlain& pool, EpsPolygon& polygon) {
  const Stack<EdgeSegment> flat = Flattened(polygon.segments);
  for (int32_t i = 0; i < flat.Count(); ++i) pool.segments.Push(ToSegmentPlain(flat[i]));
  if (MemoryErrorFlag::Test() == 0) resolve(pool);
  Stack<EdgeSegment> resolved;
  for (int32_t i = 0; i < pool.segments.Count(); ++i)
    resolved.Push(ToEdgeSegment(pool.segments[i]));
  pool.segments.Clear();
  if (MemoryErrorFlag::Test() == 0) polygon.segments = resolved;
}

using Chainer = void (*)(const EpsPage&, Stack<EdgeSegment>&, Stack<EpsPath>&, double);

// Chains a working copy of `segments` and writes the paths as one compound path.
void WriteChained(const EpsPage& page, HostFileWriter* file, const LineGroup& element,
                  Stack<EdgeSegment> segments, Chainer chain, double tolerance) {
  Stack<EpsPath> paths;
  chain(page, segments, paths, tolerance);
  WritePathGroup(page, file, paths, element);
}

}  // namespace

void WriteOutlineBody(EpsPage& page, HostFileWriter* file) {
  RunPass(page, BodyPass(page, IsDrawnEdge, 75, 100),
          [&](const LineGroup& element, const EpsPolygon& polygon) {
            WriteChained(page, file, element, polygon.segments, ChainSegments, kOutlineTolerance);
          });
}

void WriteEdgeLineBody(EpsPage& page, HostFileWriter* file) {
  KeyedPoolSet written;
  SegmentPoolPlain pool;
  pool.cancel = 0;
  pool.tolerance = kMergeTolerance;

  const bool goOn =
      RunPass(page, BodyPass(page, IsInnerEdge, 75, 87),
              [&](const LineGroup& element, EpsPolygon& polygon) {
                ResolveInPlace(pool, polygon);
                rememberSegments(written, polygon.object, polygon.segments);
                WriteChained(page, file, element, polygon.segments, ChainSegments, kLineTolerance);
              });
  if (!goOn) return;

  RunPass(page, BodyPass(page, IsCrease, 87, 100),
          [&](const LineGroup& element, const EpsPolygon& polygon) {
            Stack<EdgeSegment> creases = Flattened(polygon.segments);
            forgetRemembered(written, polygon.object, creases);
            WriteChained(page, file, element, creases, ChainSegments, kLineTolerance);
          });
}

void WriteFullBody(EpsPage& page, HostFileWriter* file) {
  KeyedPoolSet written;
  SegmentPoolPlain pool;
  pool.cancel = 1;
  pool.tolerance = kCancelTolerance;

  // Regions: their outlines, with the edges shared inside a region cancelled.
  bool goOn = RunPass(
      page, BodyPass(page, IsFilled, 75, 83), [&](const LineGroup& element, EpsPolygon& polygon) {
        ResolveInPlace(pool, polygon);
        rememberSegments(written, polygon.object, polygon.segments);
        WriteChained(page, file, element, polygon.segments, ChainRegion, kRegionTolerance);
      });
  // Region edges and creases lose what a region outline already draws.
  goOn = goOn && RunPass(page, BodyPass(page, IsInnerEdge, 83, 87),
                         [&](const LineGroup&, EpsPolygon& polygon) {
                           ResolveInPlace(pool, polygon);
                           forgetRemembered(written, polygon.object, polygon.segments);
                           rememberSegments(written, polygon.object, polygon.segments);
                         });
  goOn = goOn && RunPass(page, BodyPass(page, IsCrease, 87, 95),
                         [&](const LineGroup&, EpsPolygon& polygon) {
                           ResolveInPlace(pool, polygon);
                           forgetRemembered(written, polygon.object, polygon.segments);
                         });
  if (!goOn) return;

  // What is left of them: one compound path per group.
  const int32_t count = page.elements.Count();
  for (int32_t e = 0; e < count; ++e) {
    ReportProgress(e, count, 95, 100);
    if (PageAborted(page)) return;
    const LineGroup& element = page.elements[e];
    if (!IsInnerEdge(element.kind) && !IsCrease(element.kind)) continue;
    Stack<EdgeSegment> gathered;
    for (int32_t p = 0; p < element.polygons.Count(); ++p) {
      const Stack<EdgeSegment> flat = Flattened(element.polygons[p].segments);
      for (int32_t i = 0; i < flat.Count(); ++i) gathered.Push(flat[i]);
    }
    if (MemoryErrorFlag::Test() != 0) return;
    WriteChained(page, file, element, gathered, ChainSegments, kLineTolerance);
  }
}
