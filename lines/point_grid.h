// PointGrid: numbered page points in a grid of square cells, sorted by cell,
// so that every point closer than one cell width to a place lies in the nine
// cells around it. The region chainer finds continuations with it and the
// outline welding finds ends to weld.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/geometry.h"
#include "core/stack.h"

class PointGrid {
 public:
  void SetCell(double cell) { cell_ = cell; }

  // A point that is not a number is near nothing and is left out.
  void Add(const Vector3d& p, int32_t item) {
    if (p.x == p.x && p.y == p.y) entries_.Push(Entry{Key(Column(p.x), Column(p.y)), item});
  }

  // Call once after the last Add.
  void Sort() {
    std::sort(entries_.Items(), entries_.Items() + entries_.Count(),
              [](const Entry& p, const Entry& q) {
                return p.key != q.key ? p.key < q.key : p.item < q.item;
              });
  }

  bool Empty() const { return entries_.Empty(); }

  // Calls `visit(item)` for the points in the cells around `p`, cell by
  // cell, each cell's in item order.
  template <class Visit>
  void ForEachNear(const Vector3d& p, Visit visit) const {
    if (p.x != p.x || p.y != p.y) return;
    const int64_t column = Column(p.x), row = Column(p.y);
    const Entry* end = entries_.Items() + entries_.Count();
    for (int64_t dx = -1; dx <= 1; ++dx) {
      for (int64_t dy = -1; dy <= 1; ++dy) {
        const uint64_t key = Key(column + dx, row + dy);
        const Entry* e = std::lower_bound(entries_.Items(), end, key,
                                          [](const Entry& q, uint64_t k) { return q.key < k; });
        for (; e != end && e->key == key; ++e) visit(e->item);
      }
    }
  }

 private:
  struct Entry {
    uint64_t key;
    int32_t item;
  };

  // Cells are counted within +-2^30; farther points share the edge cells,
  // which costs time but never a match.
  int64_t Column(double x) const {
    const double c = std::floor(x / cell_);
    constexpr double kLimit = 1073741824.0;
    return static_cast<int64_t>(c < -kLimit ? -kLimit : (c > kLimit ? kLimit : c));
  }
  static uint64_t Key(int64_t column, int64_t row) {
    return (static_cast<uint64_t>(column + (int64_t{1} << 31)) << 32) |
           static_cast<uint64_t>(row + (int64_t{1} << 31));
  }

  double cell_ = 1.0;
  Stack<Entry> entries_;
};
