// Host memory: raw blocks, and objects and arrays constructed in them. Every
// allocation can fail (null); the host counts every block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

void* MemAlloc(size_t bytes);
void MemFree(void* block);

// Constructs a T in host memory; null when the host has no memory.
template <class T, class... Args>
T* HostNew(Args&&... args) {
  void* block = MemAlloc(sizeof(T));
  if (block == nullptr) return nullptr;
  return new (block) T(std::forward<Args>(args)...);
}

template <class T>
void HostDelete(T* object) {
  if (object == nullptr) return;
  object->~T();
  MemFree(object);
}

// Array allocation in host memory: every slot default-constructed, the count
// kept in a header before the first slot so that the release can run every
// destructor. Null when the host has no memory.
namespace host_sdk_detail {
constexpr size_t ArrayHeader(size_t align) {
  return align > 16 ? align : 16;
}
}  // namespace host_sdk_detail

template <class T>
T* HostNewArray(int32_t count) {
  if (count <= 0) return nullptr;
  const size_t header = host_sdk_detail::ArrayHeader(alignof(T));
  char* block = static_cast<char*>(MemAlloc(header + sizeof(T) * static_cast<size_t>(count)));
  if (block == nullptr) return nullptr;
  *reinterpret_cast<int32_t*>(block) = count;
  T* items = reinterpret_cast<T*>(block + header);
  for (int32_t i = 0; i < count; ++i) new (items + i) T();
  return items;
}

template <class T>
void HostDeleteArray(T* items) {
  if (items == nullptr) return;
  const size_t header = host_sdk_detail::ArrayHeader(alignof(T));
  char* block = reinterpret_cast<char*>(items) - header;
  const int32_t count = *reinterpret_cast<int32_t*>(block);
  for (int32_t i = 0; i < count; ++i) items[i].~T();
  MemFree(block);
}
