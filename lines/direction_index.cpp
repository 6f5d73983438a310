// The bucket grid of DirectionIndex.
#include "lines/direction_index.h"

#include <cmath>

namespace {

constexpr int32_t kMinBuckets = 10;
constexpr double kMinWidth = 1e-5;
constexpr int32_t kBucketReserve = 20;

void AppendBucket(const Stack<int32_t>& bucket, Stack<int32_t>& out) {
  for (int32_t i = 0; i < bucket.Count(); ++i) out.Push(bucket[i]);
}

}  // namespace

void DirectionIndex::reset(int32_t segmentCount, double firstKey) {
  minKey = firstKey;
  maxKey = firstKey;
  width = 0.0;
  buckets.Clear();
  const int32_t wanted = segmentCount / 2 < kMinBuckets ? kMinBuckets : segmentCount / 2;
  buckets.SetCount(wanted);
  // After a failed allocation the grid stays empty and finds nothing.
  bucketCount = buckets.Count();
}

void DirectionIndex::widen(double key) {
  if (key < minKey) minKey = key;
  if (key > maxKey) maxKey = key;
  width = bucketCount > 1 ? (maxKey - minKey) / (bucketCount - 1) : 0.0;
  if (!(width >= kMinWidth)) width = kMinWidth;
}

int32_t DirectionIndex::BucketOf(double key) const {
  const double step = width >= kMinWidth ? width : kMinWidth;
  const double position = std::trunc((key - minKey) / step);
  // Compared as reals so that far-away or undefined keys cannot overflow.
  if (!(position >= 0.0)) return position < 0.0 ? -1 : 0;
  if (position >= bucketCount) return bucketCount;
  return static_cast<int32_t>(position);
}

void DirectionIndex::insert(double key, int32_t segmentIndex) {
  if (bucketCount == 0) return;
  int32_t b = BucketOf(key);
  if (b < 0) b = 0;
  if (b >= bucketCount) b = bucketCount - 1;
  Stack<int32_t>& bucket = buckets[b];
  if (bucket.Capacity() == 0) bucket.Reserve(kBucketReserve);
  bucket.Push(segmentIndex);
}

void DirectionIndex::candidates(double key, Stack<int32_t>& out) const {
  const int32_t b = BucketOf(key);
  if (b >= 0 && b < bucketCount) AppendBucket(buckets[b], out);
  const double step = width >= kMinWidth ? width : kMinWidth;
  const int32_t neighbour = (b + 0.5) * step + minKey >= key ? b - 1 : b + 1;
  if (neighbour >= 0 && neighbour < bucketCount) AppendBucket(buckets[neighbour], out);
}

void DirectionIndex::RemoveEntry(double key, int32_t segmentIndex) {
  if (bucketCount == 0) return;
  int32_t b = BucketOf(key);
  if (b < 0) b = 0;
  if (b >= bucketCount) b = bucketCount - 1;
  Stack<int32_t>& bucket = buckets[b];
  for (int32_t k = 0; k < bucket.Count(); ++k) {
    if (bucket[k] != segmentIndex) continue;
    for (int32_t m = k + 1; m < bucket.Count(); ++m) bucket[m - 1] = bucket[m];
    bucket.Pop();
    return;
  }
}
