// Checks of the counts and lengths a scene file claims in its header against
// the file's real size, made before any importer allocates for them. A tiny
// file that claims two billion vertices is refused at once as damaged,
// instead of making the importer reserve gigabytes.
#pragma once

#include <string>

namespace host::import {

// Why the file's header claims more than the file can hold ("damaged: ...");
// empty when the claims fit, or when the format has no such claims. Reads
// only the header, except for ASCII OFF, whose face indices are checked
// against its vertex count. Covers binary and ASCII PLY, GLB, binary STL and
// OFF.
std::string CheckClaimedSizes(const std::string& path);

}  // namespace host::import
