// Colour: red, green and blue, 1 the full channel, in single precision as the
// host gives colours (material channels, export tags, the options and their
// dialog fields). Stages turn it into the bytes a drawing carries (RGBA, 0
// to 255: DeriveLineColour, PolygonFillColour, capture's polygon colour).
//
// On the host's side of the boundary a colour travels as a HostVector
// (x red, y green, z blue); FromHostColour and ToHostColour convert at the
// place it is read or stored.
#pragma once

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
