// Host files and file names: the writer of a file (bytes, or a drawing the
// host draws), removal and renaming, name composition and the save selector.
#pragma once

#include <cstdint>

#include "host/api/host_api.h"
#include "sdk/strings.h"

// Writes bytes to a host file; every call reports success.
class HostFileWriter {
 public:
  HostFileWriter() = default;
  ~HostFileWriter();
  HostFileWriter(const HostFileWriter&) = delete;
  HostFileWriter& operator=(const HostFileWriter&) = delete;
  bool Open(const String& path);
  // Opens a new temporary file beside `target` and sets `name` to it; to be
  // renamed to `target` (FileRename) when complete or removed (FileDelete).
  // A host without the temporary-file service gets `target` + ".part".
  bool OpenTemporary(const String& target, String& name);
  bool Write(const void* data, int32_t bytes);
  // Has the host write `drawing` in `format` (HostDrawingFormat) from here
  // on; false when it could not, or when the host cannot draw drawings
  // (HostDrawsDrawings).
  bool WriteDrawing(int32_t format, const HostDrawing& drawing);
  bool Close();  // false when any write or the close failed
  bool IsOpen() const { return file_ != nullptr; }

 private:
  HostFile* file_ = nullptr;
  bool failed_ = false;
};

// Whether the host writes drawings in the formats it draws (SVG, PDF, PNG):
// hosts before API version 7900 do not.
bool HostDrawsDrawings();

bool FileDelete(const String& path);
bool FileRename(const String& from, const String& to);

String FilenameCompose(const String& folder, const String& file);
String FilenameFilePart(const String& path);
String FilenameFolderPart(const String& path);
String FilenameSuffix(const String& path);
String FilenameSetSuffix(const String& path, const char* suffix);
bool FilenameExists(const String& path);

// The save-file selector: true with the chosen name, false when cancelled.
bool SaveFileSelector(const char* title, const String& preset, String& chosen);
