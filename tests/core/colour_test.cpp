// The one conversion from a Colour to the bytes a drawing carries, and the
// exact equality that groups page colours.
#include "core/colour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(PageColourTest, ChannelsAreTruncatedAndHeldToAByte) {
  struct Case {
    const char* name;
    float channel;
    int byte;
  };
  const Case cases[] = {
      {"zero", 0.0f, 0},
      {"negative", -0.5f, 0},
      {"not a number", std::numeric_limits<float>::quiet_NaN(), 0},
      {"half truncates 127.5", 0.5f, 127},
      {"128 / 255 comes back as 128", 128.0f / 255.0f, 128},
      {"just below one", std::nextafter(1.0f, 0.0f), 254},
      {"one", 1.0f, 255},
      {"above one", 2.0f, 255},
      {"infinite", std::numeric_limits<float>::infinity(), 255},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ColourByte(c.channel), c.byte) << c.name;
  }
}

TEST(PageColourTest, APageColourIsOpaqueAndKeepsTheChannelOrder) {
  const PageColour page = PageColourOf(Colour{1.0f, 0.5f, 0.0f});
  EXPECT_EQ(page.r, 255);
  EXPECT_EQ(page.g, 127);
  EXPECT_EQ(page.b, 0);
  EXPECT_EQ(page.a, 255);
  EXPECT_EQ(sizeof(PageColour), 4u) << "every polygon record holds one";
}

TEST(PageColourTest, EqualityComparesAllFourBytes) {
  const PageColour grey{127, 127, 127, 255};
  EXPECT_EQ(grey, (PageColour{127, 127, 127, 255}));
  EXPECT_FALSE(grey == (PageColour{127, 127, 127, 0})) << "alpha counts";
  EXPECT_FALSE(grey == (PageColour{127, 127, 128, 255}));
}

}  // namespace
