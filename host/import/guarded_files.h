// The file access the importer library gets: only ordinary files inside the
// scene's folder tree, and only so many reads and seeks for the bytes it
// opened. A damaged file can send a reader round in circles (seeking at the
// end of the file forever); the budget turns that into a refusal instead of
// a hang.
#pragma once

#include <assimp/DefaultIOSystem.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "host/import/scene_folder.h"

namespace host::import {

// What the guarded file access saw; the names are kept for the messages.
struct FileAccessRecord {
  std::string refusedFile;  // a file that exists but is not ordinary
  // Files outside the scene's folder tree, as the scene names them, in the
  // order refused. The library tries a name from the current folder before
  // it tries it in the scene's folder; a name it then opened inside the tree
  // is taken off the list.
  std::vector<std::string> outsideFiles;
  bool overBudget = false;  // reads and seeks ran past the budget
};

// Calls allowed: a fixed allowance plus one per byte opened. The library's
// readers take files whole or in large blocks: on all of its own test models
// an import makes at most a few hundred calls.
constexpr uint64_t kAccessAllowance = 100000;
constexpr uint64_t kAccessesPerByte = 1;

// Opens only ordinary files inside the folder tree of the scene file
// (scene_folder.h). A companion file that a scene names (a material library,
// a buffer) could lie outside it, or be a FIFO, which would block the import
// forever, or a device; such a name is refused and kept in the record.
// Every stream opened counts its calls against one budget; past it, the
// call throws, and the library gives up the import.
class GuardedFiles final : public Assimp::DefaultIOSystem {
 public:
  GuardedFiles(FileAccessRecord& record, const std::string& scenePath)
      : record_(record), folder_(scenePath) {}

  // The default test opens the file to see whether it exists.
  bool Exists(const char* file) const override;
  Assimp::IOStream* Open(const char* file, const char* mode) override;

  // Counts one call; throws once the budget is spent.
  void Count();

 private:
  // The file that `file` names, or empty, remembering the name, when it lies
  // outside the scene's folder tree.
  std::filesystem::path Confine(const char* file, bool opening) const;
  // True, remembering the name, for a file that exists but is not ordinary.
  bool Refuse(const char* file) const;

  FileAccessRecord& record_;
  const SceneFolder folder_;
  uint64_t calls_ = 0;
  uint64_t budget_ = kAccessAllowance;
};

}  // namespace host::import
