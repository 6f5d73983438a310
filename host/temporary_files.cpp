#include "host/temporary_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>

#include "host/file_names.h"

namespace host {
namespace {

// A temporary file not yet put in place. `fd` stays open until then: it is
// the only handle of an unnamed file, and holds the lock of a named one.
struct LiveFile {
  int fd = -1;
  bool unnamed = false;
  std::string folder;  // where it goes; "" for the working folder
  std::string kept;    // the part of the target's file name its names keep
};

// Guards everything below, and makes creating or committing a temporary
// file one step as seen by RemoveTemporaryFilesForExit.
std::mutex gMutex;
std::map<std::string, LiveFile> gLive;  // by name
bool gClosing = false;                  // the program is ending: no new temporary files
bool gReplaceAlways = true;
std::set<std::string> gReplaceable;  // canonical paths the user agreed to replace
std::function<void(const std::string&)> gBeforeCommit;
bool gUnnamedAllowed = true;
std::set<std::string> gSweptFolders;

// When this run started: a named temporary file older than that and not
// locked belongs to no running program.
const timespec gRunStart = [] {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now;
}();

// The longest target name kept in a temporary name, so that the temporary
// name stays within the usual 255-byte limit of a file name.
constexpr size_t kKeptNameBytes = 200;
constexpr int kAttempts = 100;
constexpr size_t kTagLength = 6;
constexpr char kPartSuffix[] = ".part";

std::string RandomTag() {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[kTagLength] = {};
  if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
    // No random source: the time and the process still make a fresh name,
    // and O_EXCL keeps a clash harmless.
    static unsigned counter = 0;
    const unsigned seed = static_cast<unsigned>(getpid()) * 2654435761u + ++counter;
    for (size_t i = 0; i < sizeof bytes; ++i)
      bytes[i] = static_cast<unsigned char>(seed >> (i * 5));
  }
  std::string tag;
  for (unsigned char b : bytes) tag += kLetters[b % (sizeof kLetters - 1)];
  return tag;
}

std::string TemporaryName(const std::string& folder, const std::string& kept) {
  return ComposePath(folder, "." + kept + "." + RandomTag() + kPartSuffix);
}

// Whether `file` has the shape of our temporary names: ".NAME.XXXXXX.part".
bool IsTemporaryName(const std::string& file) {
  const size_t suffix = sizeof kPartSuffix - 1;
  if (file.size() < 2 + 1 + kTagLength + suffix || file[0] != '.' ||
      file.compare(file.size() - suffix, suffix, kPartSuffix) != 0)
    return false;
  const size_t tag = file.size() - suffix - kTagLength;
  if (file[tag - 1] != '.') return false;
  for (size_t i = tag; i < tag + kTagLength; ++i)
    if (!std::isalnum(static_cast<unsigned char>(file[i]))) return false;
  return true;
}

bool OlderThanRun(const struct stat& status) {
  return status.st_mtim.tv_sec < gRunStart.tv_sec ||
         (status.st_mtim.tv_sec == gRunStart.tv_sec && status.st_mtim.tv_nsec < gRunStart.tv_nsec);
}

// Removes the named temporary files that killed runs left in `folder`: our
// names only, ordinary files of this user, older than this run and not
// locked by a live writer. Once per folder and run.
void SweepLeftovers(const std::string& folder) {
  if (!gSweptFolders.insert(folder).second) return;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string file = entry->d_name;
    if (!IsTemporaryName(file)) continue;
    const std::string path = ComposePath(folder, file);
    struct stat seen {};
    if (::lstat(path.c_str(), &seen) != 0 || !S_ISREG(seen.st_mode) || seen.st_uid != ::geteuid() ||
        !OlderThanRun(seen))
      continue;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat opened {};
    // Locked, and still the file seen: no writer holds it, and no other
    // sweeper removed it and let a new file take its name meanwhile.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
        ::lstat(path.c_str(), &seen) == 0 && opened.st_dev == seen.st_dev &&
        opened.st_ino == seen.st_ino)
      ::unlink(path.c_str());
    ::close(fd);
  }
  ::closedir(dir);
}

// An unnamed file gets its name through /proc: linkat of the descriptor
// itself needs a privilege that a user does not have.
bool ProcDescriptorsUsable() {
  static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
  return usable;
}

std::string DescriptorPath(int fd) {
  return "/proc/self/fd/" + std::to_string(fd);
}

std::string Canonical(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  const std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, error);
  return (error ? absolute.lexically_normal() : canonical).string();
}

// Remembers a new temporary file and locks it, so that no sweep removes it
// while this process lives (an unnamed one too: it gets a temporary name
// when it replaces a file); returns the descriptor for the caller, or -1
// with errno set (the file then closed).
int Keep(const std::string& name, int fd, bool unnamed, const std::string& folder,
         const std::string& kept) {
  ::flock(fd, LOCK_EX | LOCK_NB);  // a new file: nobody else holds it
  const int held = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (held < 0) {
    const int error = errno;
    if (!unnamed) ::unlink(name.c_str());
    ::close(fd);
    errno = error;
    return -1;
  }
  gLive[name] = LiveFile{held, unnamed, folder, kept};
  return fd;
}

int CreateUnnamed(const std::string& folder, const std::string& kept, std::string& name) {
  const int fd =
      ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  // The name is only a key here; it is unique among our files and never
  // created on disk.
  do name = TemporaryName(folder, kept);
  while (gLive.count(name) != 0);
  return Keep(name, fd, true, folder, kept);
}

int CreateNamed(const std::string& folder, const std::string& kept, std::string& name) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::string candidate = TemporaryName(folder, kept);
    const int fd =
        ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) {
      name = candidate;
      return Keep(candidate, fd, false, folder, kept);
    }
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

// Gives the unnamed file `file` the name `target`; over an existing file
// only when `replace`.
bool PlaceUnnamed(const LiveFile& file, const std::string& target, bool replace) {
  const std::string self = DescriptorPath(file.fd);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0)
    return true;
  if (errno != EEXIST) return false;
  if (!replace) {
    errno = kErrorNotReplaced;
    return false;
  }
  // A name of its own first: only a rename replaces a file in one step.
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::string named = TemporaryName(file.folder, file.kept);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, named.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    if (std::rename(named.c_str(), target.c_str()) == 0) return true;
    const int error = errno;
    ::unlink(named.c_str());
    errno = error;
    return false;
  }
  errno = EEXIST;
  return false;
}

// Renames the named file `name` to `target`; over an existing file only
// when `replace`.
bool PlaceNamed(const std::string& name, const std::string& target, bool replace) {
  if (replace) return std::rename(name.c_str(), target.c_str()) == 0;
  if (::renameat2(AT_FDCWD, name.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
    if (errno == EEXIST) errno = kErrorNotReplaced;
    return false;
  }
  // The file system cannot rename without replacing: a second link refuses
  // an existing name by itself.
  if (::link(name.c_str(), target.c_str()) == 0) {
    ::unlink(name.c_str());
    return true;
  }
  if (errno == EEXIST) {
    errno = kErrorNotReplaced;
    return false;
  }
  if (errno != EPERM && errno != ENOTSUP) return false;
  // Nor links: the last check before the rename is all there is.
  struct stat status {};
  if (::lstat(target.c_str(), &status) == 0) {
    errno = kErrorNotReplaced;
    return false;
  }
  return std::rename(name.c_str(), target.c_str()) == 0;
}

}  // namespace

int CreateTemporaryFile(const std::string& target, std::string& name) {
  const std::string file = FilePart(target);
  if (file.empty()) {
    errno = EISDIR;
    return -1;
  }
  const std::string folder = FolderPart(target);
  const std::string kept = file.substr(0, kKeptNameBytes);
  std::lock_guard<std::mutex> lock(gMutex);
  if (gClosing) {
    errno = EINTR;
    return -1;
  }
  // Also where files are unnamed: a run on a file system without them, or
  // killed while it replaced a file, may have left named ones here.
  SweepLeftovers(folder.empty() ? "." : folder);
  if (gUnnamedAllowed && ProcDescriptorsUsable()) {
    const int fd = CreateUnnamed(folder, kept, name);
    // Other errors (no such folder, no permission) are the folder's, and a
    // named file would meet them too.
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
  }
  return CreateNamed(folder, kept, name);
}

bool CommitTemporaryFile(const std::string& name, const std::string& target) {
  std::function<void(const std::string&)> hook;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    hook = gBeforeCommit;
  }
  if (hook) hook(target);
  std::lock_guard<std::mutex> lock(gMutex);
  if (gClosing) {
    errno = EINTR;
    return false;
  }
  const auto live = gLive.find(name);
  if (live == gLive.end()) {
    errno = ENOENT;
    return false;
  }
  struct stat status {};
  if (::lstat(target.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    errno = EEXIST;
    return false;
  }
  const bool replace = gReplaceAlways || gReplaceable.count(Canonical(target)) != 0;
  const bool placed = live->second.unnamed ? PlaceUnnamed(live->second, target, replace)
                                           : PlaceNamed(name, target, replace);
  if (!placed) return false;
  ::close(live->second.fd);
  gLive.erase(live);
  return true;
}

bool DiscardTemporaryFile(const std::string& name) {
  std::lock_guard<std::mutex> lock(gMutex);
  const auto live = gLive.find(name);
  if (live == gLive.end()) return false;
  if (!live->second.unnamed) ::unlink(name.c_str());
  ::close(live->second.fd);
  gLive.erase(live);
  return true;
}

bool IsTemporaryFile(const std::string& name) {
  std::lock_guard<std::mutex> lock(gMutex);
  return gLive.count(name) != 0;
}

void RemoveTemporaryFilesForExit() {
  std::lock_guard<std::mutex> lock(gMutex);
  gClosing = true;
  // Unnamed files go with the process; named ones are removed here.
  for (const auto& [name, file] : gLive)
    if (!file.unnamed) ::unlink(name.c_str());
  gLive.clear();
}

void SetReplaceAllowed(bool always) {
  std::lock_guard<std::mutex> lock(gMutex);
  gReplaceAlways = always;
}

void AllowReplacing(const std::string& target) {
  const std::string canonical = Canonical(target);
  std::lock_guard<std::mutex> lock(gMutex);
  gReplaceable.insert(canonical);
}

void SetBeforeCommitHook(std::function<void(const std::string& target)> hook) {
  std::lock_guard<std::mutex> lock(gMutex);
  gBeforeCommit = std::move(hook);
}

void SetUnnamedTemporaryFiles(bool unnamed) {
  std::lock_guard<std::mutex> lock(gMutex);
  gUnnamedAllowed = unnamed;
}

void ResetTemporaryFilePolicy() {
  std::lock_guard<std::mutex> lock(gMutex);
  gReplaceAlways = true;
  gReplaceable.clear();
  gBeforeCommit = nullptr;
  gUnnamedAllowed = true;
  gSweptFolders.clear();
}

}  // namespace host
