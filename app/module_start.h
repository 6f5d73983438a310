// The export module (beside the program, or where it is installed), loaded and started as the
// command line and the studio both need it.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "host/module_loader.h"

namespace app {

// The module file found relative to the program (app/install_layout.h), initialised and started; null with
// one line in `error` when it cannot be loaded, refuses this host or cannot
// start.
std::unique_ptr<host::LoadedModule> StartModule(const std::filesystem::path& programFolder,
                                                std::string& error);

}  // namespace app
