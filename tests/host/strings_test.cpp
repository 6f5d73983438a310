// Host strings through the String wrapper: value semantics, search,
// sub-strings and number formatting.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <limits>

#include "host_fixture.h"

namespace {

class HostStringTest : public HostTest {};

TEST_F(HostStringTest, ValueSemanticsAndConcatenation) {
  String a("abc");
  String b = a;
  b += String("def");
  EXPECT_EQ(a, "abc") << "a copy is independent";
  EXPECT_EQ(b, "abcdef");
  EXPECT_EQ(b.Length(), 6);

  String c;
  c = b;
  c += c;  // appending to itself
  EXPECT_EQ(c, "abcdefabcdef");
  EXPECT_EQ(String("x") + String("y"), "xy");
  EXPECT_TRUE(String().Empty());
  EXPECT_EQ(String(nullptr), "");
}

TEST_F(HostStringTest, FindCharFromAnIndex) {
  const String s("a/b/c");
  EXPECT_EQ(s.FindChar('/'), 1);
  EXPECT_EQ(s.FindChar('/', 2), 3);
  EXPECT_EQ(s.FindChar('/', 4), -1);
  EXPECT_EQ(s.FindChar('x'), -1);
  EXPECT_EQ(s.FindChar('a', -5), 0) << "a negative start searches from the beginning";
  EXPECT_EQ(s.FindChar('a', 99), -1);
  EXPECT_EQ(String("gr\xc3\xbcn").FindChar('\xbc'), 3) << "bytes above 127";
}

TEST_F(HostStringTest, SubClampsOutOfRangeRequests) {
  const String s("abcdef");
  struct Case {
    int32_t start, count;
    const char* expected;
  };
  const Case cases[] = {
      {0, 3, "abc"}, {2, 2, "cd"}, {4, 10, "ef"}, {-3, 2, "ab"},
      {6, 1, ""},    {10, 2, ""},  {1, -1, ""},   {0, 6, "abcdef"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(s.Sub(c.start, c.count), c.expected) << c.start << ", " << c.count;
  }
}

TEST_F(HostStringTest, FromInt) {
  EXPECT_EQ(String::FromInt(0), "0");
  EXPECT_EQ(String::FromInt(-42), "-42");
  EXPECT_EQ(String::FromInt(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
}

TEST_F(HostStringTest, FromRealFormatsAsTheExporterNeeds) {
  struct Case {
    double value;
    int32_t intDigits, fracDigits;
    bool exponent;
    char fill;
    const char* expected;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      // The default form: fixed, up to 6 fractional digits, trimmed.
      {0.5, -1, -1, false, '0', "0.5"},
      {2.0, -1, -1, false, '0', "2"},
      {-0.25, -1, -1, false, '0', "-0.25"},
      {1e-9, -1, -1, false, '0', "0"},
      {-1e-9, -1, -1, false, '0', "0"},
      {123456.789, -1, -1, false, '0', "123456.789"},
      {1.0 / 3.0, -1, -1, false, '0', "0.333333"},
      {2.0 / 3.0, -1, -1, false, '0', "0.666667"},
      {1e20, -1, -1, false, '0', "100000000000000000000"},
      // Exponent form only when allowed and far from 1.
      {1e20, -1, -1, true, '0', "1e+20"},
      {1.5e-7, -1, -1, true, '0', "1.5e-07"},
      {0.001, -1, -1, true, '0', "0.001"},
      {0.0, -1, -1, true, '0', "0"},
      // Fixed fractional digits, halves away from zero.
      {128.0 / 255.0, 1, 5, false, '0', "0.50196"},
      {0.125, -1, 2, false, '0', "0.13"},
      {-0.125, -1, 2, false, '0', "-0.13"},
      {2.5, -1, 0, false, '0', "3"},
      {0.1, -1, 3, false, '0', "0.100"},
      {-0.0001, -1, 2, false, '0', "0.00"},
      {9.9996, -1, 3, false, '0', "10.000"},
      // Padding of the integer part.
      {5.0, 3, 2, false, '0', "005.00"},
      {-5.0, 3, -1, false, '0', "-005"},
      {5.25, 4, -1, false, ' ', "   5.25"},
      {12345.0, 2, 0, false, '0', "12345"},
      // Not a number: a sensible text, never garbage.
      {nan, -1, -1, false, '0', "0"},
      {inf, -1, 2, false, '0', "0.00"},
      {-inf, -1, -1, true, '0', "0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(String::FromReal(c.value, c.intDigits, c.fracDigits, c.exponent, c.fill), c.expected)
        << c.value << " int " << c.intDigits << " frac " << c.fracDigits << " exp " << c.exponent;
  }
}

// `value` rounded to `digits` fractional digits, halves away from zero,
// from its exact decimal expansion (every float has at most 149 fractional
// digits), with no sign when nothing but zeros is left.
std::string ExactlyRounded(float value, int digits) {
  char exact[256];
  std::snprintf(exact, sizeof exact, "%.160f", static_cast<double>(std::fabs(value)));
  std::string text(exact);
  const size_t point = text.find('.');
  std::string kept = text.substr(0, point) + text.substr(point + 1, digits);
  if (text[point + 1 + digits] >= '5') {  // a half or more: away from zero
    int i = static_cast<int>(kept.size()) - 1;
    while (i >= 0 && kept[i] == '9') kept[i--] = '0';
    if (i < 0) {
      kept.insert(0, "1");
    } else {
      ++kept[i];
    }
  }
  std::string result = kept.substr(0, kept.size() - digits);
  if (digits > 0) result += "." + kept.substr(kept.size() - digits);
  const bool zero = result.find_first_of("123456789") == std::string::npos;
  return (std::signbit(value) && !zero ? "-" : "") + result;
}

// Drawings print single-precision coordinates: random ones over many
// magnitudes, and the exact halves (odd multiples of 2^-(digits + 1)), come
// out as their exact decimal value rounded.
TEST_F(HostStringTest, FromRealRoundsSinglePrecisionValuesExactly) {
  uint64_t state = 12345;
  const auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  for (int i = 0; i < 20000; ++i) {
    const float mantissa = static_cast<float>(next() % (1u << 24)) / (1u << 24);
    const int exponent = static_cast<int>(next() % 56) - 28;
    const float value = std::ldexp(mantissa, exponent) * (next() % 2 == 0 ? 1.0f : -1.0f);
    const int digits = static_cast<int>(next() % 7);
    ASSERT_EQ(String::FromReal(value, -1, digits, false, '0'),
              ExactlyRounded(value, digits).c_str())
        << value << " to " << digits << " digits";
  }
  for (int digits = 0; digits <= 6; ++digits) {
    for (int odd = -4001; odd <= 4001; odd += 2) {
      const float value = std::ldexp(static_cast<float>(odd), -(digits + 1));
      ASSERT_EQ(String::FromReal(value, -1, digits, false, '0'),
                ExactlyRounded(value, digits).c_str())
          << value << " to " << digits << " digits";
    }
  }
}

TEST_F(HostStringTest, ReturnedStringsAreCountedUntilFreed) {
  const int64_t before = host::GetLiveHandles().strings;
  {
    String a("x");
    String b = a.Sub(0, 1);
    EXPECT_EQ(host::GetLiveHandles().strings - before, 2);
  }
  EXPECT_EQ(host::GetLiveHandles().strings, before);
}

}  // namespace
