#include "app/install_layout.h"

#include <filesystem>

namespace app {

namespace fs = std::filesystem;

std::vector<std::string> ModuleCandidates(const std::string& programFolder) {
  const fs::path folder(programFolder);
  return {(folder / "vexmark_module.so").string(),
          (folder.parent_path() / "lib" / "vexmark" / "vexmark_module.so").string()};
}

std::string FindModule(const std::string& programFolder, std::string& error) {
  const std::vector<std::string> candidates = ModuleCandidates(programFolder);
  for (const std::string& path : candidates)
    if (fs::is_regular_file(path)) return path;
  error = "cannot find the export module vexmark_module.so; looked for";
  for (size_t k = 0; k < candidates.size(); ++k)
    error += (k == 0 ? " " : " and ") + candidates[k];
  return "";
}

std::vector<std::string> ExampleFolders(const std::string& programFolder) {
  const fs::path folder(programFolder);
  return {(folder / "examples").string(),
          (folder.parent_path() / "share" / "vexmark" / "examples").string(),
          (fs::path(VEXMARK_SOURCE_DIR) / "examples").string()};
}

}  // namespace app
