// The studio page's files, built into the program: index.html, the bundled
// script and its style sheet. The table is generated at build time from the
// page's bundle (studio/CMakeLists.txt, studio/embed_assets.cmake), so the
// server answers page requests from memory and no URL path ever reaches the
// file system.
#pragma once

#include <cstddef>
#include <string>

namespace app {

struct StudioAsset {
  const char* path;         // "/", "/assets/studio.js", ...
  const char* contentType;  // "text/html; charset=utf-8", ...
  const unsigned char* data;
  size_t size;
};

// The asset served at `path`; null when there is none.
const StudioAsset* FindStudioAsset(const std::string& path);

}  // namespace app
