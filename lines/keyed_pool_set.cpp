// Remembering written segments per object, and leaving them out later.
#include "lines/keyed_pool_set.h"

namespace {

constexpr int32_t kInitialEntries = 50;
constexpr double kRememberTolerance = 1e-5;

// The entry of `key`, searched from the most recent one back; -1 when none.
int32_t FindEntry(const KeyedPoolSet& set, const void* key) {
  for (int32_t i = set.entries.Count() - 1; i >= 0; --i) {
    if (set.entries[i].key == key) return i;
  }
  return -1;
}

}  // namespace

void rememberSegments(KeyedPoolSet& set, const void* key, const Stack<EdgeSegment>& list) {
  int32_t entry = FindEntry(set, key);
  if (entry < 0) {
    if (set.entries.Capacity() == 0) set.entries.Reserve(kInitialEntries);
    KeyedPool fresh;
    fresh.key = key;
    fresh.pool.cancel = 1;
    fresh.pool.tolerance = kRememberTolerance;
    set.entries.Push(fresh);
    if (MemoryErrorFlag::Test() != 0) return;
    entry = set.entries.Count() - 1;
  }
  Stack<SegmentPlain>& segments = set.entries[entry].pool.segments;
  for (int32_t i = 0; i < list.Count(); ++i) segments.Push(ToSegmentPlain(list[i]));
}

void forgetRemembered(const KeyedPoolSet& set, const void* key, Stack<EdgeSegment>& list) {
  const int32_t entry = FindEntry(set, key);
  if (entry >= 0) subtract(set.entries[entry].pool, list);
}
