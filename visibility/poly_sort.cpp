// Ordering by projected area.
#include "visibility/poly_sort.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

void BSPPolySort::SortBySizeClass(SortEntry* entries, int32_t count) {
  if (entries == nullptr || count < 2) return;
  std::sort(entries, entries + count, [](const SortEntry& a, const SortEntry& b) {
    if (a.sizeClass != b.sizeClass) return a.sizeClass > b.sizeClass;
    return a.scatter < b.scatter;
  });
}

void SetSizeClass(SortEntry& entry, uint64_t seed) {
  int exponent = 0;
  const bool sized = entry.key > 0.0f && std::isfinite(entry.key);
  if (sized) std::frexp(entry.key, &exponent);
  entry.sizeClass = sized ? exponent : std::numeric_limits<int32_t>::min();
  // The finaliser of splitmix64: a bijection, so distinct seeds never tie.
  uint64_t z = seed + 0x9e3779b97f4a7c15ull;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  entry.scatter = z ^ (z >> 31);
}

SortEntry MakeSortEntry(const BspView& view, BspPolygon* polygon) {
  SortEntry entry;
  entry.polygon = polygon;
  entry.key = static_cast<float>(ProjectedArea(view, OutlineOf(*polygon)));
  if (std::isnan(entry.key)) entry.key = 0.0f;
  return entry;
}
