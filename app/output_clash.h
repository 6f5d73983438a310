// Two outputs of one run that name the same file would write it twice, the
// later over the earlier: the drawing's files, the saved scene, a frame
// range's numbered files, whatever their spelling ("./a.svg" and "a.svg", a
// path through a linked folder, a second link to one file).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace app {

struct PlannedFile {
  std::string path;       // a drawing's with the suffix its format gives it
  bool numbered = false;  // a drawing of a frame range: "NAME-0.ai", "NAME-1.ai", ...
};

// The first file that two of `files` would both write, as the later one
// names it (made absolute); "" when there is none. A numbered drawing writes `frames` files.
std::string SharedOutput(const std::vector<PlannedFile>& files, int64_t frames);

// The usage error for such a file.
std::string SharedOutputError(const std::string& file);

}  // namespace app
