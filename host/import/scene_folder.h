// The folder tree a scene file may read from. A scene names its companion
// files (buffers, material libraries, images) by paths of its own choosing;
// a scene from a stranger could name "../../.ssh/id_rsa" or "/etc/passwd"
// and have its bytes read as coordinates. Companions are read only when
// they lie inside the folder of the scene file, both sides taken after
// resolving "." and ".." and symbolic links, so a link inside the folder
// that points out of it is refused too. Embedded data (data: URIs) is no
// file and needs no check.
#pragma once

#include <filesystem>
#include <string>

namespace host::import {

class SceneFolder {
 public:
  // The folder of `scenePath` as given (the current folder when it names
  // none): where the importers look for the scene's companions.
  explicit SceneFolder(const std::string& scenePath);

  // The file that `path` (absolute, or relative to the current folder)
  // resolves to, or empty when it does not resolve to a place inside the
  // folder tree. A file that does not exist resolves by its name, so a
  // missing companion inside the tree is missing, not refused. The scene
  // file itself is always inside, also when it is a link to a file
  // elsewhere.
  std::filesystem::path Resolve(const std::string& path) const;
  bool Holds(const std::string& path) const { return !Resolve(path).empty(); }

  // `path` as the scene wrote it: without the folder the importer put in
  // front of the scene's own name for it.
  std::string AsWritten(const std::string& path) const;

 private:
  std::string given_;               // the folder as the scene's path gives it, with a final '/'
  std::filesystem::path resolved_;  // the same folder, absolute and resolved
  std::filesystem::path scene_;     // the scene file, absolute and resolved
};

}  // namespace host::import
