// The live items of an array that only grows at its end and whose removed
// items stay in place, marked: which position holds the r-th live item, in
// logarithmic time (a Fenwick tree over live counts). Lets a scan keep the
// order and the ranks of an order-preserving erase without moving items.
#pragma once

#include <cstdint>

#include "core/stack.h"

class LivePositions {
 public:
  // Positions 0 .. count - 1, all live.
  void Reset(int32_t count);
  // One more live position at the end.
  void Append();
  void Remove(int32_t position);
  // Positions it could not track (after a failed allocation) count as live.
  bool IsLive(int32_t position) const { return position >= live_.Count() || live_[position] != 0; }
  int32_t LiveCount() const { return liveCount_; }
  // The position of the live item with `rank` live items before it;
  // rank < LiveCount().
  int32_t PositionOfRank(int32_t rank) const;

 private:
  int32_t Prefix(int32_t count) const;  // live items among the first `count`

  Stack<int32_t> tree_;  // tree_[i - 1]: live items in (i - lowbit(i), i]
  Stack<uint8_t> live_;
  int32_t liveCount_ = 0;
};
