// The hashed cell grid.
#include "lines/cell_hash.h"

#include <cmath>

namespace {
constexpr double kKeyLimit = 1.0e9;

int32_t CellCoordinate(double value, double size) {
  const double cell = std::floor(value / size);
  if (!(cell > -kKeyLimit)) return static_cast<int32_t>(-kKeyLimit);  // also NaN
  if (cell > kKeyLimit) return static_cast<int32_t>(kKeyLimit);
  return static_cast<int32_t>(cell);
}
}  // namespace

CellKey CellOf(double x, double y, double size) {
  return CellKey{CellCoordinate(x, size), CellCoordinate(y, size)};
}

void CellHash::Reset(int32_t items) {
  heads_.Clear();
  entries_.Clear();
  uint32_t buckets = 16;
  while (buckets < 2u * static_cast<uint32_t>(items > 0 ? items : 0) && buckets < (1u << 30))
    buckets <<= 1;
  mask_ = buckets - 1;
  const int32_t count = static_cast<int32_t>(buckets);
  if (heads_.SetCount(count) != 0) {
    heads_.Clear();
    return;
  }
  for (int32_t i = 0; i < count; ++i) heads_[i] = -1;
  entries_.Reserve(items);
}

uint32_t CellHash::Bucket(CellKey cell) const {
  const uint32_t h =
      static_cast<uint32_t>(cell.x) * 73856093u ^ static_cast<uint32_t>(cell.y) * 19349663u;
  return (h ^ (h >> 15)) & mask_;
}

void CellHash::Insert(CellKey cell, int32_t item) {
  if (heads_.Empty()) return;
  const uint32_t bucket = Bucket(cell);
  Entry entry;
  entry.cell = cell;
  entry.item = item;
  entry.next = heads_[static_cast<int32_t>(bucket)];
  entries_.Push(entry);
  if (MemoryErrorFlag::Test() != 0) return;
  heads_[static_cast<int32_t>(bucket)] = entries_.Count() - 1;
}

int32_t CellHash::FromHere(int32_t entry, CellKey cell) const {
  while (entry >= 0 && (entries_[entry].cell.x != cell.x || entries_[entry].cell.y != cell.y))
    entry = entries_[entry].next;
  return entry;
}

int32_t CellHash::First(CellKey cell) const {
  if (heads_.Empty()) return -1;
  return FromHere(heads_[static_cast<int32_t>(Bucket(cell))], cell);
}

int32_t CellHash::Next(int32_t entry) const {
  return FromHere(entries_[entry].next, entries_[entry].cell);
}
