#include "host/real_format.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace host {
namespace {

constexpr int32_t kDefaultFracDigits = 6;
constexpr double kSmallestFixed = 1e-5;
constexpr double kLargestFixed = 1e15;

// True when `value` lies exactly halfway between two multiples of
// 10^-digits. With value = m * 2^e (m odd), value * 10^digits has the
// fraction one half exactly when e == -(digits + 1).
bool IsDecimalTie(double value, int32_t digits) {
  if (value == 0.0) return false;
  int exp2 = 0;
  const double mantissa = std::frexp(std::fabs(value), &exp2);
  auto m = static_cast<uint64_t>(std::ldexp(mantissa, 53));
  int64_t e = static_cast<int64_t>(exp2) - 53;
  while ((m & 1u) == 0) {
    m >>= 1;
    ++e;
  }
  return e == -(static_cast<int64_t>(digits) + 1);
}

std::string Printf(const char* format, int32_t digits, double value) {
  const int size = std::snprintf(nullptr, 0, format, static_cast<int>(digits), value);
  std::string text(static_cast<size_t>(size), '\0');
  std::snprintf(text.data(), text.size() + 1, format, static_cast<int>(digits), value);
  return text;
}

// Fixed notation without printf, for the common case of a single-precision
// value (every coordinate of a drawing is one): its 24-bit mantissa times
// 10^digits = 5^digits * 2^digits (5^6 < 2^14) is exact in a double, and so
// is adding a half below 2^52, so the rounding is exact too. False when the
// value is not of that kind. The text is printf's, halves away from zero.
bool FixedExactly(double value, int32_t digits, std::string& text) {
  static constexpr uint64_t kPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
  if (digits < 0 || digits > 6) return false;
  if (value != static_cast<double>(static_cast<float>(value))) return false;
  const double scaled = std::fabs(value) * static_cast<double>(kPowers[digits]);
  if (!(scaled < 4503599627370496.0)) return false;  // 2^52
  const auto units = static_cast<uint64_t>(std::floor(scaled + 0.5));
  const uint64_t whole = units / kPowers[digits];
  uint64_t fraction = units % kPowers[digits];
  char buffer[48];
  char* end = buffer + sizeof buffer;
  char* at = end;
  for (int32_t i = 0; i < digits; ++i) {
    *--at = static_cast<char>('0' + fraction % 10);
    fraction /= 10;
  }
  if (digits > 0) *--at = '.';
  uint64_t rest = whole;
  do {
    *--at = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  if (std::signbit(value)) *--at = '-';
  text.assign(at, end);
  return true;
}

// printf rounds exact halves to even; moving a half one ulp outwards makes
// it round away from zero without reaching the next rounding boundary.
std::string Fixed(double value, int32_t digits) {
  std::string text;
  if (FixedExactly(value, digits, text)) return text;
  if (IsDecimalTie(value, digits)) {
    value = std::nextafter(value, value > 0 ? std::numeric_limits<double>::infinity()
                                            : -std::numeric_limits<double>::infinity());
  }
  return Printf("%.*f", digits, value);
}

void TrimFraction(std::string& text) {
  const size_t point = text.find('.');
  if (point == std::string::npos) return;
  size_t end = text.find_first_of("eE", point);
  if (end == std::string::npos) end = text.size();
  size_t keep = end;
  while (keep > point + 1 && text[keep - 1] == '0') --keep;
  if (keep == point + 1) keep = point;
  text.erase(keep, end - keep);
}

// A value that rounds to zero prints without a sign ("-0" reads as a bug).
void DropNegativeZero(std::string& text) {
  if (text.empty() || text[0] != '-') return;
  if (text.find_first_of("123456789") == std::string::npos) text.erase(0, 1);
}

void PadIntegerPart(std::string& text, int32_t intDigits, char fill) {
  const size_t signLength = (!text.empty() && text[0] == '-') ? 1 : 0;
  size_t digits = 0;
  while (signLength + digits < text.size() && text[signLength + digits] >= '0' &&
         text[signLength + digits] <= '9') {
    ++digits;
  }
  if (intDigits <= 0 || digits >= static_cast<size_t>(intDigits)) return;
  const std::string padding(static_cast<size_t>(intDigits) - digits, fill);
  text.insert(fill == '0' ? signLength : 0, padding);
}

}  // namespace

std::string FormatReal(double value, int32_t intDigits, int32_t fracDigits, bool exponent,
                       char fill) {
  if (!std::isfinite(value)) value = 0.0;
  if (fill < ' ' || fill > '~') fill = '0';
  const double magnitude = std::fabs(value);
  const bool useExponent =
      exponent && value != 0.0 && (magnitude < kSmallestFixed || magnitude > kLargestFixed);
  std::string text;
  if (useExponent) {
    text = Printf("%.*e", fracDigits >= 0 ? fracDigits : kDefaultFracDigits, value);
    if (fracDigits < 0) TrimFraction(text);
  } else {
    text = Fixed(value, fracDigits >= 0 ? fracDigits : kDefaultFracDigits);
    if (fracDigits < 0) TrimFraction(text);
    DropNegativeZero(text);
  }
  PadIntegerPart(text, intDigits, fill);
  return text;
}

}  // namespace host
