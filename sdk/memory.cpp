#include "sdk/memory.h"

#include "sdk/host_table.h"

void* MemAlloc(size_t bytes) {
  return Host().memAlloc(bytes);
}

void MemFree(void* block) {
  if (block != nullptr) Host().memFree(block);
}
