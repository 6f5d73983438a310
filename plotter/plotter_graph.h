// The pen graph of a drawing: every stroke of every part cut into straight
// pieces in page space, their ends matched into shared vertices, pieces cut
// where another piece's end lies on them, and each piece of line kept once.
// It is where the plotter paths start (plotter/plotter_paths.h).
//
// A pen is a stroke colour and width. Filled parts count as the outlines of
// their regions, drawn with the part's line colour and width. Where pieces of
// two pens lie on each other, the pen of the part put down last keeps the
// piece: it was on top in the drawing.
#pragma once

#include <cstdint>

#include "core/geometry.h"
#include "core/stack.h"
#include "lines/drawing.h"

struct PlotterPen {
  PageColour colour;
  int32_t width = 0;  // twentieths of a point, as PathPaint::lineWidth
};

// A piece of line between two vertices; u < v.
struct PlotterEdge {
  int32_t u = 0;
  int32_t v = 0;
  int32_t pen = 0;
  int32_t order = 0;  // the part it came from: a higher one was put down later
};

struct PlotterGraph {
  Stack<Vector3d> vertices;  // page points, z 0
  Stack<PlotterEdge> edges;  // no two with the same ends
  Stack<PlotterPen> pens;    // in the order the drawing first uses them
  Stack<int32_t> degree;     // edges at each vertex, of every pen
};

// Builds the graph of `drawing`. Ends closer than `tolerance` page units are
// one vertex; a vertex closer than `tolerance` to the inside of a piece cuts
// it there, so that collinear overlaps become equal pieces. False when memory
// ran out.
bool BuildPlotterGraph(const Drawing& drawing, double tolerance, PlotterGraph& graph);
