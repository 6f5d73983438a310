// Sets the export dialog's gadgets from the command line, the way a user
// would fill the window, and presses its export button.
#pragma once

#include <string>
#include <vector>

#include "app/options.h"
#include "host/ui.h"

namespace app {

// False with `error` set when an option cannot be applied (an unknown
// preset, say).
bool ApplyDialogOptions(const Options& options, HostDialog* dialog, std::string& error);

// Clicks export; true when the export started (the dialog shows its running
// layout).
bool PressExport(HostDialog* dialog);

// Whether the dialog's range spans more than one frame, so that every frame
// goes to a numbered file of its own.
bool ExportsFrameRange(const HostDialog* dialog);
// The output file the dialog names; empty when it names none yet.
std::string ChosenOutput(const HostDialog* dialog);
// That file, then the further files of the same drawing.
std::vector<std::string> ChosenOutputs(const HostDialog* dialog);

}  // namespace app
