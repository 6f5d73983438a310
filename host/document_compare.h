// Whether two documents hold the same items: data containers, objects with
// their tree, matrices, geometry, tags, cameras and tracks, materials and
// the view. Used to check that a saved and reloaded document is the one
// that was saved.
#pragma once

#include <string>

#include "host/document.h"

namespace host {

// Empty when the documents are equal, else where they first differ
// ("objects[2].tags[0].data"). NaN equals NaN here: a stored NaN that reads
// back as NaN is the same value.
std::string DocumentDifference(const HostDocument& a, const HostDocument& b);
std::string ContainerDifference(const HostContainer& a, const HostContainer& b);

}  // namespace host
