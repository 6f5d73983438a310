// The two colour types of the module.
//
// Colour: red, green and blue, 1 the full channel, in single precision as the
// host gives colours (material channels, export tags, the options and their
// dialog fields). On the host's side of the boundary a colour travels as a
// HostVector (x red, y green, z blue); FromHostColour and ToHostColour
// convert at the place it is read or stored.
//
// PageColour: a colour as the drawing carries it, red, green, blue and alpha
// as bytes, 0 to 255. Every polygon record holds one, so it stays four bytes;
// regions, line groups and pens are grouped by exact equality of all four.
// PageColourOf is the one way from a Colour to a PageColour.
#pragma once

#include <cstdint>

#include "host/api/host_api.h"

struct Colour {
  float r = 0.0f;
  float g = 0.0f;
  float b = 0.0f;
};

inline Colour FromHostColour(const HostVector& v) {
  return Colour{v.x, v.y, v.z};
}
inline HostVector ToHostColour(const Colour& c) {
  return HostVector{c.r, c.g, c.b};
}

struct PageColour {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  uint8_t a = 0;

  friend bool operator==(const PageColour&, const PageColour&) = default;
};

inline constexpr PageColour kOpaqueBlack{0, 0, 0, 255};
inline constexpr PageColour kOpaqueWhite{255, 255, 255, 255};

// trunc(255 x channel), the product in single precision, held to 0..255;
// a channel that is not a number gives 0.
inline uint8_t ColourByte(float channel) {
  const float scaled = 255.0f * channel;
  if (!(scaled > 0.0f)) return 0;
  if (scaled >= 255.0f) return 255;
  return static_cast<uint8_t>(scaled);
}

// The opaque page colour of `c` (alpha 255).
inline PageColour PageColourOf(const Colour& c) {
  return PageColour{ColourByte(c.r), ColourByte(c.g), ColourByte(c.b), 255};
}
