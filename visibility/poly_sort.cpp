// Ordering by projected area.
#include "visibility/poly_sort.h"

#include <algorithm>
#include <cmath>

int32_t BSPPolySort::Compare(const SortEntry& a, const SortEntry& b) {
  if (b.key > a.key) return 1;
  if (b.key < a.key) return -1;
  return 0;
}

void BSPPolySort::Sort(SortEntry* entries, int32_t count) {
  if (entries == nullptr || count < 2) return;
  std::sort(entries, entries + count,
            [](const SortEntry& a, const SortEntry& b) { return Compare(a, b) < 0; });
}

SortEntry MakeSortEntry(const BspView& view, BspPolygon* polygon) {
  SortEntry entry;
  entry.polygon = polygon;
  entry.key = static_cast<float>(ProjectedArea(view, *polygon));
  if (std::isnan(entry.key)) entry.key = 0.0f;
  return entry;
}
