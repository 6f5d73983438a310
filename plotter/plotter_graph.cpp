// Strokes to the pen graph: gather, weld ends, cut at vertices, keep once.
#include "plotter/plotter_graph.h"

#include <algorithm>
#include <cmath>

#include "lines/cell_hash.h"

namespace {

// A straight piece before its ends are matched.
struct RawPiece {
  Vector3d a;
  Vector3d b;
  int32_t pen = 0;
  int32_t order = 0;
};

// A vertex found on the inside of piece `piece`, at `t` along it.
struct Cut {
  int32_t piece = 0;
  double t = 0.0;
  int32_t vertex = 0;
};

bool Finite(const Vector3d& p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

int32_t PenOf(const PathPaint& paint, Stack<PlotterPen>& pens) {
  for (int32_t i = 0; i < pens.Count(); ++i) {
    if (pens[i].width == paint.lineWidth && pens[i].colour == paint.lineColour) return i;
  }
  PlotterPen pen;
  pen.colour = paint.lineColour;
  pen.width = paint.lineWidth;
  pens.Push(pen);
  return pens.Count() - 1;
}

void AddPiece(Stack<RawPiece>& pieces, const Vector3d& a, const Vector3d& b, int32_t pen,
              int32_t order) {
  if (!Finite(a) || !Finite(b)) return;
  RawPiece piece;
  piece.a = Vector3d{a.x, a.y, 0.0};
  piece.b = Vector3d{b.x, b.y, 0.0};
  piece.pen = pen;
  piece.order = order;
  pieces.Push(piece);
}

// Every straight piece of every part; a filled part's paths are closed.
void GatherPieces(const Drawing& drawing, Stack<RawPiece>& pieces, Stack<PlotterPen>& pens) {
  for (int32_t p = 0; p < drawing.parts.Count(); ++p) {
    const DrawingPart& part = drawing.parts[p];
    const bool fills = (part.paint.kind & kFillKind) != 0;
    if (!fills && (part.paint.kind & kLineKinds) == 0) continue;
    const int32_t pen = PenOf(part.paint, pens);
    for (int32_t i = 0; i < part.paths.Count(); ++i) {
      const Stack<Vector3d>& points = part.paths[i].points;
      const int32_t n = points.Count();
      for (int32_t k = 1; k < n; ++k) AddPiece(pieces, points[k - 1], points[k], pen, p);
      if (fills && n > 2) AddPiece(pieces, points[n - 1], points[0], pen, p);
      if (MemoryErrorFlag::Test() != 0) return;
    }
  }
}

double Distance(const Vector3d& p, const Vector3d& q) {
  return std::hypot(p.x - q.x, p.y - q.y);
}

// Matches points to vertices: a point within the tolerance of an earlier
// vertex becomes that vertex.
class VertexWelder {
 public:
  VertexWelder(Stack<Vector3d>& vertices, double tolerance, int32_t expected)
      : vertices_(vertices), tolerance_(tolerance), size_(2.0 * tolerance) {
    grid_.Reset(expected);
  }

  int32_t VertexAt(const Vector3d& p) {
    const CellKey home = CellOf(p.x, p.y, size_);
    int32_t best = -1;
    double bestDistance = tolerance_;
    for (int32_t dx = -1; dx <= 1; ++dx) {
      for (int32_t dy = -1; dy <= 1; ++dy) {
        const CellKey cell{home.x + dx, home.y + dy};
        for (int32_t e = grid_.First(cell); e >= 0; e = grid_.Next(e)) {
          const double d = Distance(vertices_[grid_.Item(e)], p);
          if (d <= bestDistance) {
            bestDistance = d;
            best = grid_.Item(e);
          }
        }
      }
    }
    if (best >= 0) return best;
    vertices_.Push(p);
    if (MemoryErrorFlag::Test() != 0) return 0;
    grid_.Insert(home, vertices_.Count() - 1);
    return vertices_.Count() - 1;
  }

 private:
  Stack<Vector3d>& vertices_;
  double tolerance_;
  double size_;
  CellHash grid_;
};

// Calls visit(cell) for every cell of `size` that comes within `margin` of
// the piece from a to b, row by row.
template <class Visit>
void ForCellsAlong(const Vector3d& a, const Vector3d& b, double margin, double size, Visit visit) {
  const double dy = b.y - a.y;
  const CellKey low = CellOf(std::min(a.x, b.x) - margin, std::min(a.y, b.y) - margin, size);
  const CellKey high = CellOf(std::max(a.x, b.x) + margin, std::max(a.y, b.y) + margin, size);
  for (int32_t row = low.y; row <= high.y; ++row) {
    double t0 = 0.0, t1 = 1.0;
    if (std::fabs(dy) > 1e-12) {
      t0 = (row * size - margin - a.y) / dy;
      t1 = ((row + 1) * size + margin - a.y) / dy;
      if (t0 > t1) std::swap(t0, t1);
      t0 = std::max(t0, 0.0);
      t1 = std::min(t1, 1.0);
      if (t0 > t1) continue;
    }
    const double x0 = a.x + (b.x - a.x) * t0, x1 = a.x + (b.x - a.x) * t1;
    const int32_t from = CellOf(std::min(x0, x1) - margin, 0.0, size).x;
    const int32_t to = CellOf(std::max(x0, x1) + margin, 0.0, size).x;
    for (int32_t column = std::max(from, low.x); column <= std::min(to, high.x); ++column)
      visit(CellKey{column, row});
  }
}

// The cell size for the piece grid: about the mean piece length, so that a
// piece covers a few cells, but never so small that a long piece crosses
// thousands.
double PieceCellSize(const Stack<Vector3d>& vertices, const Stack<PlotterEdge>& pieces,
                     double tolerance) {
  double total = 0.0;
  double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;
  for (int32_t i = 0; i < vertices.Count(); ++i) {
    const Vector3d& p = vertices[i];
    if (i == 0 || p.x < minX) minX = p.x;
    if (i == 0 || p.y < minY) minY = p.y;
    if (i == 0 || p.x > maxX) maxX = p.x;
    if (i == 0 || p.y > maxY) maxY = p.y;
  }
  for (int32_t i = 0; i < pieces.Count(); ++i)
    total += Distance(vertices[pieces[i].u], vertices[pieces[i].v]);
  const double mean = pieces.Empty() ? 1.0 : total / pieces.Count();
  const double extent = std::max(maxX - minX, maxY - minY);
  return std::max({mean, extent / 2048.0, 4.0 * tolerance});
}

// Every vertex that lies on the inside of a piece, not within the tolerance
// of its ends.
void FindCuts(const Stack<Vector3d>& vertices, const Stack<PlotterEdge>& pieces, double tolerance,
              Stack<Cut>& cuts) {
  const double size = PieceCellSize(vertices, pieces, tolerance);
  CellHash grid;
  grid.Reset(pieces.Count() * 3);
  for (int32_t i = 0; i < pieces.Count() && MemoryErrorFlag::Test() == 0; ++i) {
    ForCellsAlong(vertices[pieces[i].u], vertices[pieces[i].v], tolerance, size,
                  [&](CellKey cell) { grid.Insert(cell, i); });
  }
  if (MemoryErrorFlag::Test() != 0) return;
  for (int32_t w = 0; w < vertices.Count(); ++w) {
    const Vector3d& p = vertices[w];
    for (int32_t e = grid.First(CellOf(p.x, p.y, size)); e >= 0; e = grid.Next(e)) {
      const PlotterEdge& piece = pieces[grid.Item(e)];
      if (piece.u == w || piece.v == w) continue;
      const Vector3d& a = vertices[piece.u];
      const Vector3d& b = vertices[piece.v];
      const double dx = b.x - a.x, dy = b.y - a.y;
      const double length = std::hypot(dx, dy);
      if (length <= 2.0 * tolerance) continue;
      const double along = ((p.x - a.x) * dx + (p.y - a.y) * dy) / length;
      const double off = std::fabs((p.x - a.x) * dy - (p.y - a.y) * dx) / length;
      if (off > tolerance || along <= tolerance || along >= length - tolerance) continue;
      cuts.Push(Cut{grid.Item(e), along / length, w});
    }
    if (MemoryErrorFlag::Test() != 0) return;
  }
}

void AddEdge(Stack<PlotterEdge>& edges, int32_t a, int32_t b, const PlotterEdge& from) {
  if (a == b) return;
  PlotterEdge edge = from;
  edge.u = std::min(a, b);
  edge.v = std::max(a, b);
  edges.Push(edge);
}

// The pieces cut at their cuts.
void CutPieces(const Stack<PlotterEdge>& pieces, Stack<Cut>& cuts, Stack<PlotterEdge>& edges) {
  std::sort(cuts.Items(), cuts.Items() + cuts.Count(), [](const Cut& x, const Cut& y) {
    return x.piece != y.piece ? x.piece < y.piece : x.t < y.t;
  });
  int32_t next = 0;
  for (int32_t i = 0; i < pieces.Count(); ++i) {
    const PlotterEdge& piece = pieces[i];
    int32_t from = piece.u;
    for (; next < cuts.Count() && cuts[next].piece == i; ++next) {
      AddEdge(edges, from, cuts[next].vertex, piece);
      from = cuts[next].vertex;
    }
    AddEdge(edges, from, piece.v, piece);
    if (MemoryErrorFlag::Test() != 0) return;
  }
}

// Keeps one edge of each pair of ends: the one put down last.
void KeepOnce(Stack<PlotterEdge>& edges) {
  std::sort(edges.Items(), edges.Items() + edges.Count(),
            [](const PlotterEdge& x, const PlotterEdge& y) {
              if (x.u != y.u) return x.u < y.u;
              if (x.v != y.v) return x.v < y.v;
              return x.order > y.order;
            });
  int32_t kept = 0;
  for (int32_t i = 0; i < edges.Count(); ++i) {
    if (kept > 0 && edges[kept - 1].u == edges[i].u && edges[kept - 1].v == edges[i].v) continue;
    edges[kept++] = edges[i];
  }
  while (edges.Count() > kept) edges.Pop();
}

}  // namespace

bool BuildPlotterGraph(const Drawing& drawing, double tolerance, PlotterGraph& graph) {
  Stack<RawPiece> raw;
  GatherPieces(drawing, raw, graph.pens);
  if (MemoryErrorFlag::Test() != 0) return false;

  // Ends to vertices; pieces that shrink to a point go.
  Stack<PlotterEdge> pieces;
  {
    VertexWelder welder(graph.vertices, tolerance, raw.Count());
    for (int32_t i = 0; i < raw.Count() && MemoryErrorFlag::Test() == 0; ++i) {
      PlotterEdge piece;
      piece.u = welder.VertexAt(raw[i].a);
      piece.v = welder.VertexAt(raw[i].b);
      piece.pen = raw[i].pen;
      piece.order = raw[i].order;
      if (piece.u != piece.v) pieces.Push(piece);
    }
  }
  raw.Clear();
  if (MemoryErrorFlag::Test() != 0) return false;

  Stack<Cut> cuts;
  FindCuts(graph.vertices, pieces, tolerance, cuts);
  if (MemoryErrorFlag::Test() != 0) return false;
  CutPieces(pieces, cuts, graph.edges);
  if (MemoryErrorFlag::Test() != 0) return false;
  KeepOnce(graph.edges);

  if (graph.degree.SetCount(graph.vertices.Count()) != 0) return false;
  for (int32_t i = 0; i < graph.edges.Count(); ++i) {
    ++graph.degree[graph.edges[i].u];
    ++graph.degree[graph.edges[i].v];
  }
  return MemoryErrorFlag::Test() == 0;
}
