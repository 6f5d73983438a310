#include "host/temporary_files.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <set>

#include "host/file_names.h"

namespace host {
namespace {

// Guards the set, and makes creating or committing a temporary file one
// step as seen by RemoveTemporaryFilesForExit.
std::mutex gMutex;
std::set<std::string> gLive;
bool gClosing = false;  // the program is ending: no new temporary files

// The longest target name kept in a temporary name, so that the temporary
// name stays within the usual 255-byte limit of a file name.
constexpr size_t kKeptNameBytes = 200;
constexpr int kAttempts = 100;

std::string RandomTag() {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[6] = {};
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
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::string candidate = ComposePath(folder, "." + kept + "." + RandomTag() + ".part");
    const int fd =
        ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) {
      gLive.insert(candidate);
      name = candidate;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

bool CommitTemporaryFile(const std::string& name, const std::string& target) {
  std::lock_guard<std::mutex> lock(gMutex);
  if (gClosing) {
    errno = EINTR;
    return false;
  }
  struct stat status {};
  if (::lstat(target.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    errno = EEXIST;
    return false;
  }
  if (std::rename(name.c_str(), target.c_str()) != 0) return false;
  gLive.erase(name);
  return true;
}

bool DiscardTemporaryFile(const std::string& name) {
  std::lock_guard<std::mutex> lock(gMutex);
  if (gLive.erase(name) == 0) return false;
  ::unlink(name.c_str());
  return true;
}

bool IsTemporaryFile(const std::string& name) {
  std::lock_guard<std::mutex> lock(gMutex);
  return gLive.count(name) != 0;
}

void RemoveTemporaryFilesForExit() {
  std::lock_guard<std::mutex> lock(gMutex);
  gClosing = true;
  for (const std::string& name : gLive) ::unlink(name.c_str());
  gLive.clear();
}

}  // namespace host
