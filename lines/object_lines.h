// The edge-line stage of one captured object: from the visible fragments
// that the renderer left in the object, the lines of the drawing style go
// into the page's line groups, each list with its paint style.
//
//   style  what is handed over, in order                     kinds
//   10034  drawn edges                                       2
//   10035  drawn edges; with outlines on, the inner cuts     2, 16
//   10036  region edges per colour group (white);            16
//          with creases on, the crease edges                 8
//   10037  per colour group, in the group's colour: the      3 (outlines on) or 1,
//          filled region, its edges with outlines on, and    16,
//          the region edges again; with creases on, the      4,
//          crease edges (white)                              8
#pragma once

#include <cstdint>

#include "capture/bsp_poly_obj.h"
#include "core/job.h"
#include "core/stack.h"
#include "lines/line_group.h"

// Draws the object in the style of its settings' drawingStyle, with its line
// style (outline and crease options, line width and colour), into
// `elements`, the element list of the frame's page. The job is the source of
// stop requests and keeps the progress display fresh.
//
// The object's renderer polygons are released as soon as they are used up:
// the captured polygons on entry (only the passes need them), the visible
// fragments once the object net is built. A stop request or a memory failure
// before or between the stages ends the object early. The object net and
// every working list are freed in every case. False when the object ended early or memory ran out in the
// last stage.
bool drawObjectLines(BSPPolyObj& object, Stack<LineGroup>& elements, ExportJob& job);

// The paint style of the object's lines of `kind` with fill colour `colour`:
// the object's line colour, its line width in twentieths of a point (1, the
// thinnest line, for width 0) and the object as identity.
LineGroupStyle ObjectLineStyle(const BSPPolyObj& object, int32_t kind, PageColour colour);
