// File names as text with '/' between folders.
#pragma once

#include <string>

namespace host {

// folder + "/" + file with exactly one separator between them; an empty
// folder gives the file, an empty file the folder.
std::string ComposePath(const std::string& folder, const std::string& file);
// What follows the last separator (the whole path when there is none).
std::string FilePart(const std::string& path);
// What precedes the last separator; "/" for a file in the root, "" when the
// path has no folder.
std::string FolderPart(const std::string& path);
// The file part's suffix without the dot. A leading dot (".hidden") starts
// no suffix; dots in folder names never count.
std::string Suffix(const std::string& path);
// Replaces the suffix (or adds one); an empty suffix removes it. A leading
// dot of `suffix` is ignored.
std::string SetSuffix(const std::string& path, const std::string& suffix);

}  // namespace host
