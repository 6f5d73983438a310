// How large a scene may grow: the triangles it expands to, and the memory
// the importer's child process may take to read it.
//
// A file can name one mesh from many nodes, so a small file can ask for more
// triangles than any machine holds. The importers count what a scene expands
// to before they build it and refuse it past the limit, with one line that
// names the count and the limit.
#pragma once

#include <cstdint>
#include <string>

#include "host/api/host_scene_api.h"
#include "host/scene.h"

namespace host::import {

// A whole export of one large mesh takes about 1 kB per triangle at its peak
// (measured: 2 GB for a torus of 2 million triangles, 1 GB for a million
// triangles in 1000 spheres); 4 million triangles fit in about 4 GB.
inline constexpr int64_t kDefaultMaxTriangles = 4'000'000;

// The triangles a polygon becomes: one for a triangle, two for a quadrangle.
inline int64_t TrianglesOf(const HostPolygon& polygon) {
  return polygon.c == polygon.d ? 1 : 2;
}

// The triangles of every polygon object of the scene.
int64_t SceneTriangles(const Scene& scene);

// "the scene expands to 100,000,000 triangles, more than the limit of
// 4,000,000 (--max-triangles)"
std::string TooManyTriangles(int64_t count, int64_t limit);

// A count with its thousands grouped: 100,000,000.
std::string GroupedDigits(int64_t count);

// The address space the importer's child process may add to what it had at
// its start for a scene under `maxTriangles`: room for the importer library's
// own records of every triangle and for the converted objects, plus a fixed
// allowance for the library, its buffers and the large stack it runs on.
uint64_t ImporterMemoryBytes(int64_t maxTriangles);

}  // namespace host::import
