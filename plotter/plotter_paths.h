// The drawing made ready for a pen plotter, whatever the file format:
//  - strokes only: filled parts give their region outlines as strokes;
//  - each piece of line once: pieces that lie on each other (a boundary of
//    two regions or two objects) become one, kept by the pen put down last
//    (plotter/plotter_graph.h);
//  - few long paths: Euler walks per pen (plotter/plotter_chains.h);
//  - simplified: points closer than the tolerance to the line through the
//    points kept around them go, but never a junction or an end;
//  - short strokes dropped: paths shorter than the minimum length;
//  - ordered: nearest end first from the page's top left corner
//    (plotter/plotter_order.h), one part per pen in the order the drawing
//    first used the pens, so that writers keep a layer per pen.
// Lengths are page units (points).
#pragma once

#include "core/export_settings.h"
#include "core/job.h"
#include "lines/drawing.h"

// Ends closer than this are one point, and pieces closer than this to each
// other's ends lie on each other.
inline constexpr double kPlotterMatchTolerance = 0.05;

// Replaces the parts of `drawing` by the plotter paths. False when a stop
// request or a memory failure cut it short; the drawing is then incomplete.
bool MakePlotterPaths(Drawing& drawing, const PlotterOptions& options, ExportJob* job);
