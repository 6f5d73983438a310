#include "app/output_clash.h"

#include <sys/stat.h>

#include <filesystem>

namespace app {
namespace {

namespace fs = std::filesystem;

// A file as the system finds it: its folder with links and ".." resolved,
// and its own name as given.
struct ResolvedFile {
  fs::path absolute;  // as named, from the working folder
  fs::path folder;
  std::string name;
  std::string stem;    // the name without its suffix
  std::string suffix;  // with its dot
  const PlannedFile* planned = nullptr;
};

ResolvedFile Resolve(const PlannedFile& file) {
  std::error_code error;
  const fs::path absolute = fs::absolute(file.path, error).lexically_normal();
  fs::path folder = fs::weakly_canonical(absolute.parent_path(), error);
  if (error) folder = absolute.parent_path();
  const fs::path name = absolute.filename();
  return {absolute, folder, name.string(), name.stem().string(), name.extension().string(), &file};
}

// Whether `digits` is how the drawing writer numbers a frame below `frames`.
bool IsFrameNumber(const std::string& digits, int64_t frames) {
  if (digits.empty() || digits.size() > 18 ||
      digits.find_first_not_of("0123456789") != std::string::npos ||
      (digits.size() > 1 && digits[0] == '0'))
    return false;
  return std::stoll(digits) < frames;
}

// Whether the plain file `plain` is one of the numbered files of `numbered`.
bool IsNumberedFileOf(const ResolvedFile& plain, const ResolvedFile& numbered, int64_t frames) {
  const std::string prefix = numbered.stem + "-";
  return plain.suffix == numbered.suffix && plain.stem.size() > prefix.size() &&
         plain.stem.compare(0, prefix.size(), prefix) == 0 &&
         IsFrameNumber(plain.stem.substr(prefix.size()), frames);
}

// Two existing names of one file (hard links).
bool SameExistingFile(const std::string& a, const std::string& b) {
  struct stat first {
  }, second{};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// The name under which `a` and `b` (b the later) write one file; "" when
// they do not.
std::string Shared(const ResolvedFile& a, const ResolvedFile& b, int64_t frames) {
  const bool sameFolder = a.folder == b.folder;
  const bool numberedA = a.planned->numbered;
  const bool numberedB = b.planned->numbered;
  // Numbered names split at their last '-': two numbered drawings meet only
  // when their names are the same, and then in every frame.
  if (numberedA == numberedB) {
    const bool same = (sameFolder && a.name == b.name) ||
                      (!numberedA && SameExistingFile(a.planned->path, b.planned->path));
    if (!same) return "";
    return numberedB ? (b.absolute.parent_path() / (b.stem + "-0" + b.suffix)).string()
                     : b.absolute.string();
  }
  if (!sameFolder) return "";
  if (numberedA && IsNumberedFileOf(b, a, frames)) return b.absolute.string();
  if (numberedB && IsNumberedFileOf(a, b, frames)) return a.absolute.string();
  return "";
}

}  // namespace

std::string SharedOutput(const std::vector<PlannedFile>& files, int64_t frames) {
  std::vector<ResolvedFile> resolved;
  for (const PlannedFile& file : files)
    if (!file.path.empty()) resolved.push_back(Resolve(file));
  for (size_t j = 1; j < resolved.size(); ++j)
    for (size_t i = 0; i < j; ++i) {
      const std::string shared = Shared(resolved[i], resolved[j], frames);
      if (!shared.empty()) return shared;
    }
  return "";
}

std::string SharedOutputError(const std::string& file) {
  return "two outputs of this run name the same file: " + file;
}

}  // namespace app
