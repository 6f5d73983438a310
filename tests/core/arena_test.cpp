// The arena against the real host allocator with fault injection.
#include "core/arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/stack.h"
#include "host/runtime.h"
#include "bsp_fixture.h"

namespace {

// A fresh host and a clear memory-error flag for every test.
class ArenaTest : public BspTest {};

// Records of any size keep their alignment and their contents while the
// arena grows over several blocks, one larger than any block before it;
// the release gives every byte back and the arena can be used again.
TEST_F(ArenaTest, KeepsRecordsAlignedAndIntactAcrossBlocksAndReleasesAll) {
  const int64_t liveBefore = host::GetMemoryStats().liveBytes;
  Arena arena;
  for (int round = 0; round < 2; ++round) {
    std::vector<std::pair<unsigned char*, size_t>> records;
    for (size_t i = 0; i < 3000; ++i) {
      const size_t bytes = i == 1500 ? (size_t{3} << 20) : 1 + (i * 37) % 300;
      auto* record = static_cast<unsigned char*>(arena.Allocate(bytes));
      ASSERT_NE(record, nullptr);
      EXPECT_EQ(reinterpret_cast<uintptr_t>(record) % 16, 0u);
      std::memset(record, static_cast<int>(i % 251), bytes);
      records.push_back({record, bytes});
    }
    for (size_t i = 0; i < records.size(); ++i) {
      const auto [record, bytes] = records[i];
      EXPECT_EQ(record[0], i % 251);
      EXPECT_EQ(record[bytes - 1], i % 251);
    }
    EXPECT_GT(host::GetMemoryStats().liveBytes, liveBefore + (int64_t{3} << 20));
    arena.Release();
    EXPECT_EQ(host::GetMemoryStats().liveBytes, liveBefore);
  }
  EXPECT_EQ(MemoryErrorFlag::Test(), 0);
}

// A block the host cannot give leaves a null record and the memory-error
// flag; what was placed before stays, and the release frees it.
TEST_F(ArenaTest, AFailedBlockGivesNullAndSetsTheFlag) {
  const int64_t liveBefore = host::GetMemoryStats().liveBytes;
  Arena arena;
  int* first = arena.New<int>();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(*first, 0);
  *first = 7;
  host::FailNthAllocation(1);
  EXPECT_EQ(arena.NewArray<double>(10000), nullptr);
  EXPECT_NE(MemoryErrorFlag::Test(), 0);
  EXPECT_EQ(*first, 7);
  arena.Release();
  EXPECT_EQ(host::GetMemoryStats().liveBytes, liveBefore);
}

}  // namespace
