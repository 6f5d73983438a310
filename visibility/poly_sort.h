// BSPPolySort: orders polygons by projected area, largest first, so that the
// polygons covering most of the picture enter the beam tree first and hide
// small ones early.
#pragma once

#include <cstdint>

#include "polygons/bsp_polygon.h"
#include "polygons/bsp_view.h"
#include "core/stack.h"

struct SortEntry {
  BspPolygon* polygon = nullptr;
  float key = 0.0f;  // projected area
};

class BSPPolySort {
 public:
  // +1 when b's key is greater, -1 when it is smaller, 0 otherwise: sorting
  // ascending by this order yields descending keys.
  static int32_t Compare(const SortEntry& a, const SortEntry& b);
  // Sorts the entries by Compare. Entries with equal keys may come out in
  // either order.
  static void Sort(SortEntry* entries, int32_t count);
};

// The entry of a polygon: its projected area in single precision (0 when
// the area is not a number, so that the order stays well defined).
SortEntry MakeSortEntry(const BspView& view, BspPolygon* polygon);
