// Exact time as a reduced fraction, the host's time of documents and frames.
#pragma once

#include <cstdint>

#include "host/api/host_api.h"

struct Time : HostTime {
  Time() : HostTime{0, 1} {}
  Time(int64_t numerator, int64_t denominator);    // reduces; denominator 0 gives 0
  Time(const HostTime& t) : Time(t.num, t.den) {}  // NOLINT
  static Time FromFrame(int64_t frame, int64_t fps) { return Time(frame, fps); }
  // The frame at `fps` that this time falls in (rounded down).
  int64_t ToFrame(int64_t fps) const;
  double Seconds() const {
    return den == 0 ? 0.0 : static_cast<double>(num) / static_cast<double>(den);
  }
  friend Time operator+(const Time& a, const Time& b);
  // Compares exactly by cross-multiplication.
  friend int Compare(const Time& a, const Time& b);
  friend bool operator<(const Time& a, const Time& b) { return Compare(a, b) < 0; }
  friend bool operator<=(const Time& a, const Time& b) { return Compare(a, b) <= 0; }
  friend bool operator==(const Time& a, const Time& b) { return Compare(a, b) == 0; }
};
