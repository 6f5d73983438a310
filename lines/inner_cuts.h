// Cancellation of the inner cuts of one host polygon: the renderer cuts a
// polygon into visible pieces, and every cut inside the polygon shows up as
// the boundary of the two pieces on either side. Such shared cuts vanish;
// cuts that only one piece has (where a piece meets a hidden part) survive
// as inner boundaries.
#pragma once

#include <cstdint>

#include "core/job.h"
#include "core/stack.h"
#include "polygons/edge_piece.h"
#include "core/geometry.h"

struct ExportSettings;

// Takes every piece without EdgeOriginal out of `pieces`, joins cut pieces
// that continue each other straight through a point that is not a corner of
// the host polygon, cancels the stretches that two cuts share, and appends
// what survives with EdgeInnerBoundary set. `corners` are the 3 or 4 corner
// points of the host polygon. A stop request of `job` (may be null) or a
// memory failure ends the work between steps.
void cancelInnerCuts(Stack<EdgePiece>& pieces, const Vector3d* corners, int32_t cornerCount,
                     const ExportJob* job);
