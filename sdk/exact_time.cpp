#include "sdk/exact_time.h"

namespace {

int64_t Gcd(int64_t a, int64_t b) {
  if (a < 0) a = -a;
  if (b < 0) b = -b;
  while (b != 0) {
    const int64_t r = a % b;
    a = b;
    b = r;
  }
  return a;
}

}  // namespace

Time::Time(int64_t numerator, int64_t denominator) : HostTime{0, 1} {
  if (denominator == 0) return;
  if (denominator < 0) {
    numerator = -numerator;
    denominator = -denominator;
  }
  const int64_t g = Gcd(numerator, denominator);
  num = g == 0 ? 0 : numerator / g;
  den = g == 0 ? 1 : denominator / g;
}

int64_t Time::ToFrame(int64_t fps) const {
  const __int128 scaled = static_cast<__int128>(num) * fps;
  __int128 frame = scaled / den;
  if (scaled % den != 0 && scaled < 0) frame -= 1;  // round towards minus infinity
  return static_cast<int64_t>(frame);
}

// The cross terms are formed in 128 bits: for large numerators they overflow
// 64 bits even when the reduced sum fits.
Time operator+(const Time& a, const Time& b) {
  const int64_t g = Gcd(a.den, b.den);
  const int64_t scaleA = b.den / g;
  __int128 num = static_cast<__int128>(a.num) * scaleA + static_cast<__int128>(b.num) * (a.den / g);
  __int128 den = static_cast<__int128>(a.den) * scaleA;
  __int128 x = num < 0 ? -num : num;
  __int128 y = den;
  while (y != 0) {
    const __int128 r = x % y;
    x = y;
    y = r;
  }
  if (x > 1) {
    num /= x;
    den /= x;
  }
  return Time(static_cast<int64_t>(num), static_cast<int64_t>(den));
}

int Compare(const Time& a, const Time& b) {
  const __int128 left = static_cast<__int128>(a.num) * b.den;
  const __int128 right = static_cast<__int128>(b.num) * a.den;
  return left < right ? -1 : (left > right ? 1 : 0);
}
