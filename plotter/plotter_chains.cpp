// Euler walks over each pen's edges, made angle-aware: at each vertex the
// edge ends are paired straightest first, so that a path goes on along the
// straightest way out and a dense wireframe becomes long flowing paths
// rather than zig-zags. The pairs make closed walks; those without a
// made-up link are joined to walks they meet, where possible without a turn
// back, so that cutting at the made-up links still leaves the least number
// of paths.
#include "plotter/plotter_chains.h"

#include <algorithm>
#include <cmath>

namespace {

// Two edge ends at one vertex and how straight a path runs through them.
struct EndPair {
  double score = 0;
  int32_t a = 0;
  int32_t b = 0;
};

// The straightness of a pair that holds a made-up link: above any real turn.
constexpr double kFree = 2;

// The edges of one pen with vertices numbered from 0, real edges first,
// then the made-up links between odd vertices.
class PenWalker {
 public:
  PenWalker(Stack<int32_t>& localOf, const Stack<Vector3d>& points)
      : localOf_(localOf), points_(points) {}

  // Chains edges [from, to) of the pen-sorted list into `out`.
  void Chain(const Stack<PlotterEdge>& edges, int32_t from, int32_t to, PlotterChains& out) {
    Number(edges, from, to);
    if (MemoryErrorFlag::Test() == 0) LinkOddVertices();
    if (MemoryErrorFlag::Test() == 0) BuildAdjacency();
    if (MemoryErrorFlag::Test() == 0) PairEnds();
    if (MemoryErrorFlag::Test() == 0) NumberWalks();
    if (MemoryErrorFlag::Test() == 0) JoinWalks();
    if (MemoryErrorFlag::Test() == 0) EmitWalks(edges[from].pen, out);
    for (int32_t i = 0; i < globalOf_.Count(); ++i) localOf_[globalOf_[i]] = -1;
  }

 private:
  int32_t Local(int32_t vertex) {
    if (localOf_[vertex] < 0) {
      globalOf_.Push(vertex);
      if (MemoryErrorFlag::Test() != 0) return 0;
      localOf_[vertex] = globalOf_.Count() - 1;
    }
    return localOf_[vertex];
  }

  void Number(const Stack<PlotterEdge>& edges, int32_t from, int32_t to) {
    for (int32_t i = from; i < to && MemoryErrorFlag::Test() == 0; ++i) {
      ends_.Push(Local(edges[i].u));
      ends_.Push(Local(edges[i].v));
    }
    realEdges_ = ends_.Count() / 2;
  }

  int32_t Root(int32_t v) {
    while (parent_[v] != v) {
      parent_[v] = parent_[parent_[v]];
      v = parent_[v];
    }
    return v;
  }

  // Pairs the odd vertices of each connected piece by made-up links.
  void LinkOddVertices() {
    const int32_t n = globalOf_.Count();
    if (parent_.SetCount(n) != 0 || degree_.SetCount(n) != 0 || pending_.SetCount(n) != 0) return;
    for (int32_t v = 0; v < n; ++v) {
      parent_[v] = v;
      pending_[v] = -1;
    }
    for (int32_t e = 0; e < realEdges_; ++e) {
      const int32_t a = ends_[2 * e], b = ends_[2 * e + 1];
      ++degree_[a];
      ++degree_[b];
      parent_[Root(a)] = Root(b);
    }
    for (int32_t v = 0; v < n; ++v) {
      if (degree_[v] % 2 == 0) continue;
      const int32_t root = Root(v);
      if (pending_[root] < 0) {
        pending_[root] = v;
        continue;
      }
      ends_.Push(pending_[root]);
      ends_.Push(v);
      pending_[root] = -1;
    }
  }

  void BuildAdjacency() {
    const int32_t n = globalOf_.Count();
    const int32_t edgeCount = ends_.Count() / 2;
    Stack<int32_t> next;
    if (start_.SetCount(n + 1) != 0 || next.SetCount(n) != 0 ||
        adjacent_.SetCount(2 * edgeCount) != 0)
      return;
    for (int32_t i = 0; i < ends_.Count(); ++i) ++start_[ends_[i] + 1];
    for (int32_t v = 0; v < n; ++v) start_[v + 1] += start_[v];
    for (int32_t v = 0; v < n; ++v) next[v] = start_[v];
    for (int32_t i = 0; i < ends_.Count(); ++i) adjacent_[next[ends_[i]]++] = i / 2;
  }

  int32_t OtherEnd(int32_t edge, int32_t v) const {
    return ends_[2 * edge] == v ? ends_[2 * edge + 1] : ends_[2 * edge];
  }

  // The end of `edge` that lies at v: 2 * edge or 2 * edge + 1.
  int32_t EndAt(int32_t edge, int32_t v) const { return ends_[2 * edge] == v ? 2 * edge : 2 * edge + 1; }

  // How straight a path runs through the vertex of ends a and b: 1 straight
  // on, 0 a right angle, -1 turning back; a made-up link costs nothing, as
  // the path is cut there.
  double Straightness(int32_t a, int32_t b) const {
    if (MadeUp(a / 2) || MadeUp(b / 2)) return kFree;
    const Vector3d& at = points_[globalOf_[ends_[a]]];
    const Vector3d& p = points_[globalOf_[ends_[a ^ 1]]];
    const Vector3d& q = points_[globalOf_[ends_[b ^ 1]]];
    const double ax = p.x - at.x, ay = p.y - at.y, bx = q.x - at.x, by = q.y - at.y;
    const double lengths = std::hypot(ax, ay) * std::hypot(bx, by);
    return lengths > 0 ? -(ax * bx + ay * by) / lengths : 0;
  }

  // At every vertex, pairs the edge ends that arrive with those that leave,
  // straightest pairs first; every vertex has an even number of ends once
  // the made-up links are in.
  void PairEnds() {
    if (partner_.SetCount(ends_.Count()) != 0) return;
    Stack<EndPair> pairs;
    for (int32_t v = 0; v + 1 < start_.Count() && MemoryErrorFlag::Test() == 0; ++v) {
      pairs.Clear();
      for (int32_t i = start_[v]; i < start_[v + 1]; ++i) {
        partner_[EndAt(adjacent_[i], v)] = -1;
        for (int32_t j = i + 1; j < start_[v + 1]; ++j) {
          const int32_t a = EndAt(adjacent_[i], v), b = EndAt(adjacent_[j], v);
          // A made-up link takes the end that no straight pair wants.
          const bool link = MadeUp(a / 2) || MadeUp(b / 2);
          pairs.Push(EndPair{link ? -kFree : Straightness(a, b), a, b});
        }
      }
      if (MemoryErrorFlag::Test() != 0) return;
      std::sort(pairs.Items(), pairs.Items() + pairs.Count(), [](const EndPair& x, const EndPair& y) {
        if (x.score != y.score) return x.score > y.score;
        return x.a != y.a ? x.a < y.a : x.b < y.b;
      });
      for (int32_t k = 0; k < pairs.Count(); ++k) {
        if (partner_[pairs[k].a] >= 0 || partner_[pairs[k].b] >= 0) continue;
        partner_[pairs[k].a] = pairs[k].b;
        partner_[pairs[k].b] = pairs[k].a;
      }
    }
  }

  // Follows the pairs from end `first` round its closed walk; `visit` sees
  // each edge and the vertex it leads to.
  template <class Visit>
  void FollowWalk(int32_t first, Visit visit) const {
    for (int32_t end = first;;) {
      visit(end / 2, ends_[end ^ 1]);
      end = partner_[end ^ 1];
      if (end == first) return;
    }
  }

  // Numbers the closed walks the pairs make, noting which hold a made-up link.
  void NumberWalks() {
    if (walkOf_.SetCount(ends_.Count() / 2) != 0) return;
    for (int32_t e = 0; e < walkOf_.Count(); ++e) walkOf_[e] = -1;
    for (int32_t e = 0; e < walkOf_.Count() && MemoryErrorFlag::Test() == 0; ++e) {
      if (walkOf_[e] >= 0) continue;
      const int32_t walk = walkRoot_.Count();
      walkRoot_.Push(walk);
      walkLinked_.Push(0);
      if (MemoryErrorFlag::Test() != 0) return;
      FollowWalk(2 * e, [&](int32_t edge, int32_t) {
        walkOf_[edge] = walk;
        if (MadeUp(edge)) walkLinked_[walk] = 1;
      });
    }
  }

  int32_t WalkRoot(int32_t end) {
    int32_t w = walkOf_[end / 2];
    while (walkRoot_[w] != w) w = walkRoot_[w] = walkRoot_[walkRoot_[w]];
    return w;
  }

  // Joins two closed walks that meet at a vertex by exchanging the partners
  // of one pair of each, the way that runs straighter; only when one of them
  // holds no made-up link (joining two that do saves no path) and, unless
  // `anyTurn`, when neither new pair turns back. True when it joined.
  bool JoinAt(int32_t a, int32_t c, bool anyTurn) {
    const int32_t b = partner_[a], d = partner_[c];
    const int32_t x = WalkRoot(a), y = WalkRoot(c);
    if (x == y || (walkLinked_[x] != 0 && walkLinked_[y] != 0)) return false;
    const double crossed = std::min(Straightness(a, d), Straightness(c, b));
    const double parallel = std::min(Straightness(a, c), Straightness(b, d));
    if (!anyTurn && std::max(crossed, parallel) < 0) return false;
    if (crossed >= parallel) {
      partner_[a] = d, partner_[d] = a, partner_[c] = b, partner_[b] = c;
    } else {
      partner_[a] = c, partner_[c] = a, partner_[b] = d, partner_[d] = b;
    }
    walkRoot_[x] = y;
    walkLinked_[y] = static_cast<uint8_t>(walkLinked_[x] | walkLinked_[y]);
    return true;
  }

  // Joins closed walks without a made-up link to others they meet, so that
  // each piece still falls into no more paths than the Euler bound: first
  // where no turn back results, then anywhere.
  void JoinWalks() {
    for (const bool anyTurn : {false, true}) {
      for (int32_t v = 0; v + 1 < start_.Count(); ++v) {
        for (int32_t i = start_[v]; i < start_[v + 1]; ++i) {
          for (int32_t j = i + 1; j < start_[v + 1]; ++j) {
            const int32_t a = EndAt(adjacent_[i], v), c = EndAt(adjacent_[j], v);
            if (partner_[a] != c) JoinAt(a, c, anyTurn);
          }
        }
      }
    }
  }

  // Each closed walk as vertices and edges, cut at its made-up links.
  void EmitWalks(int32_t pen, PlotterChains& out) {
    Stack<uint8_t> done;
    if (done.SetCount(ends_.Count() / 2) != 0) return;
    Stack<int32_t> walkVertex, walkEdge;
    for (int32_t e = 0; e < done.Count() && MemoryErrorFlag::Test() == 0; ++e) {
      if (done[e] != 0) continue;
      walkVertex.Clear();
      walkEdge.Clear();
      walkVertex.Push(ends_[2 * e]);
      FollowWalk(2 * e, [&](int32_t edge, int32_t to) {
        done[edge] = 1;
        walkEdge.Push(edge);
        walkVertex.Push(to);
      });
      if (MemoryErrorFlag::Test() == 0) CutWalk(walkVertex, walkEdge, pen, out);
    }
  }

  bool MadeUp(int32_t edge) const { return edge >= realEdges_; }

  void CutWalk(const Stack<int32_t>& walkVertex, const Stack<int32_t>& walkEdge, int32_t pen,
               PlotterChains& out) {
    const int32_t steps = walkVertex.Count() - 1;  // the walk is closed
    if (steps <= 0) return;
    int32_t firstLink = -1;
    for (int32_t i = 0; i < steps && firstLink < 0; ++i)
      if (MadeUp(walkEdge[i])) firstLink = i;
    const int32_t begin = firstLink < 0 ? 0 : firstLink + 1;
    StartChain(out, pen, walkVertex[begin % steps]);
    for (int32_t k = 0; k < steps && MemoryErrorFlag::Test() == 0; ++k) {
      const int32_t i = (begin + k) % steps;
      const int32_t to = walkVertex[(i + 1) % steps];
      if (!MadeUp(walkEdge[i])) {
        out.vertices.Push(globalOf_[to]);
        ++out.chains[out.chains.Count() - 1].count;
      } else if (k + 1 < steps) {
        StartChain(out, pen, to);
      }
    }
  }

  void StartChain(PlotterChains& out, int32_t pen, int32_t vertex) {
    PlotterChain chain;
    chain.pen = pen;
    chain.first = out.vertices.Count();
    chain.count = 1;
    out.vertices.Push(globalOf_[vertex]);
    out.chains.Push(chain);
  }

  Stack<int32_t>& localOf_;  // -1 for vertices not of this pen
  const Stack<Vector3d>& points_;  // the graph's vertices, by global number
  Stack<int32_t> globalOf_;
  Stack<int32_t> ends_;  // two local vertices per edge
  int32_t realEdges_ = 0;
  Stack<int32_t> parent_, degree_, pending_;
  Stack<int32_t> start_, adjacent_;
  Stack<int32_t> partner_;     // per edge end: the end it is paired with at its vertex
  Stack<int32_t> walkOf_;      // per edge: the closed walk it was first numbered in
  Stack<int32_t> walkRoot_;    // joined walks, as a union-find forest
  Stack<uint8_t> walkLinked_;  // per walk root: 1 when it holds a made-up link
};

}  // namespace

bool ChainPlotterEdges(const PlotterGraph& graph, PlotterChains& out) {
  Stack<PlotterEdge> edges = graph.edges;
  std::sort(edges.Items(), edges.Items() + edges.Count(),
            [](const PlotterEdge& x, const PlotterEdge& y) {
              if (x.pen != y.pen) return x.pen < y.pen;
              return x.u != y.u ? x.u < y.u : x.v < y.v;
            });
  Stack<int32_t> localOf;
  if (localOf.SetCount(graph.vertices.Count()) != 0) return false;
  for (int32_t i = 0; i < localOf.Count(); ++i) localOf[i] = -1;
  for (int32_t from = 0; from < edges.Count() && MemoryErrorFlag::Test() == 0;) {
    int32_t to = from;
    while (to < edges.Count() && edges[to].pen == edges[from].pen) ++to;
    PenWalker(localOf, graph.vertices).Chain(edges, from, to, out);
    from = to;
  }
  return MemoryErrorFlag::Test() == 0;
}
