// The order in which a plotter draws one pen's strokes: from the pen's
// resting place, always the stroke with the nearest end next, drawn from
// that end (so a stroke is turned round when its far end is the nearer).
// A hashed grid of the ends finds the nearest one without scanning them all.
#pragma once

#include <cstdint>

#include "core/geometry.h"
#include "core/stack.h"

struct PlotterStroke {
  Vector3d start;
  Vector3d end;
  int32_t index = 0;      // the caller's number of the stroke
  bool reversed = false;  // drawn from end to start
};

// Reorders `strokes` and sets their `reversed` flags, starting at `home`.
// False when memory ran out (the strokes are then left as they were).
bool OrderByNearestEnd(Stack<PlotterStroke>& strokes, const Vector3d& home);
