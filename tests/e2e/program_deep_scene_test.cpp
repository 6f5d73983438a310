// Scenes whose hierarchy is tens of thousands of levels deep: the importers,
// the scene listing, the native format and the export neither crash nor take
// time or output that grows with the square of the depth.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>

#include "generated_gltf.h"
#include "program_support.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDepth = 30000;

// A glTF file whose nodes form one chain `depth` levels deep, each node a
// small step along x from its parent, with a triangle at the bottom and a
// camera beside the chain looking at it.
std::string DeepChainGltf(int depth) {
  const float corners[9] = {-1, -1, 0, 1, -1, 0, 0, 1, 0};
  unsigned char bytes[sizeof corners];
  std::memcpy(bytes, corners, sizeof corners);
  // Node 0 holds the camera (node 1) and the top of the chain (node 2).
  std::string nodes = R"({"children":[1,2]},{"camera":0,"translation":[0,0,10]})";
  for (int i = 2; i < depth + 2; ++i) {
    nodes += ",{\"translation\":[0.00001,0,0]";
    nodes += i + 1 < depth + 2 ? ",\"children\":[" + std::to_string(i + 1) + "]}" : ",\"mesh\":0}";
  }
  return std::string(R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],)") +
         R"("cameras":[{"type":"perspective","perspective":{"yfov":0.8,"znear":0.1}}],)" +
         R"("meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],)" +
         R"("accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3",)" +
         R"("min":[-1,-1,0],"max":[1,1,0]}],)" +
         R"("bufferViews":[{"buffer":0,"byteLength":36}],)" +
         R"("buffers":[{"byteLength":36,"uri":"data:application/octet-stream;base64,)" +
         Base64(bytes, sizeof bytes) + R"("}],"nodes":[)" + nodes + "]}";
}

class DeepSceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("vexmark-deep-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    std::ofstream(folder_ / "deep.gltf") << DeepChainGltf(kDepth);
  }
  void TearDown() override { fs::remove_all(folder_); }
  fs::path folder_;
};

TEST_F(DeepSceneTest, ADeepChainIsListedExportedSavedAndReadAgain) {
  // The glTF is exported and saved in the native format in one run; then the
  // saved scene is listed and exported again.
  const ProgramRun first = RunProgram(
      {"deep.gltf", "-o", "deep.ai", "--save-scene", "deep.vxm", "--quiet", "--yes"}, folder_);
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_TRUE(fs::exists(folder_ / "deep.ai"));
  ASSERT_TRUE(fs::exists(folder_ / "deep.vxm"));

  for (const char* scene : {"deep.gltf", "deep.vxm"}) {
    const ProgramRun info = RunProgram({"info", scene}, folder_);
    ASSERT_EQ(info.status, 0) << scene << ": " << info.err;
    // One line per object, and the indentation does not grow with the depth.
    EXPECT_LT(info.out.size(), static_cast<size_t>(kDepth) * 80) << scene;
    EXPECT_NE(info.out.find("[" + std::to_string(kDepth - 1) + "]"), std::string::npos) << scene;
  }

  const ProgramRun again = RunProgram({"deep.vxm", "-o", "again.ai", "--quiet"}, folder_);
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(ReadWhole(folder_ / "again.ai").find("%%EOF") != std::string::npos, true);
}

// Deeper than the importer's stack is sure to hold: refused in one line,
// before the importer starts.
TEST_F(DeepSceneTest, AHierarchyDeeperThanTheLimitIsRefusedInOneLine) {
  std::ofstream(folder_ / "deeper.gltf") << DeepChainGltf(100001);
  const ProgramRun run = RunProgram({"info", "deeper.gltf"}, folder_);
  EXPECT_EQ(run.status, 2);
  ASSERT_EQ(run.ErrLines().size(), 1u) << run.err;
  EXPECT_NE(run.err.find("levels deep; Vexmark reads at most 100000"), std::string::npos)
      << run.err;
}

}  // namespace
