// `vexmark studio`: serves the studio's page and its JSON interface
// (docs/studio-api.md) on 127.0.0.1 until SIGINT or SIGTERM.
#pragma once

#include <filesystem>

#include "app/options.h"

namespace app::studio {

// Runs the studio; returns the program's exit status.
int RunStudio(const Options& options, const std::filesystem::path& programFolder);

}  // namespace app::studio
