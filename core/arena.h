// Arena: memory for many small records that are released together, such as
// the nodes of a beam tree. Blocks come from the host allocator, each twice
// as large as the one before (4 KiB up to 1 MiB), so a small tree takes one
// small block and a big one few large blocks; a record costs no allocation
// of its own and the release costs one free per block.
//
// Records placed here never get a destructor call: only records whose
// members own no memory belong here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

class Arena {
 public:
  Arena() = default;
  ~Arena() { Release(); }
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  // `bytes` of memory aligned to 16 bytes; null when no block could be had
  // (the memory-error flag is then set).
  void* Allocate(size_t bytes);

  // A value-initialised T, or null as Allocate.
  template <class T>
  T* New() {
    void* block = Allocate(sizeof(T));
    return block != nullptr ? new (block) T() : nullptr;
  }

  // `count` value-initialised Ts in a row, or null as Allocate (and for a
  // count below 1).
  template <class T>
  T* NewArray(int32_t count) {
    if (count <= 0) return nullptr;
    void* block = Allocate(sizeof(T) * static_cast<size_t>(count));
    if (block == nullptr) return nullptr;
    T* items = static_cast<T*>(block);
    for (int32_t i = 0; i < count; ++i) new (items + i) T();
    return items;
  }

  // Frees every block; the arena can then be used again.
  void Release();

 private:
  struct Block;
  Block* current_ = nullptr;
  size_t nextSize_ = 0;
};
