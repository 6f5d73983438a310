#include "lines/live_positions.h"

namespace {

int32_t LowBit(int32_t i) {
  return i & -i;
}

}  // namespace

void LivePositions::Reset(int32_t count) {
  tree_.Clear();
  live_.Clear();
  liveCount_ = 0;
  for (int32_t i = 0; i < count; ++i) Append();
}

void LivePositions::Append() {
  const int32_t i = tree_.Count() + 1;  // the new item's place, from 1
  tree_.Push(1 + Prefix(i - 1) - Prefix(i - LowBit(i)));
  live_.Push(1);
  // After a failed allocation nothing was added.
  if (live_.Count() == i && tree_.Count() == i) ++liveCount_;
}

void LivePositions::Remove(int32_t position) {
  if (position < 0 || position >= live_.Count() || live_[position] == 0) return;
  live_[position] = 0;
  --liveCount_;
  for (int32_t i = position + 1; i <= tree_.Count(); i += LowBit(i)) --tree_[i - 1];
}

int32_t LivePositions::Prefix(int32_t count) const {
  int32_t sum = 0;
  for (int32_t i = count; i > 0; i -= LowBit(i)) sum += tree_[i - 1];
  return sum;
}

int32_t LivePositions::PositionOfRank(int32_t rank) const {
  const int32_t size = tree_.Count();
  int32_t step = 1;
  while (step * 2 <= size) step *= 2;
  // The largest place whose prefix holds at most `rank` live items.
  int32_t place = 0;
  int32_t left = rank + 1;
  for (; step > 0; step /= 2) {
    if (place + step <= size && tree_[place + step - 1] < left) {
      place += step;
      left -= tree_[place - 1];
    }
  }
  return place;  // the next place, place + 1 from 1, is position `place`
}
