#include "app/standard_output.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace app {

namespace fs = std::filesystem;

StandardOutputDrawing::~StandardOutputDrawing() {
  std::error_code ignored;
  if (!folder_.empty()) fs::remove_all(folder_, ignored);
}

bool StandardOutputDrawing::Prepare(Options& options, std::string& error) {
  const std::vector<std::string>& outputs = options.outputs;
  if (std::find(outputs.begin(), outputs.end(), "-") == outputs.end()) return true;
  if (outputs.size() > 1) {
    error = "-o - (the drawing to standard output) cannot go with another -o";
    return false;
  }
  std::string pattern = (fs::temp_directory_path() / "vexmark-stdout-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    error = "-o -: cannot make a temporary folder in " + fs::temp_directory_path().string();
    return false;
  }
  folder_ = pattern;
  file_ = (fs::path(folder_) / ("drawing." + options.format.value_or("ai"))).string();
  options.outputs = {file_};
  options.drawingToStdout = true;
  return true;
}

bool StandardOutputDrawing::Send(std::ostream& out, std::string& error) const {
  if (file_.empty()) return true;
  std::ifstream in(file_, std::ios::binary);
  if (!in) {
    error = "-o -: the drawing was not written";
    return false;
  }
  out << in.rdbuf();
  return true;
}

}  // namespace app
