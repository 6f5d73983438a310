// BSPPolySort: orders polygons by projected area, largest first, so that the
// polygons covering most of the picture enter the beam tree first and hide
// small ones early.
//
// The scene-wide tree of pass 1 takes the polygons by size class instead:
// classes largest first, and within a class in a scattered order. On an
// evenly tessellated mesh, strict area order puts neighbouring polygons one
// after the other (their projected areas change smoothly over the surface),
// and each then lands in the beam of the one before: the tree turns into
// long chains and insertion cost grows with the square root of the count.
// Scattering the polygons of one class keeps the tree shallow. The visible
// part of every polygon is the same in either order; the occluder records
// may differ by polygons whose overlap with it a third polygon hides.
#pragma once

#include <cstdint>

#include "polygons/bsp_polygon.h"
#include "polygons/bsp_view.h"
#include "core/stack.h"

struct SortEntry {
  BspPolygon* polygon = nullptr;
  float key = 0.0f;  // projected area
  int32_t sizeClass = 0;  // the binary exponent of the area (SetSizeClass)
  uint64_t scatter = 0;   // a fixed pseudo-random rank (SetSizeClass)
};

class BSPPolySort {
 public:
  // +1 when b's key is greater, -1 when it is smaller, 0 otherwise: sorting
  // ascending by this order yields descending keys.
  static int32_t Compare(const SortEntry& a, const SortEntry& b);
  // Sorts the entries by Compare. Entries with equal keys may come out in
  // either order.
  static void Sort(SortEntry* entries, int32_t count);
  // Sorts by size class, largest first, then by scatter rank: a total order,
  // so the result does not depend on the order of the input.
  static void SortBySizeClass(SortEntry* entries, int32_t count);
};

// The entry of a polygon: its projected area in single precision (0 when
// the area is not a number, so that the order stays well defined).
SortEntry MakeSortEntry(const BspView& view, BspPolygon* polygon);

// Gives the entry its size class (areas within a factor of two share one;
// zero and non-finite areas come last) and a scatter rank made from `seed`,
// a number that tells the polygon apart from the others of the list.
void SetSizeClass(SortEntry& entry, uint64_t seed);
