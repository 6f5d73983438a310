// Checks of the export dialog's settings that the program makes before it
// presses export, so that a setting that cannot give a drawing is a usage
// error at once instead of a failure after the work: the settings may come
// from the command line, from the scene's stored export or from both.
#pragma once

#include <string>

#include "host/ui.h"

namespace app {

// An empty string when the dialog's settings can give a drawing; otherwise
// the one line that says which setting is wrong: a frame range whose first
// frame is after its last, or a PNG picture with a side over host::kMaxPngSide
// at the chosen dots per inch.
std::string SettingsTrouble(const HostDialog* dialog);

}  // namespace app
