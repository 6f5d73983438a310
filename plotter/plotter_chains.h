// The pen graph's edges chained into as few paths as the graph allows, pen
// by pen: in each connected piece of one pen's edges, the vertices where an
// odd number of edges meet are paired by made-up links, the piece then has a
// closed walk through every edge once, and cutting the walk at the made-up
// links leaves max(1, odd vertices / 2) paths, the least any chaining can
// have. The walk is made angle-aware: at each vertex it goes on along the
// straightest way out, so paths turn back as seldom as the lines allow.
#pragma once

#include <cstdint>

#include "core/stack.h"
#include "plotter/plotter_graph.h"

// One chain: `count` vertex numbers from `first` in PlotterChains::vertices.
// A closed chain ends at its first vertex.
struct PlotterChain {
  int32_t pen = 0;
  int32_t first = 0;
  int32_t count = 0;
};

struct PlotterChains {
  Stack<int32_t> vertices;
  Stack<PlotterChain> chains;  // grouped by pen, pens in their order
};

// False when memory ran out.
bool ChainPlotterEdges(const PlotterGraph& graph, PlotterChains& out);
