#include "sdk/files.h"

#include "sdk/host_table.h"

HostFileWriter::~HostFileWriter() {
  Close();
}

bool HostFileWriter::Open(const String& path) {
  Close();
  failed_ = false;
  file_ = Host().fileOpenWrite(path.Handle());
  return file_ != nullptr;
}

bool HostFileWriter::OpenTemporary(const String& target, String& name) {
  Close();
  failed_ = false;
  if (Host().fileOpenTemporary == nullptr) {
    name = target + String(".part");
    file_ = Host().fileOpenWrite(name.Handle());
    return file_ != nullptr;
  }
  HostString* hostName = nullptr;
  file_ = Host().fileOpenTemporary(target.Handle(), &hostName);
  if (hostName != nullptr) name = String::Adopt(hostName);
  return file_ != nullptr;
}

bool HostFileWriter::Write(const void* data, int32_t bytes) {
  if (file_ == nullptr || failed_) return false;
  if (bytes > 0 && !Host().fileWrite(file_, data, bytes)) failed_ = true;
  return !failed_;
}

bool HostFileWriter::WriteDrawing(int32_t format, const HostDrawing& drawing) {
  if (file_ == nullptr || failed_ || !HostDrawsDrawings()) return false;
  if (!Host().fileWriteDrawing(file_, format, &drawing)) failed_ = true;
  return !failed_;
}

bool HostFileWriter::Close() {
  if (file_ == nullptr) return !failed_;
  if (!Host().fileClose(file_)) failed_ = true;
  file_ = nullptr;
  return !failed_;
}

bool HostDrawsDrawings() {
  return Host().fileWriteDrawing != nullptr;
}

String FilenameCompose(const String& folder, const String& file) {
  return String::Adopt(Host().fnCompose(folder.Handle(), file.Handle()));
}
String FilenameFilePart(const String& path) {
  return String::Adopt(Host().fnFilePart(path.Handle()));
}
String FilenameFolderPart(const String& path) {
  return String::Adopt(Host().fnFolderPart(path.Handle()));
}
String FilenameSuffix(const String& path) {
  return String::Adopt(Host().fnSuffix(path.Handle()));
}
String FilenameSetSuffix(const String& path, const char* suffix) {
  return String::Adopt(Host().fnSetSuffix(path.Handle(), suffix));
}
bool FilenameExists(const String& path) {
  return Host().fnExists(path.Handle()) != 0;
}
bool FileDelete(const String& path) {
  return Host().fileDelete(path.Handle()) != 0;
}
bool FileRename(const String& from, const String& to) {
  return Host().fileRename != nullptr && Host().fileRename(from.Handle(), to.Handle()) != 0;
}

bool SaveFileSelector(const char* title, const String& preset, String& chosen) {
  HostString* answer = Host().fnSaveSelector(title, preset.Handle());
  if (answer == nullptr) return false;
  chosen = String::Adopt(answer);
  return true;
}
