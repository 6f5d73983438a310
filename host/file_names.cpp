#include "host/file_names.h"

namespace host {
namespace {

// Where the file part begins.
size_t FileStart(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

// The position of the dot that starts the suffix, or npos.
size_t SuffixDot(const std::string& path) {
  const size_t start = FileStart(path);
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= start) return std::string::npos;
  return dot;
}

}  // namespace

std::string ComposePath(const std::string& folder, const std::string& file) {
  if (folder.empty()) return file;
  if (file.empty()) return folder;
  const bool folderSlash = folder.back() == '/';
  const bool fileSlash = file.front() == '/';
  if (folderSlash && fileSlash) return folder + file.substr(1);
  if (folderSlash || fileSlash) return folder + file;
  return folder + "/" + file;
}

std::string FilePart(const std::string& path) {
  return path.substr(FileStart(path));
}

std::string FolderPart(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string Suffix(const std::string& path) {
  const size_t dot = SuffixDot(path);
  return dot == std::string::npos ? "" : path.substr(dot + 1);
}

std::string SetSuffix(const std::string& path, const std::string& suffix) {
  const size_t dot = SuffixDot(path);
  std::string result = dot == std::string::npos ? path : path.substr(0, dot);
  const std::string bare = (!suffix.empty() && suffix.front() == '.') ? suffix.substr(1) : suffix;
  if (!bare.empty()) result += "." + bare;
  return result;
}

}  // namespace host
