// Welding of outline ends in a grid of cells as wide as the welding distance.
#include "lines/outline_weld.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "lines/cell_hash.h"

namespace {

// What becomes of a segment.
constexpr uint8_t kKept = 0;
constexpr uint8_t kPoint = 1;         // its ends welded into one
constexpr uint8_t kFirstOfPair = 2;   // cancelled with a twin; stands for the pair
constexpr uint8_t kSecondOfPair = 3;  // cancelled with a twin

// The ends of the segments (segment i has ends 2i and 2i + 1) in a grid of
// cells as wide as the welding distance.
void GridOfEnds(const Stack<EdgeSegment>& segments, double distance, CellHash& grid) {
  grid.Reset(2 * segments.Count());
  for (int32_t i = 0; i < segments.Count(); ++i) {
    const EdgeSegment& s = segments[i];
    grid.Insert(CellOf(s.a.x, s.a.y, distance), 2 * i);
    grid.Insert(CellOf(s.b.x, s.b.y, distance), 2 * i + 1);
  }
}

Vector3d& EndOf(Stack<EdgeSegment>& segments, int32_t end) {
  EdgeSegment& s = segments[end / 2];
  return end % 2 == 0 ? s.a : s.b;
}

// Every end onto the earliest end within the distance that is itself not
// moved; `weldedTo[end]` names the end it now equals.
void WeldEnds(Stack<EdgeSegment>& segments, double distance, Stack<int32_t>& weldedTo) {
  CellHash grid;
  GridOfEnds(segments, distance, grid);
  weldedTo.SetCount(2 * segments.Count());
  if (MemoryErrorFlag::Test() != 0) return;
  for (int32_t end = 0; end < weldedTo.Count(); ++end) {
    const Vector3d p = EndOf(segments, end);
    int32_t target = end;
    // The earliest such end whatever order the grid hands them out in.
    grid.ForEachAround(CellOf(p.x, p.y, distance), [&](int32_t other) {
      if (other < target && weldedTo[other] == other &&
          SameWithin(EndOf(segments, other), p, distance)) {
        target = other;
      }
    });
    weldedTo[end] = target;
    if (target != end) EndOf(segments, end) = EndOf(segments, target);
  }
}

// Marks the segments that are points, and the pairs that run between the
// same two welded ends in opposite directions.
void MarkCancelled(const Stack<int32_t>& weldedTo, Stack<uint8_t>& cancelled) {
  const int32_t count = weldedTo.Count() / 2;
  cancelled.SetCount(count);
  if (MemoryErrorFlag::Test() != 0) return;
  Stack<int32_t> order;
  for (int32_t i = 0; i < count; ++i) {
    cancelled[i] = weldedTo[2 * i] == weldedTo[2 * i + 1] ? kPoint : kKept;
    if (cancelled[i] == kKept) order.Push(i);
  }
  if (MemoryErrorFlag::Test() != 0) return;
  // By the unordered pair of ends, then by list order: twins lie together.
  const auto low = [&](int32_t i) { return std::min(weldedTo[2 * i], weldedTo[2 * i + 1]); };
  const auto high = [&](int32_t i) { return std::max(weldedTo[2 * i], weldedTo[2 * i + 1]); };
  std::sort(order.Items(), order.Items() + order.Count(), [&](int32_t p, int32_t q) {
    if (low(p) != low(q)) return low(p) < low(q);
    if (high(p) != high(q)) return high(p) < high(q);
    return p < q;
  });
  for (int32_t k = 0; k < order.Count();) {
    int32_t next = k;
    while (next < order.Count() && low(order[next]) == low(order[k]) &&
           high(order[next]) == high(order[k])) {
      ++next;
    }
    // Within the run, each forward segment cancels the first backward one
    // not yet taken.
    for (int32_t f = k; f < next; ++f) {
      const int32_t forward = order[f];
      if (cancelled[forward] != kKept || weldedTo[2 * forward] != low(forward)) continue;
      for (int32_t r = k; r < next; ++r) {
        const int32_t backward = order[r];
        if (cancelled[backward] == kKept && weldedTo[2 * backward] != low(backward)) {
          cancelled[forward] = kFirstOfPair;
          cancelled[backward] = kSecondOfPair;
          break;
        }
      }
    }
    k = next;
  }
}

}  // namespace

void WeldOutline(Stack<EdgeSegment>& segments, double distance, Stack<EdgeSegment>* cancelled) {
  if (segments.Empty() || !(distance > 0.0)) return;
  Stack<int32_t> weldedTo;
  WeldEnds(segments, distance, weldedTo);
  if (MemoryErrorFlag::Test() != 0) return;
  Stack<uint8_t> marks;
  MarkCancelled(weldedTo, marks);
  if (MemoryErrorFlag::Test() != 0) return;
  int32_t kept = 0;
  for (int32_t i = 0; i < segments.Count(); ++i) {
    if (marks[i] == kKept) {
      segments[kept++] = segments[i];
    } else if (marks[i] == kFirstOfPair && cancelled != nullptr) {
      cancelled->Push(segments[i]);
    }
  }
  while (segments.Count() > kept) segments.Pop();
}
