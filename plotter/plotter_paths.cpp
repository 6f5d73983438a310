// Drawing -> pen graph -> chains -> simplified, filtered, ordered paths.
#include "plotter/plotter_paths.h"

#include <cmath>
#include <utility>

#include "plotter/plotter_chains.h"
#include "plotter/plotter_graph.h"
#include "plotter/plotter_order.h"

namespace {

double Distance(const Vector3d& p, const Vector3d& q) {
  return std::hypot(p.x - q.x, p.y - q.y);
}

// How far p lies from the line through a and b (from a when they meet).
double DistanceFromLine(const Vector3d& p, const Vector3d& a, const Vector3d& b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length = std::hypot(dx, dy);
  if (length < 1e-12) return Distance(p, a);
  return std::fabs((p.x - a.x) * dy - (p.y - a.y) * dx) / length;
}

// The points of one chain that simplification keeps, Douglas-Peucker style
// between each two neighbouring fixed points (ends and junctions).
void Simplify(const PlotterGraph& graph, const int32_t* ids, int32_t count, double tolerance,
              Stack<int32_t>& kept) {
  Stack<uint8_t> keep;
  if (keep.SetCount(count) != 0) return;
  for (int32_t i = 0; i < count; ++i)
    keep[i] = i == 0 || i == count - 1 || graph.degree[ids[i]] != 2 || tolerance <= 0.0;
  Stack<int32_t> ranges;
  int32_t from = 0;
  for (int32_t i = 1; i < count; ++i) {
    if (keep[i] == 0) continue;
    ranges.Push(from);
    ranges.Push(i);
    from = i;
  }
  while (!ranges.Empty() && MemoryErrorFlag::Test() == 0) {
    const int32_t hi = ranges.Pop(), lo = ranges.Pop();
    const Vector3d& a = graph.vertices[ids[lo]];
    const Vector3d& b = graph.vertices[ids[hi]];
    int32_t farthest = -1;
    double far = tolerance;
    for (int32_t i = lo + 1; i < hi; ++i) {
      const double d = DistanceFromLine(graph.vertices[ids[i]], a, b);
      if (d >= far) {
        far = d;
        farthest = i;
      }
    }
    if (farthest < 0) continue;
    keep[farthest] = 1;
    ranges.Push(lo);
    ranges.Push(farthest);
    ranges.Push(farthest);
    ranges.Push(hi);
  }
  for (int32_t i = 0; i < count; ++i)
    if (keep[i] != 0) kept.Push(ids[i]);
}

double PathLength(const PlotterGraph& graph, const Stack<int32_t>& ids, int32_t first) {
  double length = 0.0;
  for (int32_t i = first + 1; i < ids.Count(); ++i)
    length += Distance(graph.vertices[ids[i - 1]], graph.vertices[ids[i]]);
  return length;
}

// The kept chains of one pen, simplified, as strokes over `points`.
void KeptStrokes(const PlotterGraph& graph, const PlotterChains& chains, int32_t from, int32_t to,
                 const PlotterOptions& options, Stack<int32_t>& points, Stack<PlotterChain>& spans,
                 Stack<PlotterStroke>& strokes) {
  for (int32_t c = from; c < to && MemoryErrorFlag::Test() == 0; ++c) {
    const PlotterChain& chain = chains.chains[c];
    const int32_t first = points.Count();
    Simplify(graph, chains.vertices.Items() + chain.first, chain.count, options.simplify, points);
    if (PathLength(graph, points, first) < options.minLength || points.Count() - first < 2) {
      while (points.Count() > first) points.Pop();
      continue;
    }
    PlotterStroke stroke;
    stroke.start = graph.vertices[points[first]];
    stroke.end = graph.vertices[points[points.Count() - 1]];
    stroke.index = spans.Count();
    spans.Push(PlotterChain{chain.pen, first, points.Count() - first});
    strokes.Push(stroke);
  }
}

// One part for the pen with its strokes in their order.
void AddPenPart(const PlotterGraph& graph, const PlotterPen& pen, const Stack<int32_t>& points,
                const Stack<PlotterChain>& spans, const Stack<PlotterStroke>& strokes,
                Stack<DrawingPart>& parts) {
  if (strokes.Empty()) return;
  DrawingPart part;
  part.paint.kind = kDrawnEdgeKind;
  part.paint.colour = pen.colour;
  part.paint.lineColour = pen.colour;
  part.paint.lineWidth = pen.width;
  part.paths.Reserve(strokes.Count());
  for (int32_t s = 0; s < strokes.Count() && MemoryErrorFlag::Test() == 0; ++s) {
    const PlotterChain& span = spans[strokes[s].index];
    EpsPath path;
    path.points.Reserve(span.count);
    for (int32_t k = 0; k < span.count; ++k) {
      const int32_t i = strokes[s].reversed ? span.first + span.count - 1 - k : span.first + k;
      path.points.Push(graph.vertices[points[i]]);
    }
    part.paths.Push(EpsPath{});
    if (MemoryErrorFlag::Test() == 0) part.paths[part.paths.Count() - 1] = std::move(path);
  }
  parts.Push(DrawingPart{});
  if (MemoryErrorFlag::Test() == 0) parts[parts.Count() - 1] = std::move(part);
}

}  // namespace

bool MakePlotterPaths(Drawing& drawing, const PlotterOptions& options, ExportJob* job) {
  PlotterGraph graph;
  if (!BuildPlotterGraph(drawing, kPlotterMatchTolerance, graph) || ExportCancelled(job))
    return false;
  PlotterChains chains;
  if (!ChainPlotterEdges(graph, chains) || ExportCancelled(job)) return false;

  Stack<DrawingPart> parts;
  const Vector3d home{0.0, 0.0, 0.0};
  for (int32_t from = 0; from < chains.chains.Count();) {
    const int32_t pen = chains.chains[from].pen;
    int32_t to = from;
    while (to < chains.chains.Count() && chains.chains[to].pen == pen) ++to;
    Stack<int32_t> points;
    Stack<PlotterChain> spans;
    Stack<PlotterStroke> strokes;
    KeptStrokes(graph, chains, from, to, options, points, spans, strokes);
    if (MemoryErrorFlag::Test() != 0 || !OrderByNearestEnd(strokes, home)) return false;
    AddPenPart(graph, graph.pens[pen], points, spans, strokes, parts);
    if (MemoryErrorFlag::Test() != 0 || ExportCancelled(job)) return false;
    from = to;
  }
  drawing.parts = std::move(parts);
  return true;
}
