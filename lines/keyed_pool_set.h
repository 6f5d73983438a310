// KeyedPoolSet: per object, the segments already written, so that a later
// line group of the same object can leave them out (the drawing styles use it to
// draw an edge that is both an edge line and a crease only once).
#pragma once

#include "core/stack.h"
#include "lines/line_group.h"
#include "lines/segment_pool.h"

struct KeyedPool {
  const void* key = nullptr;  // the object, compared by identity
  SegmentPoolPlain pool;      // cancel mode, tolerance 1e-5
};

struct KeyedPoolSet {
  Stack<KeyedPool> entries;
};

// Appends the list's segments to the pool of `key` (a new entry when the key
// has none), without resolving the pool.
void rememberSegments(KeyedPoolSet& set, const void* key, const Stack<EdgeSegment>& list);
// Subtracts the pool remembered for `key` from the list; no entry, no change.
void forgetRemembered(const KeyedPoolSet& set, const void* key, Stack<EdgeSegment>& list);
