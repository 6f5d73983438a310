// Temporary files that become a file in place only when complete. A drawing
// or a saved scene is written to a new file beside its target and renamed
// over the target at the end; until then the host keeps the temporary file's
// name, so that an interrupted program can remove every one it left open.
//
// A temporary file is created exclusively (never over an existing file and
// never through a symbolic link) under a unique name in the target's folder:
// ".<target's file name>.<six random characters>.part".
#pragma once

#include <string>

namespace host {

// Creates a new empty temporary file for `target`; returns its descriptor
// (open for writing) and sets `name`, or returns -1 with errno set.
int CreateTemporaryFile(const std::string& target, std::string& name);

// Renames the temporary file `name` to `target` and forgets it. Only an
// ordinary file (or nothing) is ever replaced: a folder, device, FIFO or
// symbolic link at `target` is refused with errno EEXIST. False with errno
// set on failure; the temporary file is then still known and still there.
bool CommitTemporaryFile(const std::string& name, const std::string& target);

// Removes the temporary file `name` and forgets it. False when `name` is not
// a temporary file of this process.
bool DiscardTemporaryFile(const std::string& name);

// Whether `name` is a temporary file of this process not yet committed or
// discarded.
bool IsTemporaryFile(const std::string& name);

// Removes every temporary file not yet committed or discarded and keeps any
// other thread from creating or committing one from then on; for a program
// that is about to end at once because of a signal.
void RemoveTemporaryFilesForExit();

}  // namespace host
