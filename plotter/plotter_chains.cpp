// Euler walks over each pen's edges.
#include "plotter/plotter_chains.h"

#include <algorithm>

namespace {

// The edges of one pen with vertices numbered from 0, real edges first,
// then the made-up links between odd vertices.
class PenWalker {
 public:
  explicit PenWalker(Stack<int32_t>& localOf) : localOf_(localOf) {}

  // Chains edges [from, to) of the pen-sorted list into `out`.
  void Chain(const Stack<PlotterEdge>& edges, int32_t from, int32_t to, PlotterChains& out) {
    Number(edges, from, to);
    if (MemoryErrorFlag::Test() == 0) LinkOddVertices();
    if (MemoryErrorFlag::Test() == 0) BuildAdjacency();
    for (int32_t s = 0; s < globalOf_.Count() && MemoryErrorFlag::Test() == 0; ++s) {
      if (HasUnusedEdge(s)) Walk(s, edges[from].pen, out);
    }
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
    if (start_.SetCount(n + 1) != 0 || next_.SetCount(n) != 0 ||
        adjacent_.SetCount(2 * edgeCount) != 0 || used_.SetCount(edgeCount) != 0)
      return;
    for (int32_t i = 0; i < ends_.Count(); ++i) ++start_[ends_[i] + 1];
    for (int32_t v = 0; v < n; ++v) start_[v + 1] += start_[v];
    for (int32_t v = 0; v < n; ++v) next_[v] = start_[v];
    for (int32_t i = 0; i < ends_.Count(); ++i) adjacent_[next_[ends_[i]]++] = i / 2;
    for (int32_t v = 0; v < n; ++v) next_[v] = start_[v];
  }

  bool HasUnusedEdge(int32_t v) {
    while (next_[v] < start_[v + 1] && used_[adjacent_[next_[v]]] != 0) ++next_[v];
    return next_[v] < start_[v + 1];
  }

  // The closed walk from s through every edge of its piece (Hierholzer),
  // cut at the made-up links into chains.
  void Walk(int32_t s, int32_t pen, PlotterChains& out) {
    Stack<int32_t> stackVertex, stackEdge, walkVertex, walkEdge;
    stackVertex.Push(s);
    stackEdge.Push(-1);
    while (!stackVertex.Empty() && MemoryErrorFlag::Test() == 0) {
      const int32_t v = stackVertex[stackVertex.Count() - 1];
      if (HasUnusedEdge(v)) {
        const int32_t e = adjacent_[next_[v]++];
        used_[e] = 1;
        stackVertex.Push(ends_[2 * e] == v ? ends_[2 * e + 1] : ends_[2 * e]);
        stackEdge.Push(e);
      } else {
        // Popped vertices form the walk; edge i joins walk vertices i and i + 1.
        walkVertex.Push(v);
        walkEdge.Push(stackEdge[stackEdge.Count() - 1]);
        stackVertex.Pop();
        stackEdge.Pop();
      }
    }
    if (MemoryErrorFlag::Test() == 0) CutWalk(walkVertex, walkEdge, pen, out);
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
  Stack<int32_t> globalOf_;
  Stack<int32_t> ends_;  // two local vertices per edge
  int32_t realEdges_ = 0;
  Stack<int32_t> parent_, degree_, pending_;
  Stack<int32_t> start_, next_, adjacent_;
  Stack<uint8_t> used_;
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
    PenWalker(localOf).Chain(edges, from, to, out);
    from = to;
  }
  return MemoryErrorFlag::Test() == 0;
}
