// Greedy nearest-end ordering of strokes.
#include "plotter/plotter_order.h"

#include <algorithm>
#include <cmath>

#include "lines/cell_hash.h"

namespace {

constexpr int32_t kRingsBeforeScan = 32;

// The live stroke ends in a hashed grid whose cells hold about one end each;
// rebuilt with larger cells as strokes are used up, so that searches keep
// finding ends within a few rings of cells.
class EndGrid {
 public:
  explicit EndGrid(const Stack<PlotterStroke>& strokes) : strokes_(strokes) {
    if (used_.SetCount(strokes.Count()) != 0) return;
    live_ = strokes.Count();
    Rebuild();
  }

  // The nearest live end to `p`: stroke position and whether it is the end
  // point; false when none is left.
  bool Nearest(const Vector3d& p, int32_t& stroke, bool& atEnd) {
    if (live_ <= 0 || MemoryErrorFlag::Test() != 0) return false;
    if (live_ * 4 < built_ && built_ > 64) Rebuild();
    const CellKey home = CellOf(p.x, p.y, size_);
    double best = HUGE_VAL;
    int32_t bestItem = -1;
    const int64_t reach = std::max(std::max(int64_t{home.x} - low_.x, int64_t{high_.x} - home.x),
                                   std::max(int64_t{home.y} - low_.y, int64_t{high_.y} - home.y));
    for (int32_t r = 0; r <= reach; ++r) {
      // Far from every live end (the pen's resting place, say): look at
      // them all rather than at many empty rings.
      if (r > kRingsBeforeScan && bestItem < 0) {
        Scan(p, best, bestItem);
        break;
      }
      for (int32_t dx = -r; dx <= r; ++dx) {
        const bool edgeColumn = dx == -r || dx == r;
        for (int32_t dy = -r; dy <= r; dy += edgeColumn ? 1 : 2 * r) {
          Look(CellKey{home.x + dx, home.y + dy}, p, best, bestItem);
          if (r == 0) break;
        }
      }
      // Cells beyond ring r are at least r cells away.
      if (bestItem >= 0 && best <= r * size_) break;
    }
    if (bestItem < 0) return false;
    stroke = bestItem / 2;
    atEnd = bestItem % 2 == 1;
    used_[stroke] = 1;
    --live_;
    return true;
  }

 private:
  const Vector3d& EndOf(int32_t item) const {
    const PlotterStroke& s = strokes_[item / 2];
    return item % 2 == 0 ? s.start : s.end;
  }

  void Look(CellKey cell, const Vector3d& p, double& best, int32_t& bestItem) const {
    for (int32_t e = grid_.First(cell); e >= 0; e = grid_.Next(e))
      Consider(grid_.Item(e), p, best, bestItem);
  }

  void Scan(const Vector3d& p, double& best, int32_t& bestItem) const {
    for (int32_t item = 0; item < 2 * strokes_.Count(); ++item) Consider(item, p, best, bestItem);
  }

  void Consider(int32_t item, const Vector3d& p, double& best, int32_t& bestItem) const {
    if (used_[item / 2] != 0) return;
    const Vector3d& q = EndOf(item);
    const double d = std::hypot(q.x - p.x, q.y - p.y);
    if (d < best || (d == best && item < bestItem)) {
      best = d;
      bestItem = item;
    }
  }

  void Rebuild() {
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    for (int32_t i = 0; i < strokes_.Count(); ++i) {
      if (used_[i] != 0) continue;
      for (const Vector3d* q : {&strokes_[i].start, &strokes_[i].end}) {
        minX = std::min(minX, q->x);
        minY = std::min(minY, q->y);
        maxX = std::max(maxX, q->x);
        maxY = std::max(maxY, q->y);
      }
    }
    // About one end per cell, also when the ends lie along a line.
    const double count = std::max(live_, 1);
    const double width = std::max(maxX - minX, 0.0), height = std::max(maxY - minY, 0.0);
    size_ = std::max({std::sqrt(width * height / count), std::max(width, height) / count, 1e-3});
    low_ = CellOf(minX, minY, size_);
    high_ = CellOf(maxX, maxY, size_);
    grid_.Reset(2 * live_);
    for (int32_t i = 0; i < strokes_.Count() && MemoryErrorFlag::Test() == 0; ++i) {
      if (used_[i] != 0) continue;
      grid_.Insert(CellOf(strokes_[i].start.x, strokes_[i].start.y, size_), 2 * i);
      grid_.Insert(CellOf(strokes_[i].end.x, strokes_[i].end.y, size_), 2 * i + 1);
    }
    built_ = live_;
  }

  const Stack<PlotterStroke>& strokes_;
  Stack<uint8_t> used_;
  CellHash grid_;
  double size_ = 1.0;
  CellKey low_, high_;  // the cells of the live ends when the grid was built
  int32_t live_ = 0;
  int32_t built_ = 0;
};

}  // namespace

bool OrderByNearestEnd(Stack<PlotterStroke>& strokes, const Vector3d& home) {
  Stack<PlotterStroke> ordered;
  ordered.Reserve(strokes.Count());
  EndGrid ends(strokes);
  if (MemoryErrorFlag::Test() != 0) return false;
  Vector3d at = home;
  int32_t stroke = 0;
  bool atEnd = false;
  while (ends.Nearest(at, stroke, atEnd)) {
    PlotterStroke next = strokes[stroke];
    next.reversed = atEnd;
    at = atEnd ? next.start : next.end;
    ordered.Push(next);
    if (MemoryErrorFlag::Test() != 0) return false;
  }
  if (MemoryErrorFlag::Test() != 0) return false;
  strokes = std::move(ordered);
  return true;
}
