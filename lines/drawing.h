// The drawing of one frame: the picture as page-space paths with their paint,
// in the order they are put down, grouped into compound paths as the drawing
// style needs them. It is what every writer of a file format gets, and it
// knows nothing of any format.
//
// BuildDrawing makes it from the projected line groups of a frame: which
// groups a style shows, in which order, after which clean-up of lines that
// two groups share, chained into as few paths as possible.
#pragma once

#include <cstdint>

#include "core/job.h"
#include "core/stack.h"
#include "lines/line_group.h"
#include "sdk/strings.h"

// How a compound path is painted: filled when `kind` has kFillKind, stroked
// when it has any of the line kinds.
struct PathPaint {
  uint32_t kind = 0;
  PageColour colour;                    // fill colour
  PageColour lineColour;                // stroke colour
  int32_t lineWidth = 0;                // twentieths of a point; 0 and 1: thinnest
};

// One compound path: paths painted alike, all of one object when `object`
// names it (empty: of several objects, or of none).
struct DrawingPart {
  PathPaint paint;
  Stack<EpsPath> paths;
  String object;
};

struct Drawing {
  int32_t width = 0;  // page size in points; y grows downward from the top edge
  int32_t height = 0;
  bool onPaper = false;      // laid out on a sheet of paper chosen in millimetres
  Stack<DrawingPart> parts;  // in drawing order
};

// The paint of a line group.
PathPaint PaintOf(const LineGroup& group);

// Fills `drawing.parts` from the projected line groups in the way of `style`
// (10034 to 10037; any other value draws nothing):
//  - 10034, 10035: every polygon of the drawn-edge groups (kind 2) as its own
//    compound path of chained lines;
//  - 10036: the region edge lines (kind 16), each polygon merged into
//    non-overlapping strokes, then the creases (kind 8) without the
//    stretches that an edge line of the same object already drew;
//  - 10037: the filled regions (kind bit 1) as closed outlines with their
//    inner shared edges cancelled (a stroked region also strokes, as a
//    compound path of its own, what its outline leaves out for bounding no
//    area); then the region edges (kind 16, merged as in 10036) and
//    creases (kind 8) that no region outline of the same object covers, one
//    compound path per group.
// Segments are compared in the page plane; the groups' segments are resolved
// in place. Progress fills `band`. False when a stop request or a memory
// failure cut the drawing short.
bool BuildDrawing(Stack<LineGroup>& elements, int32_t style, Drawing& drawing, ExportJob* job,
                  ProgressBand band);
