// The fn* and file* entries of the table, and the save selector.
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>
#include <algorithm>

#include "host/file_names.h"
#include "host/handles.h"
#include "host/host_string.h"
#include "host/runtime.h"
#include "host/services.h"

struct HostFile {
  std::FILE* stream = nullptr;
  bool failed = false;
  std::string path;
};

namespace host {
namespace {

using SaveSelector =
    std::function<std::optional<std::string>(const std::string& title, const std::string& preset)>;

std::mutex gMutex;
SaveSelector gSaveSelector;
std::vector<std::string> gWrittenFiles;  // closed without error, not deleted since

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
  if (stream == nullptr) return nullptr;
  CountHandle(HandleKind::kFile, 1);
  return new HostFile{stream, false, TextOf(path)};
}

int32_t FileWrite(HostFile* f, const void* data, int32_t bytes) {
  if (f == nullptr || bytes < 0 || (bytes > 0 && data == nullptr)) {
    if (f != nullptr) f->failed = true;
    return 0;
  }
  const auto count = static_cast<size_t>(bytes);
  if (count > 0 && std::fwrite(data, 1, count, f->stream) != count) f->failed = true;
  return f->failed ? 0 : 1;
}

// Buffered data may only fail to reach the disk at the flush or the close,
// so both count.
int32_t FileClose(HostFile* f) {
  if (f == nullptr) return 0;
  bool ok = !f->failed;
  if (std::fflush(f->stream) != 0) ok = false;
  if (std::fclose(f->stream) != 0) ok = false;
  CountHandle(HandleKind::kFile, -1);
  if (ok) {
    std::lock_guard<std::mutex> lock(gMutex);
    gWrittenFiles.push_back(f->path);
  }
  delete f;
  return ok ? 1 : 0;
}

int32_t FileDelete(const HostString* path) {
  const std::string& name = TextOf(path);
  if (name.empty() || std::remove(name.c_str()) != 0) return 0;
  std::lock_guard<std::mutex> lock(gMutex);
  gWrittenFiles.erase(std::remove(gWrittenFiles.begin(), gWrittenFiles.end(), name),
                      gWrittenFiles.end());
  return 1;
}

// Replaces `to` by `from` in one step, so readers see the old file or the
// new one, never a half-written one.
int32_t FileRename(const HostString* from, const HostString* to) {
  const std::string& source = TextOf(from);
  const std::string& target = TextOf(to);
  if (source.empty() || target.empty()) return 0;
  // Only ordinary files are ever replaced: never a device, folder or link.
  std::error_code error;
  const auto status = std::filesystem::symlink_status(target, error);
  if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
    return 0;
  if (std::rename(source.c_str(), target.c_str()) != 0) return 0;
  std::lock_guard<std::mutex> lock(gMutex);
  for (std::string& written : gWrittenFiles)
    if (written == source) written = target;
  return 1;
}

}  // namespace

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
}

std::vector<std::string> WrittenFiles() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gWrittenFiles;
}

void ResetFiles() {
  std::lock_guard<std::mutex> lock(gMutex);
  gSaveSelector = nullptr;
  gWrittenFiles.clear();
}

}  // namespace host
