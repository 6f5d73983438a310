// Counts the host objects handed out through the table and not yet freed, so
// that tests can tell when a module leaks a handle.
#pragma once

#include <cstdint>

namespace host {

enum class HandleKind { kString, kContainer, kThread, kFile, kResource, kSelection, kNeighbours };

void CountHandle(HandleKind kind, int64_t delta);

}  // namespace host
