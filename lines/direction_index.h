// DirectionIndex: a one-dimensional bucket grid over a real key, used to find
// the segments whose key (a direction measure, or an end point's distance
// from the origin) is close to a given one without scanning every segment.
//
// Use: reset, widen with every key, then insert. The buckets hold segment
// positions; `RemoveEntry` drops one entry and keeps the others' order.
#pragma once

#include <cstdint>

#include "core/stack.h"

struct DirectionIndex {
  int32_t bucketCount = 0;
  Stack<Stack<int32_t>> buckets;
  double width = 0.0;
  double minKey = 0.0;
  double maxKey = 0.0;

  // Drops every entry and starts a grid of segmentCount / 2 buckets (at
  // least 10) whose key range is the single key `firstKey`.
  void reset(int32_t segmentCount, double firstKey);
  // Extends the key range to `key` and recomputes the bucket width.
  void widen(double key);
  // Enters segment position `segmentIndex` under `key` (clamped to the grid).
  void insert(double key, int32_t segmentIndex);
  // The entries of the key's bucket, then of the neighbour on the key's side.
  void candidates(double key, Stack<int32_t>& out) const;
  // Deletes the first entry `segmentIndex` from the bucket of `key`; other
  // entries keep their numbers.
  void RemoveEntry(double key, int32_t segmentIndex);

 private:
  // Bucket of a key, or -1 when it lies before the grid, bucketCount when
  // it lies after it.
  int32_t BucketOf(double key) const;
};
