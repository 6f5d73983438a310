// Measures of a written drawing that a pen plotter cares about, computed from
// the file alone: ink drawn twice, path counts against the least an Euler
// chaining allows, pen-up travel against a greedy nearest-end order, and the
// shortest stroke. Paths are grouped by pen: stroke colour and width.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "export_support.h"

namespace e2e {

struct PlotterMeasures {
  double ink = 0;      // stroked length
  double overlap = 0;  // length of stroked pieces that lie on other stroked pieces
  int paths = 0;
  int eulerBound = 0;       // sum over pens and connected pieces of max(1, odd vertices / 2)
  double travel = 0;        // pen-up travel in the written order, from the top left corner
  double greedyTravel = 0;  // the same for a nearest-end order
  double shortest = std::numeric_limits<double>::infinity();  // shortest path length
  int sharpTurns = 0;  // turns inside paths sharper than a right angle: the pen turning back
};

namespace plotter_detail {

struct Piece {
  PagePoint a, b;
};

inline double Length(PagePoint p, PagePoint q) {
  return std::hypot(q.x - p.x, q.y - p.y);
}

inline std::vector<Piece> PiecesOf(const PaintedPath& path) {
  std::vector<Piece> pieces;
  const size_t n = path.points.size();
  const size_t steps = path.Closed() ? n : n - 1;
  for (size_t i = 0; n > 1 && i < steps; ++i)
    pieces.push_back({path.points[i], path.points[(i + 1) % n]});
  return pieces;
}

// How much of the shorter piece lies on the longer one (both within
// `tolerance` of its line).
inline double Overlap(const Piece& s, const Piece& t, double tolerance) {
  const Piece& lo = Length(s.a, s.b) >= Length(t.a, t.b) ? s : t;
  const Piece& sh = &lo == &s ? t : s;
  const double dx = lo.b.x - lo.a.x, dy = lo.b.y - lo.a.y, length = std::hypot(dx, dy);
  if (length == 0) return 0;
  const auto off = [&](PagePoint p) {
    return std::fabs((p.x - lo.a.x) * dy - (p.y - lo.a.y) * dx) / length;
  };
  const auto along = [&](PagePoint p) {
    return ((p.x - lo.a.x) * dx + (p.y - lo.a.y) * dy) / length;
  };
  if (off(sh.a) > tolerance || off(sh.b) > tolerance) return 0;
  const double from = std::max(0.0, std::min(along(sh.a), along(sh.b)));
  const double to = std::min(length, std::max(along(sh.a), along(sh.b)));
  return std::max(0.0, to - from);
}

inline double OverlapOf(const std::vector<Piece>& pieces) {
  constexpr double kCell = 4.0, kTolerance = 0.05;
  std::map<std::pair<int, int>, std::vector<size_t>> cells;
  for (size_t i = 0; i < pieces.size(); ++i) {
    const Piece& p = pieces[i];
    const int x0 = static_cast<int>(std::floor((std::min(p.a.x, p.b.x) - kTolerance) / kCell));
    const int x1 = static_cast<int>(std::floor((std::max(p.a.x, p.b.x) + kTolerance) / kCell));
    const int y0 = static_cast<int>(std::floor((std::min(p.a.y, p.b.y) - kTolerance) / kCell));
    const int y1 = static_cast<int>(std::floor((std::max(p.a.y, p.b.y) + kTolerance) / kCell));
    for (int x = x0; x <= x1; ++x)
      for (int y = y0; y <= y1; ++y) cells[{x, y}].push_back(i);
  }
  std::set<std::pair<size_t, size_t>> seen;
  double overlap = 0;
  for (const auto& cell : cells) {
    const std::vector<size_t>& in = cell.second;
    for (size_t i = 0; i < in.size(); ++i)
      for (size_t j = i + 1; j < in.size(); ++j)
        if (seen.insert({in[i], in[j]}).second)
          overlap += Overlap(pieces[in[i]], pieces[in[j]], kTolerance);
  }
  return overlap;
}

// Turns sharper than a right angle between consecutive pieces of a path,
// and where a path that ends at its start closes.
inline int SharpTurns(const PaintedPath& path) {
  std::vector<Piece> pieces = PiecesOf(path);
  const PagePoint first = path.points.front(), last = path.points.back();
  if (!path.Closed() && pieces.size() > 2 && Length(first, last) < 1e-6)
    pieces.push_back(pieces.front());
  int turns = 0;
  for (size_t i = 0; i + 1 < pieces.size(); ++i) {
    const Piece& in = pieces[i];
    const Piece& out = pieces[i + 1];
    const double dot = (in.b.x - in.a.x) * (out.b.x - out.a.x) + (in.b.y - in.a.y) * (out.b.y - out.a.y);
    turns += dot < 0 ? 1 : 0;
  }
  return turns;
}

// max(1, odd / 2) summed over the connected pieces of the paths' graph.
inline int EulerBound(const std::vector<const PaintedPath*>& paths) {
  std::map<std::pair<long long, long long>, int> ids;
  const auto id = [&](PagePoint p) {
    const std::pair<long long, long long> key{std::llround(p.x * 1000), std::llround(p.y * 1000)};
    return ids.emplace(key, static_cast<int>(ids.size())).first->second;
  };
  std::vector<std::pair<int, int>> edges;
  for (const PaintedPath* path : paths)
    for (const Piece& piece : PiecesOf(*path)) edges.push_back({id(piece.a), id(piece.b)});
  std::vector<int> parent(ids.size()), degree(ids.size(), 0);
  for (size_t i = 0; i < parent.size(); ++i) parent[i] = static_cast<int>(i);
  const auto root = [&](int v) {
    while (parent[v] != v) v = parent[v] = parent[parent[v]];
    return v;
  };
  for (const auto& [a, b] : edges) {
    ++degree[a];
    ++degree[b];
    parent[root(a)] = root(b);
  }
  std::map<int, int> odd;  // root -> odd vertices
  for (size_t v = 0; v < parent.size(); ++v)
    if (degree[v] > 0) odd[root(static_cast<int>(v))] += degree[v] % 2;
  int bound = 0;
  for (const auto& component : odd) bound += std::max(1, component.second / 2);
  return bound;
}

// Pen-up travel from `home` through the paths in the given order.
inline double WrittenTravel(const std::vector<const PaintedPath*>& paths, PagePoint home) {
  double travel = 0;
  PagePoint at = home;
  for (const PaintedPath* path : paths) {
    travel += Length(at, path->points.front());
    at = path->Closed() ? path->points.front() : path->points.back();
  }
  return travel;
}

// Pen-up travel of the nearest-end order from `home`.
inline double GreedyTravel(const std::vector<const PaintedPath*>& paths, PagePoint home) {
  std::vector<bool> used(paths.size(), false);
  double travel = 0;
  PagePoint at = home;
  for (size_t step = 0; step < paths.size(); ++step) {
    size_t best = 0;
    bool fromEnd = false;
    double nearest = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < paths.size(); ++i) {
      if (used[i]) continue;
      const PaintedPath& path = *paths[i];
      const double toStart = Length(at, path.points.front());
      const double toEnd = path.Closed() ? toStart : Length(at, path.points.back());
      if (toStart < nearest || toEnd < nearest) {
        nearest = std::min(toStart, toEnd);
        best = i;
        fromEnd = toEnd < toStart;
      }
    }
    used[best] = true;
    travel += nearest;
    const PaintedPath& path = *paths[best];
    at = path.Closed() ? path.points.front() : fromEnd ? path.points.front() : path.points.back();
  }
  return travel;
}

}  // namespace plotter_detail

// The measures of a drawing whose page is `height` points high (the pen
// rests at the top left corner, where the page's y is `height`).
inline PlotterMeasures MeasureForPlotter(const WrittenDrawing& drawing, double height) {
  using namespace plotter_detail;
  PlotterMeasures m;
  std::vector<Piece> all;
  std::map<std::string, std::vector<const PaintedPath*>> byPen;
  for (const PaintedPath& path : drawing.paths) {
    if (!path.Stroked() || path.points.size() < 2) continue;
    byPen[path.stroke + " " + path.width].push_back(&path);
    double length = 0;
    for (const Piece& piece : PiecesOf(path)) {
      all.push_back(piece);
      length += Length(piece.a, piece.b);
    }
    m.ink += length;
    m.shortest = std::min(m.shortest, length);
    m.sharpTurns += SharpTurns(path);
    ++m.paths;
  }
  m.overlap = OverlapOf(all);
  const PagePoint home{0, height};
  for (const auto& pen : byPen) {
    m.eulerBound += EulerBound(pen.second);
    m.travel += WrittenTravel(pen.second, home);
    m.greedyTravel += GreedyTravel(pen.second, home);
  }
  return m;
}

}  // namespace e2e
