// The studio's bound on requests: a burst goes through, the next request is
// refused, and the bound refills with time at its rate, never above the burst.
#include "app/studio/request_rate.h"

#include <gtest/gtest.h>

namespace {

using app::studio::RequestRate;
using Clock = std::chrono::steady_clock;

TEST(RequestRateTest, AdmitsABurstThenRefillsAtItsRateUpToTheBurst) {
  RequestRate rate(10, 5);
  const Clock::time_point start = Clock::now();
  for (int k = 0; k < 5; ++k) EXPECT_TRUE(rate.Admit(start)) << k;
  EXPECT_FALSE(rate.Admit(start));
  // A tenth of a second at 10 a second gives one more.
  EXPECT_TRUE(rate.Admit(start + std::chrono::milliseconds(100)));
  EXPECT_FALSE(rate.Admit(start + std::chrono::milliseconds(100)));
  // A long quiet spell gives the burst again, not more.
  const Clock::time_point later = start + std::chrono::seconds(60);
  for (int k = 0; k < 5; ++k) EXPECT_TRUE(rate.Admit(later)) << k;
  EXPECT_FALSE(rate.Admit(later));
}

}  // namespace
