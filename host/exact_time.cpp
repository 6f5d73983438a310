#include "host/exact_time.h"

#include <cstdint>

namespace host {

HostTime ReduceTime(HostTime t) {
  if (t.den == 0 || t.num == 0) return HostTime{0, 1};
  // Work in 128 bits so that negating INT64_MIN stays defined.
  __int128 num = t.num;
  __int128 den = t.den;
  if (den < 0) {
    num = -num;
    den = -den;
  }
  const __int128 a = num < 0 ? -num : num;
  __int128 x = a, y = den;
  while (y != 0) {
    const __int128 r = x % y;
    x = y;
    y = r;
  }
  num /= x;
  den /= x;
  // Only INT64_MIN over -1 (or over a negative odd denominator) cannot be
  // represented; such a time saturates.
  constexpr __int128 kMax = INT64_MAX;
  if (num > kMax) num = kMax;
  if (den > kMax) den = kMax;
  return HostTime{static_cast<int64_t>(num), static_cast<int64_t>(den)};
}

}  // namespace host
