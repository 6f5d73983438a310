// Temporary files that become a file in place only when complete. A drawing
// or a saved scene is written to a new file beside its target and put in
// place at the end; until then the host keeps the temporary file's name, so
// that an interrupted program can remove every one it left open.
//
// Where the file system allows, a temporary file has no name at all
// (O_TMPFILE) and gets the target's name only when it is put in place: a run
// killed outright leaves nothing behind. Elsewhere it is created exclusively
// (never over an existing file and never through a symbolic link) under a
// unique name in the target's folder, ".<target's file name>.<six random
// characters>.part", and locked (flock) while this process lives. The first
// temporary file a run makes in a folder removes the named ones there that
// are older than that run and not locked: the leftovers of a killed run.
//
// Putting a file in place replaces an existing file only when allowed: by
// default always; a program that asks the user first allows it only for the
// files the user agreed to (SetReplaceAllowed, AllowReplacing). A file that
// appeared after the question is then kept and the commit fails with
// kErrorNotReplaced.
#pragma once

#include <functional>
#include <string>

namespace host {

// The errno-like code of a commit refused because a file of the target's
// name exists and replacing it was not allowed; FileErrorText says so.
inline constexpr int kErrorNotReplaced = 0x10000;

// Creates a new empty temporary file for `target`; returns its descriptor
// (open for writing) and sets `name`, or returns -1 with errno set. The
// name of an unnamed file is a key for the calls below, not a file on disk.
int CreateTemporaryFile(const std::string& target, std::string& name);

// Puts the temporary file `name` in place as `target` and forgets it. Only
// an ordinary file (or nothing) is ever replaced: a folder, device, FIFO or
// symbolic link at `target` is refused with errno EEXIST; an ordinary file
// is replaced only when allowed, else refused with kErrorNotReplaced. False
// with errno set on failure; the temporary file is then still known (and,
// when named, still there). The caller has closed its descriptor.
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

// Whether a commit may replace any existing ordinary file (true, the
// default) or only those named by AllowReplacing since.
void SetReplaceAllowed(bool always);
// Lets a commit replace `target` (any spelling of the same path).
void AllowReplacing(const std::string& target);

// For tests: `hook` runs just before each commit puts a file in place, with
// the target's name (null: none); `unnamed` false makes every temporary file
// a named one, as on a file system without unnamed files.
void SetBeforeCommitHook(std::function<void(const std::string& target)> hook);
void SetUnnamedTemporaryFiles(bool unnamed);

// Back to the defaults above; forgets nothing of the live files.
void ResetTemporaryFilePolicy();

}  // namespace host
