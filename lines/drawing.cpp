// The drawing of each style, from the projected line groups.
#include "lines/drawing.h"

#include <utility>

#include "core/export_settings.h"
#include "host/api/vexmark_ids.h"
#include "lines/keyed_pool_set.h"
#include "lines/line_chainer.h"
#include "lines/region_chainer.h"
#include "lines/segment_pool.h"

namespace {

// Chaining tolerances in page units.
constexpr double kOutlineTolerance = 0.0001;
constexpr double kLineTolerance = 0.05;
constexpr double kRegionTolerance = 0.5;
// Segment pools of the styles.
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

// One pass of a style over the polygons of the selected elements, with its
// progress band.
class StylePass {
 public:
  StylePass(const Stack<LineGroup>& elements, ElementFilter filter, ProgressBand band,
            ExportJob* job)
      : filter_(filter), band_(band), job_(job) {
    for (int32_t e = 0; e < elements.Count(); ++e) {
      if (filter(elements[e].kind)) total_ += elements[e].polygons.Count();
    }
  }

  bool Selects(const LineGroup& element) const { return filter_(element.kind); }

  // Reports the next polygon; false when the user aborted.
  bool NextPolygon() {
    if (job_ == nullptr) return true;
    ReportProgress(*job_, done_++, total_, band_);
    return !ExportCancelled(*job_);
  }

 private:
  ElementFilter filter_;
  ProgressBand band_;
  ExportJob* job_;
  int32_t total_ = 0;
  int32_t done_ = 0;
};

// Runs `step` on every polygon of the elements the pass selects; false when
// the drawing has to end (memory failure or abort).
template <class Step>
bool RunPass(Stack<LineGroup>& elements, StylePass pass, Step step) {
  for (int32_t e = 0; e < elements.Count(); ++e) {
    LineGroup& element = elements[e];
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

// Where the compound paths of one style go.
class DrawingBuilder {
 public:
  DrawingBuilder(Drawing& drawing, ExportJob* job, ProgressBand band)
      : drawing_(drawing), job_(job), band_(band) {}

  // Chains a working copy of `segments` into one compound path in the
  // element's paint.
  // `object` names the object the lines are of; null: several, or none.
  void AddLines(const LineGroup& element, Stack<EdgeSegment> segments, double tolerance,
                const char* object = nullptr) {
    Stack<EpsPath> paths;
    ChainSegments(segments, paths, tolerance, job_);
    Add(PaintOf(element), paths, object);
  }

  // The same for a filled region's directed outline. What the region
  // chainer leaves out bounds no area; a stroked region still draws it, as
  // lines of its own right after the region.
  void AddRegion(const LineGroup& element, Stack<EdgeSegment> segments, double tolerance,
                 const char* object) {
    Stack<EpsPath> paths;
    Stack<EdgeSegment> leftOut;
    ChainRegion(segments, paths, tolerance, job_, &leftOut);
    Add(PaintOf(element), paths, object);
    PathPaint lines = PaintOf(element);
    lines.kind &= ~kFillKind;
    if ((lines.kind & kLineKinds) == 0 || leftOut.Empty()) return;
    Stack<EpsPath> linePaths;
    ChainSegments(leftOut, linePaths, kLineTolerance, job_);
    Add(lines, linePaths, object);
  }

  ExportJob* Job() const { return job_; }
  // The part of the drawing's progress band from `fromShare` to `toShare`
  // percent of it: how a style shares the band among its passes.
  ProgressBand Band(int32_t fromShare, int32_t toShare) const {
    return SubBand(band_, fromShare, toShare);
  }

 private:
  void Add(const PathPaint& paint, Stack<EpsPath>& paths, const char* object) {
    drawing_.parts.Push(DrawingPart{});
    if (MemoryErrorFlag::Test() != 0) return;
    DrawingPart& part = drawing_.parts[drawing_.parts.Count() - 1];
    part.paint = paint;
    part.paths = std::move(paths);
    if (object != nullptr) part.object = object;
  }

  Drawing& drawing_;
  ExportJob* job_;
  ProgressBand band_;
};

bool DrawOutlines(Stack<LineGroup>& elements, DrawingBuilder& out) {
  return RunPass(elements, StylePass(elements, IsDrawnEdge, out.Band(0, 100), out.Job()),
                 [&](const LineGroup& element, const EpsPolygon& polygon) {
                   out.AddLines(element, polygon.segments, kOutlineTolerance, polygon.objectName);
                 });
}

bool DrawEdgeLines(Stack<LineGroup>& elements, DrawingBuilder& out) {
  KeyedPoolSet written;
  SegmentPoolPlain pool;
  pool.cancel = 0;
  pool.tolerance = kMergeTolerance;
  pool.job = out.Job();

  const bool goOn = RunPass(elements, StylePass(elements, IsInnerEdge, out.Band(0, 48), out.Job()),
                            [&](const LineGroup& element, EpsPolygon& polygon) {
                              ResolveInPlace(pool, polygon);
                              rememberSegments(written, polygon.object, polygon.segments);
                              out.AddLines(element, polygon.segments, kLineTolerance,
                                           polygon.objectName);
                            });
  if (!goOn) return false;

  return RunPass(elements, StylePass(elements, IsCrease, out.Band(48, 100), out.Job()),
                 [&](const LineGroup& element, const EpsPolygon& polygon) {
                   Stack<EdgeSegment> creases = Flattened(polygon.segments);
                   forgetRemembered(written, polygon.object, creases);
                   out.AddLines(element, creases, kLineTolerance, polygon.objectName);
                 });
}

bool DrawFilledRegions(Stack<LineGroup>& elements, DrawingBuilder& out) {
  KeyedPoolSet written;
  SegmentPoolPlain pool;
  pool.cancel = 1;
  pool.tolerance = kCancelTolerance;
  pool.job = out.Job();

  // Regions: their outlines, with the edges shared inside a region
  // cancelled. An outline is directed: only stretches that it runs both ways
  // cancel, never two that run the same way, which would leave a third
  // running the other way as a stray edge against the outline's turn.
  SegmentPoolPlain regions = pool;
  regions.oppositeOnly = true;
  bool goOn = RunPass(elements, StylePass(elements, IsFilled, out.Band(0, 32), out.Job()),
                      [&](const LineGroup& element, EpsPolygon& polygon) {
                        ResolveInPlace(regions, polygon);
                        rememberSegments(written, polygon.object, polygon.segments);
                        out.AddRegion(element, polygon.segments, kRegionTolerance,
                                      polygon.objectName);
                      });
  // Region edges and creases lose what a region outline already draws. The
  // region edges are merged, not cancelled, as in the lines style: where a
  // region's outline runs along itself in both directions (an outline in
  // front of a surface of its own colour) the region lost the line, and the
  // region edges draw it.
  SegmentPoolPlain merge;
  merge.cancel = 0;
  merge.tolerance = kMergeTolerance;
  merge.job = out.Job();
  goOn = goOn && RunPass(elements, StylePass(elements, IsInnerEdge, out.Band(32, 48), out.Job()),
                         [&](const LineGroup&, EpsPolygon& polygon) {
                           ResolveInPlace(merge, polygon);
                           forgetRemembered(written, polygon.object, polygon.segments);
                           rememberSegments(written, polygon.object, polygon.segments);
                         });
  goOn = goOn && RunPass(elements, StylePass(elements, IsCrease, out.Band(48, 80), out.Job()),
                         [&](const LineGroup&, EpsPolygon& polygon) {
                           ResolveInPlace(pool, polygon);
                           forgetRemembered(written, polygon.object, polygon.segments);
                         });
  if (!goOn) return false;

  // What is left of them: one compound path per group.
  const int32_t count = elements.Count();
  for (int32_t e = 0; e < count; ++e) {
    if (out.Job() != nullptr) {
      ReportProgress(*out.Job(), e, count, out.Band(80, 100));
      if (ExportCancelled(*out.Job())) return false;
    }
    const LineGroup& element = elements[e];
    if (!IsInnerEdge(element.kind) && !IsCrease(element.kind)) continue;
    Stack<EdgeSegment> gathered;
    for (int32_t p = 0; p < element.polygons.Count(); ++p) {
      const Stack<EdgeSegment> flat = Flattened(element.polygons[p].segments);
      for (int32_t i = 0; i < flat.Count(); ++i) gathered.Push(flat[i]);
    }
    if (MemoryErrorFlag::Test() != 0) return false;
    out.AddLines(element, gathered, kLineTolerance);
  }
  return true;
}

}  // namespace

PathPaint PaintOf(const LineGroup& group) {
  PathPaint paint;
  paint.kind = group.kind;
  paint.colour = group.colour;
  paint.lineColour = group.lineColour;
  paint.lineWidth = group.lineWidth;
  return paint;
}

bool BuildDrawing(Stack<LineGroup>& elements, int32_t style, Drawing& drawing, ExportJob* job,
                  ProgressBand band) {
  DrawingBuilder out(drawing, job, band);
  bool complete = true;
  switch (style) {
    case kStyleAllEdges:
    case kStyleVisibleEdges:
      complete = DrawOutlines(elements, out);
      break;
    case kStyleEdgeLines:
      complete = DrawEdgeLines(elements, out);
      break;
    case kStyleFilled:
      complete = DrawFilledRegions(elements, out);
      break;
    default:
      break;
  }
  return complete && MemoryErrorFlag::Test() == 0 && !ExportCancelled(job);
}
