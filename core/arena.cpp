// Arena blocks from the host allocator.
#include "core/arena.h"

#include "core/stack.h"
#include "sdk/memory.h"

namespace {

constexpr size_t kAlignment = 16;
constexpr size_t kFirstBlock = 4096;
constexpr size_t kLargestBlock = size_t{1} << 20;

size_t AlignUp(size_t bytes) {
  return (bytes + kAlignment - 1) & ~(kAlignment - 1);
}

}  // namespace

// A block's header; its records follow it.
struct Arena::Block {
  Block* previous;
  size_t size;  // bytes for records
  size_t used;
};

void* Arena::Allocate(size_t bytes) {
  const size_t needed = AlignUp(bytes);
  if (current_ == nullptr || current_->size - current_->used < needed) {
    if (nextSize_ == 0) nextSize_ = kFirstBlock;
    size_t size = nextSize_;
    while (size < needed) size *= 2;
    if (nextSize_ < kLargestBlock) nextSize_ *= 2;
    void* raw = MemAlloc(AlignUp(sizeof(Block)) + size);
    if (raw == nullptr) {
      MemoryErrorFlag::Set();
      return nullptr;
    }
    Block* block = static_cast<Block*>(raw);
    block->previous = current_;
    block->size = size;
    block->used = 0;
    current_ = block;
  }
  char* records = reinterpret_cast<char*>(current_) + AlignUp(sizeof(Block));
  void* result = records + current_->used;
  current_->used += needed;
  return result;
}

void Arena::Release() {
  while (current_ != nullptr) {
    Block* previous = current_->previous;
    MemFree(current_);
    current_ = previous;
  }
  nextSize_ = 0;
}
