// Importing in a child process.
//
// The importer library is large and, on damaged files, can crash: fuzzing
// found invalid reads in its OFF and PLY readers that end the process with
// SIGSEGV or SIGBUS, and there is no way to catch them safely. Run in a
// child, such a crash ends only the child and the file is refused as
// damaged, with one line, like any other damaged file.
//
// The child sends its result back through a pipe: the report and the
// document's structure in the native format (as CBOR), then the points and
// polygons of every object as raw arrays, which are by far the largest part
// and cost no more than a copy.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "host/document.h"
#include "host/import/import_report.h"

namespace host::import {

using ImportWork = std::function<std::unique_ptr<HostDocument>(ImportReport&)>;

// Runs `work` in a child process and returns the document it made, or null
// with the reason in `report` (also when the child crashed or was killed).
// The child may take `memoryBytes` of address space beyond what it starts
// with (0: no bound of its own); a child that runs out of memory, and one
// that this process has no room to take the result of, fail the report for
// lack of memory. When no child process can be started, `work` runs in this
// process.
// Call it while the process runs a single thread: the child gets a copy of
// the calling thread only, and a lock another thread held at the fork (the
// sanitizers' allocator takes no care of forks) would never be released.
std::unique_ptr<HostDocument> ImportInChildProcess(const ImportWork& work, ImportReport& report,
                                                   uint64_t memoryBytes = 0);

}  // namespace host::import
