// Which polygons meet at an edge: the neighbour service that capture and the
// edge planes ask for "the polygon on the other side of edge (a, b)".
//
// PolygonNeighbours is the question; EdgeNeighbourTable answers it for a
// list of index quadruples, so that capture needs nothing of the host here.
// The host-reading layer may hand capture either this table or a wrapper of
// the host's own neighbour service.
#pragma once

#include <cstdint>

#include "core/stack.h"
#include "polygons/bsp_polygon.h"  // PolygonCorners

class PolygonNeighbours {
 public:
  // The (up to two) polygons that have the edge between points a and b, in
  // either direction; -1 where there is none.
  virtual void PolygonsAtEdge(int32_t a, int32_t b, int32_t& first, int32_t& second) const = 0;

 protected:
  ~PolygonNeighbours() = default;
};

// The polygon across edge (a, b) from `polygon`: the one of the two that is
// not `polygon`; -1 when there is none (both are `polygon` or missing).
int32_t PolygonAcross(const PolygonNeighbours& neighbours, int32_t polygon, int32_t a, int32_t b);

// Point indices of the three or four edges of a host polygon, in order:
// (a, b), (b, c), then (c, a) for a triangle or (c, d), (d, a). Returns the
// edge count.
int32_t PolygonEdgeCorners(const PolygonCorners& polygon, int32_t from[4], int32_t to[4]);

// A hash table from an unordered pair of point indices to the first two
// polygons that have that edge. Polygons whose first two indices are equal
// are left out.
class EdgeNeighbourTable final : public PolygonNeighbours {
 public:
  // False when the table could not be allocated (the memory-error flag is
  // then set and the table answers -1 everywhere).
  bool Build(const PolygonCorners* polygons, int32_t count);
  void PolygonsAtEdge(int32_t a, int32_t b, int32_t& first, int32_t& second) const override;

 private:
  struct Slot {
    int64_t key = -1;  // -1: empty
    int32_t first = -1;
    int32_t second = -1;
  };
  int32_t FindSlot(int64_t key) const;

  Stack<Slot> slots_;
  uint64_t mask_ = 0;
};
