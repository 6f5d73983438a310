// Exact times: reduction, addition, comparison and frames.
#include <gtest/gtest.h>

#include <limits>

#include "host_fixture.h"

namespace {

class HostTimeTest : public HostTest {};

constexpr int64_t kBig = 5'000'000'000'000'000'001;  // 2 * kBig overflows 64 bits

TEST_F(HostTimeTest, ReducesToLowestTermsWithPositiveDenominator) {
  struct Case {
    int64_t num, den, expectedNum, expectedDen;
  };
  const Case cases[] = {
      {12, 12, 1, 1}, {6, 4, 3, 2}, {3, -6, -1, 2}, {-3, -6, 1, 2}, {0, 7, 0, 1}, {5, 0, 0, 1},
  };
  for (const Case& c : cases) {
    const Time t(c.num, c.den);
    EXPECT_EQ(t.num, c.expectedNum) << c.num << "/" << c.den;
    EXPECT_EQ(t.den, c.expectedDen) << c.num << "/" << c.den;
  }
}

TEST_F(HostTimeTest, AddsExactlyEvenWhenTheCrossTermsOverflow) {
  const Time sum = Time(1, 3) + Time(1, 6);
  EXPECT_EQ(sum.num, 1);
  EXPECT_EQ(sum.den, 2);
  const Time third = Time(1, 3);
  EXPECT_TRUE(third + third + third == Time(1, 1));

  const Time half(kBig, 2);
  const Time whole = half + half;
  EXPECT_EQ(whole.num, kBig);
  EXPECT_EQ(whole.den, 1);
}

TEST_F(HostTimeTest, ComparesByCrossMultiplicationWithoutOverflow) {
  EXPECT_EQ(Compare(Time(12, 12), Time(1, 1)), 0);
  Time unreduced;  // as a caller filling the fields by hand might leave it
  unreduced.num = 12;
  unreduced.den = 12;
  EXPECT_EQ(Compare(unreduced, Time(1, 1)), 0);
  EXPECT_TRUE(unreduced == Time(1, 1));
  EXPECT_TRUE(Time(1, 3) < Time(1, 2));
  EXPECT_TRUE(Time(-1, 2) < Time(0, 1));

  // kBig * 3 and kBig * 7 overflow 64 bits.
  EXPECT_TRUE(Time(kBig, 7) < Time(kBig, 3));
  EXPECT_TRUE(Time(kBig, 3) <= Time(kBig, 3));
  EXPECT_FALSE(Time(kBig, 3) < Time(kBig - 1, 3));
}

TEST_F(HostTimeTest, ToFrameRoundsDown) {
  EXPECT_EQ(Time(1, 2).ToFrame(30), 15);
  EXPECT_EQ(Time(1, 7).ToFrame(30), 4);
  EXPECT_EQ(Time(-1, 7).ToFrame(30), -5) << "towards minus infinity";
  EXPECT_EQ(Time::FromFrame(13, 12).ToFrame(12), 13);
  EXPECT_EQ(Time(kBig, 1).ToFrame(1), kBig);
}

}  // namespace
