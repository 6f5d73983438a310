// The live positions of a list whose removed items stay in place: the
// position of every rank agrees with a list that really erases them.
#include "lines/live_positions.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "host_fixture.h"

namespace {

class LivePositionsTest : public HostTest {};

TEST_F(LivePositionsTest, RanksAgreeWithAnErasedListThroughRemovalsAndAppends) {
  std::mt19937 random(7);
  LivePositions live;
  live.Reset(1000);
  std::vector<int32_t> erased;  // the live positions, in order
  for (int32_t i = 0; i < 1000; ++i) erased.push_back(i);
  int32_t size = 1000;
  for (int step = 0; step < 5000; ++step) {
    if (random() % 3 == 0) {
      live.Append();
      erased.push_back(size++);
    } else if (!erased.empty()) {
      const size_t k = random() % erased.size();
      live.Remove(erased[k]);
      erased.erase(erased.begin() + static_cast<std::ptrdiff_t>(k));
    }
    ASSERT_EQ(live.LiveCount(), static_cast<int32_t>(erased.size()));
    if (step % 97 == 0 || erased.size() < 5) {
      for (size_t r = 0; r < erased.size(); ++r) {
        ASSERT_EQ(live.PositionOfRank(static_cast<int32_t>(r)), erased[r]) << "step " << step;
      }
    }
  }
  // Removing what is gone already changes nothing.
  const int32_t before = live.LiveCount();
  for (int32_t p = 0; p < size; ++p) {
    if (!live.IsLive(p)) live.Remove(p);
  }
  EXPECT_EQ(live.LiveCount(), before);
}

}  // namespace
