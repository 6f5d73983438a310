// CellHash: the page-point grid, a hashed grid of square cells over the page,
// each cell holding item numbers, so that point matching and nearest-end
// searches look at a few cells instead of every item. Cells are keyed by whole
// cell coordinates; only cells that hold items take memory. Items can be
// inserted between searches. The region chainer finds continuations with it,
// the outline welding finds ends to weld, and the plotter stage welds
// vertices, finds cuts and orders strokes.
#pragma once

#include <cstdint>

#include "core/stack.h"

struct CellKey {
  int32_t x = 0;
  int32_t y = 0;
};

// The cell of a page point for cells of `size` units; far-off or non-finite
// coordinates are held to the ends of the key range.
CellKey CellOf(double x, double y, double size);

class CellHash {
 public:
  // Empties the grid and makes room for about `items` entries. Memory
  // failures set the job's flag; the grid then holds nothing.
  void Reset(int32_t items);
  void Insert(CellKey cell, int32_t item);
  // The first entry of a cell, then the next entry of the same cell; -1 at
  // the end.
  int32_t First(CellKey cell) const;
  int32_t Next(int32_t entry) const;
  int32_t Item(int32_t entry) const { return entries_[entry].item; }
  bool Empty() const { return entries_.Empty(); }

  // Calls `visit(item)` for the items of the nine cells around `cell`: every
  // point closer than one cell width to a point of `cell` lies there. Within
  // a cell, the latest inserted item comes first.
  template <class Visit>
  void ForEachAround(CellKey cell, Visit visit) const {
    for (int32_t dx = -1; dx <= 1; ++dx) {
      for (int32_t dy = -1; dy <= 1; ++dy) {
        const CellKey near{cell.x + dx, cell.y + dy};
        for (int32_t e = First(near); e >= 0; e = Next(e)) visit(entries_[e].item);
      }
    }
  }

 private:
  struct Entry {
    CellKey cell;
    int32_t item = 0;
    int32_t next = -1;  // the next entry of the same bucket
  };
  uint32_t Bucket(CellKey cell) const;
  int32_t FromHere(int32_t entry, CellKey cell) const;

  Stack<int32_t> heads_;  // first entry of each bucket
  Stack<Entry> entries_;
  uint32_t mask_ = 0;
};
