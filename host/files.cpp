// The fn* and file* entries of the table, the save selector, and the record
// of files that could not be written.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "host/file_names.h"
#include "host/handles.h"
#include "host/host_string.h"
#include "host/runtime.h"
#include "host/services.h"
#include "host/temporary_files.h"

struct HostFile {
  std::FILE* stream = nullptr;
  bool failed = false;
  std::string path;
  std::string target;  // the file a temporary file becomes; `path` otherwise
  int error = 0;       // errno of the first failure
};

namespace host {
namespace {

using SaveSelector =
    std::function<std::optional<std::string>(const std::string& title, const std::string& preset)>;

std::mutex gMutex;
SaveSelector gSaveSelector;
std::vector<std::string> gWrittenFiles;  // closed without error, not deleted since
std::vector<FileFailure> gFailures;

void RecordFailure(const std::string& path, int error) {
  std::lock_guard<std::mutex> lock(gMutex);
  gFailures.push_back(FileFailure{path, error});
}

HostString* FnCompose(const HostString* folder, const HostString* file) {
  return NewString(ComposePath(TextOf(folder), TextOf(file)));
}
HostString* FnFilePart(const HostString* path) {
  return NewString(FilePart(TextOf(path)));
}
HostString* FnFolderPart(const HostString* path) {
  return NewString(FolderPart(TextOf(path)));
}
HostString* FnSuffix(const HostString* path) {
  return NewString(Suffix(TextOf(path)));
}
HostString* FnSetSuffix(const HostString* path, const char* suffix) {
  return NewString(SetSuffix(TextOf(path), suffix != nullptr ? suffix : ""));
}

int32_t FnExists(const HostString* path) {
  std::error_code error;
  return !TextOf(path).empty() && std::filesystem::exists(TextOf(path), error) ? 1 : 0;
}

HostString* FnSaveSelector(const char* title, const HostString* preset) {
  SaveSelector selector;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    selector = gSaveSelector;
  }
  if (!selector) return nullptr;
  const std::optional<std::string> chosen = selector(title != nullptr ? title : "", TextOf(preset));
  return chosen ? NewString(*chosen) : nullptr;
}

HostFile* FileOpenWrite(const HostString* path) {
  if (TextOf(path).empty()) return nullptr;
  std::FILE* stream = std::fopen(TextOf(path).c_str(), "wb");
  if (stream == nullptr) {
    RecordFailure(TextOf(path), errno);
    return nullptr;
  }
  CountHandle(HandleKind::kFile, 1);
  return new HostFile{stream, false, TextOf(path), TextOf(path)};
}

HostFile* FileOpenTemporary(const HostString* path, HostString** name) {
  if (name != nullptr) *name = nullptr;
  const std::string& target = TextOf(path);
  if (target.empty() || name == nullptr) return nullptr;
  std::string temporary;
  const int fd = CreateTemporaryFile(target, temporary);
  if (fd < 0) {
    RecordFailure(target, errno);
    return nullptr;
  }
  std::FILE* stream = ::fdopen(fd, "wb");
  if (stream == nullptr) {
    const int error = errno;
    ::close(fd);
    DiscardTemporaryFile(temporary);
    RecordFailure(target, error);
    return nullptr;
  }
  CountHandle(HandleKind::kFile, 1);
  *name = NewString(temporary);
  return new HostFile{stream, false, temporary, target};
}

int32_t FileWrite(HostFile* f, const void* data, int32_t bytes) {
  if (f == nullptr || bytes < 0 || (bytes > 0 && data == nullptr)) {
    if (f != nullptr) f->failed = true;
    return 0;
  }
  const auto count = static_cast<size_t>(bytes);
  if (!f->failed && count > 0 && std::fwrite(data, 1, count, f->stream) != count) {
    f->failed = true;
    f->error = errno;
  }
  return f->failed ? 0 : 1;
}

// Buffered data may only fail to reach the disk at the flush or the close,
// so both count.
int32_t FileClose(HostFile* f) {
  if (f == nullptr) return 0;
  bool ok = !f->failed;
  int error = f->error;
  if (std::fflush(f->stream) != 0 && ok) ok = false, error = errno;
  if (std::fclose(f->stream) != 0 && ok) ok = false, error = errno;
  CountHandle(HandleKind::kFile, -1);
  if (ok) {
    std::lock_guard<std::mutex> lock(gMutex);
    gWrittenFiles.push_back(f->path);
  } else {
    RecordFailure(f->target, error);
  }
  delete f;
  return ok ? 1 : 0;
}

int32_t FileDelete(const HostString* path) {
  const std::string& name = TextOf(path);
  if (name.empty()) return 0;
  if (!DiscardTemporaryFile(name) && std::remove(name.c_str()) != 0) return 0;
  std::lock_guard<std::mutex> lock(gMutex);
  gWrittenFiles.erase(std::remove(gWrittenFiles.begin(), gWrittenFiles.end(), name),
                      gWrittenFiles.end());
  return 1;
}

// Replaces `to` by `from` in one step, so readers see the old file or the
// new one, never a half-written one. Only ordinary files are ever replaced:
// never a device, FIFO, folder or link.
int32_t FileRename(const HostString* from, const HostString* to) {
  const std::string& source = TextOf(from);
  const std::string& target = TextOf(to);
  if (source.empty() || target.empty()) return 0;
  if (IsTemporaryFile(source)) {
    if (!CommitTemporaryFile(source, target)) {
      RecordFailure(target, errno);
      return 0;
    }
  } else {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(target, error);
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
      RecordFailure(target, EEXIST);
      return 0;
    }
    if (std::rename(source.c_str(), target.c_str()) != 0) {
      RecordFailure(target, errno);
      return 0;
    }
  }
  std::lock_guard<std::mutex> lock(gMutex);
  for (std::string& written : gWrittenFiles)
    if (written == source) written = target;
  return 1;
}

}  // namespace

void MarkFileFailed(HostFile* f, int error) {
  if (f == nullptr || f->failed) return;
  f->failed = true;
  f->error = error;
}

void SetSaveSelector(SaveSelector selector) {
  std::lock_guard<std::mutex> lock(gMutex);
  gSaveSelector = std::move(selector);
}

void FillFileEntries(HostApi& table) {
  table.fnCompose = &FnCompose;
  table.fnFilePart = &FnFilePart;
  table.fnFolderPart = &FnFolderPart;
  table.fnSuffix = &FnSuffix;
  table.fnSetSuffix = &FnSetSuffix;
  table.fnExists = &FnExists;
  table.fnSaveSelector = &FnSaveSelector;
  table.fileOpenWrite = &FileOpenWrite;
  table.fileWrite = &FileWrite;
  table.fileClose = &FileClose;
  table.fileDelete = &FileDelete;
  table.fileRename = &FileRename;
  table.fileOpenTemporary = &FileOpenTemporary;
}

std::vector<std::string> WrittenFiles() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gWrittenFiles;
}

std::vector<FileFailure> FileFailures() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gFailures;
}

std::string FileErrorText(int error) {
  if (error == EEXIST) return "something other than an ordinary file has that name";
  if (error == kErrorNotReplaced)
    return "a file of that name appeared during the export; not replaced";
  std::string text = std::strerror(error);
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

void ResetFiles() {
  std::lock_guard<std::mutex> lock(gMutex);
  gSaveSelector = nullptr;
  gWrittenFiles.clear();
  gFailures.clear();
}

}  // namespace host
