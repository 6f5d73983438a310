// The nbr* entries: which polygons share an edge, for the edge between two
// point indices in either direction.
#include <cstdint>
#include <memory>
#include <new>
#include <unordered_map>

#include "host/handles.h"
#include "host/scene_services.h"

struct HostNeighbours {
  struct Pair {
    int32_t first = -1;
    int32_t second = -1;
  };
  std::unordered_map<uint64_t, Pair> edges;
};

namespace host {
namespace {

uint64_t EdgeKey(int32_t a, int32_t b) {
  const auto low = static_cast<uint32_t>(a < b ? a : b);
  const auto high = static_cast<uint32_t>(a < b ? b : a);
  return (static_cast<uint64_t>(high) << 32) | low;
}

void AddEdge(HostNeighbours& table, int32_t a, int32_t b, int32_t polygon) {
  if (a == b) return;
  HostNeighbours::Pair& pair = table.edges[EdgeKey(a, b)];
  // A polygon that runs over the same edge twice counts once.
  if (pair.first == polygon || pair.second == polygon) return;
  if (pair.first < 0) {
    pair.first = polygon;
  } else if (pair.second < 0) {
    pair.second = polygon;
  }
}

bool WithinPoints(const HostPolygon& p, int32_t pointCount) {
  const auto inside = [pointCount](int32_t i) { return i >= 0 && i < pointCount; };
  return inside(p.a) && inside(p.b) && inside(p.c) && inside(p.d);
}

HostNeighbours* NbrNew(int32_t pointCount, const HostPolygon* polygons, int32_t count) {
  if (count < 0 || (count > 0 && polygons == nullptr)) return nullptr;
  try {
    auto table = std::make_unique<HostNeighbours>();
    table->edges.reserve(static_cast<size_t>(count) * 2);
    for (int32_t i = 0; i < count; ++i) {
      const HostPolygon& p = polygons[i];
      if (!WithinPoints(p, pointCount)) return nullptr;
      if (p.a == p.b) continue;  // such a polygon has no edges
      AddEdge(*table, p.a, p.b, i);
      AddEdge(*table, p.b, p.c, i);
      if (p.c == p.d) {
        AddEdge(*table, p.c, p.a, i);
      } else {
        AddEdge(*table, p.c, p.d, i);
        AddEdge(*table, p.d, p.a, i);
      }
    }
    CountHandle(HandleKind::kNeighbours, 1);
    return table.release();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void NbrEdgePolygons(const HostNeighbours* table, int32_t a, int32_t b, int32_t* first,
                     int32_t* second) {
  HostNeighbours::Pair pair;
  if (table != nullptr && a != b) {
    const auto found = table->edges.find(EdgeKey(a, b));
    if (found != table->edges.end()) pair = found->second;
  }
  if (first != nullptr) *first = pair.first;
  if (second != nullptr) *second = pair.second;
}

void NbrFree(HostNeighbours* table) {
  if (table == nullptr) return;
  CountHandle(HandleKind::kNeighbours, -1);
  delete table;
}

}  // namespace

void FillNeighbourEntries(HostSceneApi& table) {
  table.nbrNew = &NbrNew;
  table.nbrEdgePolygons = &NbrEdgePolygons;
  table.nbrFree = &NbrFree;
}

}  // namespace host
