// Where the program finds what it ships with: the export module (with its
// resources beside it) and the bundled example. In the build folder they
// sit beside the program; installed under a prefix, the program is
// PREFIX/bin/vexmark, the module PREFIX/lib/vexmark/vexmark_module.so and
// the example in PREFIX/share/vexmark/examples. Both are found relative to
// the program, so an installed tree can be moved as a whole.
#pragma once

#include <string>
#include <vector>

namespace app {

// The places the module may be, in the order they are tried.
std::vector<std::string> ModuleCandidates(const std::string& programFolder);

// The first candidate that exists; empty with `error` naming every place
// looked at when none does.
std::string FindModule(const std::string& programFolder, std::string& error);

// The folders the bundled example may be in, in the order they are tried.
std::vector<std::string> ExampleFolders(const std::string& programFolder);

}  // namespace app
