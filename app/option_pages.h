// The installed pages made from the option table (app/option_table.h): the
// manual page and the bash completion, printed by the hidden options
// --man-page and --bash-completion and installed with the program, so that
// neither can name an option the program does not take or miss one.
#pragma once

#include <string>

#include "app/options.h"

namespace app {

// The manual page, vexmark(1), in roff (man -l reads it).
std::string ManPage();

// A bash completion script: `complete -F _vexmark vexmark`, completing
// option names, the values of options with choices and switches, and file
// names after options that take a file and for the scene.
std::string BashCompletion();

// The page a developer option asked for (--markdown-options, --man-page,
// --bash-completion); empty when none did.
std::string RequestedOptionPage(const Options& options);

}  // namespace app
