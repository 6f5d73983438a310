// Running a piece of work on a thread of its own with a large stack.
//
// Importers, ours and the library's, may recurse once per level of a scene's
// hierarchy. Run on the caller's thread (8 MB by default), a file with a few
// ten thousand levels would overflow its stack and end the process; on a
// stack of kLargeStackBytes the same recursion has room for millions of
// levels, far beyond what a file can describe before its other limits apply.
#pragma once

#include <cstddef>
#include <functional>

namespace host::import {

// 1 GiB of address space; only the pages the work touches take memory.
inline constexpr size_t kLargeStackBytes = size_t{1} << 30;

// Runs `work` on a new thread with a stack of `stackBytes` and waits for it.
// An exception thrown by `work` is thrown again here. When no such thread can
// be made, `work` runs on the calling thread.
void RunOnLargeStack(const std::function<void()>& work, size_t stackBytes = kLargeStackBytes);

}  // namespace host::import
