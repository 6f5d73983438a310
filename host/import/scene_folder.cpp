#include "host/import/scene_folder.h"

#include <algorithm>
#include <system_error>

#include "host/file_names.h"

namespace host::import {

namespace fs = std::filesystem;

namespace {

// Absolute, with "." and ".." and every symbolic link of the part that
// exists resolved; empty when that fails.
fs::path Resolved(const fs::path& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  if (error) return {};
  fs::path resolved = fs::weakly_canonical(absolute, error);
  return error ? fs::path() : resolved;
}

}  // namespace

SceneFolder::SceneFolder(const std::string& scenePath) {
  given_ = FolderPart(scenePath);
  if (!given_.empty() && given_.back() != '/') given_ += '/';
  resolved_ = Resolved(given_.empty() ? fs::path(".") : fs::path(given_));
  scene_ = Resolved(scenePath);
}

fs::path SceneFolder::Resolve(const std::string& path) const {
  // A folder that could not be resolved holds nothing: refusing every
  // companion is the safe side.
  if (resolved_.empty() || path.empty()) return {};
  const fs::path file = Resolved(path);
  if (file.empty()) return {};
  if (file == scene_) return file;
  // Inside when the folder's names are the first names of the file's path.
  const auto [folderRest, fileRest] =
      std::mismatch(resolved_.begin(), resolved_.end(), file.begin(), file.end());
  if (folderRest != resolved_.end()) return {};
  return file;
}

std::string SceneFolder::AsWritten(const std::string& path) const {
  if (!given_.empty() && path.size() > given_.size() && path.rfind(given_, 0) == 0) {
    return path.substr(given_.size());
  }
  return path;
}

}  // namespace host::import
