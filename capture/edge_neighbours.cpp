// The edge-to-polygons hash table (open addressing, linear probing).
#include "capture/edge_neighbours.h"

namespace {

// Larger tables than this are refused rather than sized past the 32-bit
// count of a Stack.
constexpr int64_t kMaxSlots = int64_t{1} << 30;

int64_t EdgeKey(int32_t a, int32_t b) {
  const uint32_t low = static_cast<uint32_t>(a < b ? a : b);
  const uint32_t high = static_cast<uint32_t>(a < b ? b : a);
  return static_cast<int64_t>((static_cast<uint64_t>(low) << 32) | high);
}

uint64_t Mix(int64_t key) {
  uint64_t x = static_cast<uint64_t>(key);
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdull;
  x ^= x >> 33;
  return x;
}

}  // namespace

int32_t PolygonAcross(const PolygonNeighbours& neighbours, int32_t polygon, int32_t a, int32_t b) {
  int32_t first = -1;
  int32_t second = -1;
  neighbours.PolygonsAtEdge(a, b, first, second);
  if (first != -1 && first != polygon) return first;
  if (second != -1 && second != polygon) return second;
  return -1;
}

int32_t PolygonEdgeCorners(const PolygonCorners& polygon, int32_t from[4], int32_t to[4]) {
  const int32_t corners[4] = {polygon.a, polygon.b, polygon.c, polygon.d};
  const int32_t count = CornerCount(polygon);
  for (int32_t i = 0; i < count; ++i) {
    from[i] = corners[i];
    to[i] = corners[(i + 1) % count];
  }
  return count;
}

bool EdgeNeighbourTable::Build(const PolygonCorners* polygons, int32_t count) {
  slots_.Clear();
  mask_ = 0;
  int64_t wanted = 16;
  while (wanted < int64_t{8} * count && wanted < kMaxSlots) wanted *= 2;
  if (wanted < int64_t{8} * count) return false;
  if (slots_.SetCount(static_cast<int32_t>(wanted)) != 0) {
    slots_.Clear();
    return false;
  }
  mask_ = static_cast<uint64_t>(wanted - 1);

  for (int32_t p = 0; p < count; ++p) {
    if (polygons[p].a == polygons[p].b) continue;
    int32_t from[4];
    int32_t to[4];
    const int32_t edges = PolygonEdgeCorners(polygons[p], from, to);
    for (int32_t e = 0; e < edges; ++e) {
      if (from[e] == to[e]) continue;
      const int64_t key = EdgeKey(from[e], to[e]);
      Slot& slot = slots_[FindSlot(key)];
      if (slot.key == -1) {
        slot.key = key;
        slot.first = p;
      } else if (slot.second == -1 && slot.first != p) {
        slot.second = p;
      }
    }
  }
  return true;
}

void EdgeNeighbourTable::PolygonsAtEdge(int32_t a, int32_t b, int32_t& first,
                                        int32_t& second) const {
  first = -1;
  second = -1;
  if (slots_.Empty()) return;
  const Slot& slot = slots_[FindSlot(EdgeKey(a, b))];
  if (slot.key == -1) return;
  first = slot.first;
  second = slot.second;
}

// The slot holding the key, or the empty slot where it would go. The table
// is at most half full, so probing always ends.
int32_t EdgeNeighbourTable::FindSlot(int64_t key) const {
  uint64_t index = Mix(key) & mask_;
  while (true) {
    const Slot& slot = slots_[static_cast<int32_t>(index)];
    if (slot.key == key || slot.key == -1) return static_cast<int32_t>(index);
    index = (index + 1) & mask_;
  }
}
