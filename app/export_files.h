// The files an export or a scene save would write, and what is in their
// way: the steps the command line and the studio share, so that both keep
// the same rules (which drawings a name replaces, where a scene may be
// saved, the one line that says why an export did not end well).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/document.h"
#include "host/ui.h"

namespace app {

// The drawings that an export to `chosen` would replace: the file itself
// for one frame; for a range (`range`), the numbered files "<name>-<n>.ai"
// (or .eps, .svg, .pdf, .png) beside it.
std::vector<std::string> ExistingDrawings(const std::string& chosen, bool range);

// How many files the dialog's frame range writes: from the first to the
// last frame (document frames at the scene's rate) at the export rate.
int64_t FramesToWrite(const HostDialog* dialog, const HostDocument& doc);

// Why the scene must not be saved over `target` whatever the user says:
// it is not an ordinary file, or it is the scene being read (by file
// identity, so that another spelling of the same path is caught too). Empty
// when nothing is there yet or when it may be replaced with the user's
// consent; `exists` then says whether it is there.
std::string SceneSaveRefusal(const std::string& scene, const std::string& target, bool& exists);

// Whether the folder that `output` names exists, so that the export can
// write there; otherwise `error` says what is wrong with it.
bool OutputFolderUsable(const std::string& output, std::string& error);

// The one line that says why an export did not end well; empty when it did.
// `written` are the files this export wrote, `firstFailure` the index of
// this export's first entry in host::FileFailures().
std::string ExportTrouble(const std::vector<std::string>& written, bool outOfMemory, bool stopped,
                          size_t emptyFrames, size_t firstFailure = 0);

}  // namespace app
