// The studio page's files as the program carries them: each bundled file is
// found at its fixed path with its content type, and nothing else is found,
// however the path is spelled.
#include "app/studio/studio_assets.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(const app::StudioAsset& asset) {
  return std::string(reinterpret_cast<const char*>(asset.data), asset.size);
}

TEST(StudioAssets, EachFileAtItsPathWithItsType) {
  struct Case {
    const char* path;
    const char* contentType;
    const char* contains;
  };
  const Case cases[] = {
      {"/", "text/html; charset=utf-8", "id=\"preview\""},
      {"/assets/studio.js", "text/javascript; charset=utf-8", "WebGL"},
      {"/assets/studio.css", "text/css; charset=utf-8", "#preview"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const app::StudioAsset* asset = app::FindStudioAsset(c.path);
    ASSERT_NE(asset, nullptr);
    EXPECT_STREQ(asset->contentType, c.contentType);
    EXPECT_NE(Text(*asset).find(c.contains), std::string::npos);
  }
}

TEST(StudioAssets, OtherPathsFindNothing) {
  for (const char* path : {"", "/index.html", "/assets/", "/assets/../index.html",
                           "/assets/studio.js?x=1", "assets/studio.js", "/ASSETS/studio.js",
                           "/assets/studio.js/", "/../CMakeLists.txt"}) {
    EXPECT_EQ(app::FindStudioAsset(path), nullptr) << path;
  }
}

}  // namespace
