// The program's command line: help, version, and one clear line with exit
// status 2 for every usage error and unreadable scene.
#include <gtest/gtest.h>

#include <unistd.h>

#include "program_support.h"

namespace {

namespace fs = std::filesystem;

class ProgramUsageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("vexmark-usage-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  fs::path folder_;
};

TEST_F(ProgramUsageTest, HelpAndVersion) {
  const ProgramRun help = RunProgram({"--help"}, folder_);
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: vexmark"), std::string::npos);
  for (const char* option : {"--output", "--style", "--from", "--to", "--fps", "--size", "--preset",
                             "--render-settings", "--back-faces", "--outline", "--crease",
                             "--crease-angle", "--line-width", "--flat-edges", "--line-color",
                             "--brightness", "--camera", "--tag", "--save-scene", "--yes",
                             "--quiet"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  const ProgramRun version = RunProgram({"--version"}, folder_);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("vexmark ", 0), 0u);
}

TEST_F(ProgramUsageTest, UsageErrorsSayWhatIsWrongInOneLine) {
  const std::vector<std::vector<std::string>> cases = {
      {"--frobnicate"},
      {"--fps", "0"},
      {"--fps"},
      {"--style", "cubist"},
      {"--line-color", "red"},
      {"--line-width", "21"},
      {"--size", "100"},
      {"--back-faces", "sometimes"},
      {"--brightness", "2"},
      {"--tag", "nocolon"},
      {"a.gltf", "b.gltf"},
      {"info"},
  };
  for (const auto& args : cases) {
    const ProgramRun run = RunProgram(args, folder_);
    EXPECT_EQ(run.status, 2) << args[0];
    ASSERT_EQ(run.ErrLines().size(), 1u) << args[0] << ": " << run.err;
    EXPECT_EQ(run.ErrLines()[0].rfind("vexmark: ", 0), 0u) << run.err;
  }
}

TEST_F(ProgramUsageTest, UnreadableScenesAreRefusedNamingTheFile) {
  std::ofstream(folder_ / "broken.gltf") << "{ this is not json";
  std::ofstream(folder_ / "empty.obj") << "";
  for (const char* scene : {"missing.gltf", "broken.gltf", "empty.obj"}) {
    for (bool info : {false, true}) {
      const ProgramRun run =
          info ? RunProgram({"info", scene}, folder_) : RunProgram({scene}, folder_);
      EXPECT_EQ(run.status, 2) << scene;
      ASSERT_EQ(run.ErrLines().size(), 1u) << scene << ": " << run.err;
      EXPECT_NE(run.err.find(scene), std::string::npos) << run.err;
    }
  }
}

}  // namespace

namespace {

// Names in a scene are bytes the file chose: control characters and bytes
// that are not UTF-8 are printed as '?', well-formed UTF-8 as it is.
TEST(ProgramNamesTest, NamesFromTheSceneArePrintedSafely) {
  const fs::path folder = fs::temp_directory_path() / ("vexmark-names-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const struct {
    std::string name;
    std::string shown;
  } cases[] = {
      {"Bad\x1b[31mColour", "Bad?[31mColour"},
      {"Broken\xff\xfe", "Broken??"},
      {"Overlong\xc0\xaf", "Overlong??"},
      {"Caf\xc3\xa9", "Caf\xc3\xa9"},
  };
  for (const auto& c : cases) {
    std::ofstream(folder / "names.obj") << "o " << c.name << "\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    const ProgramRun run = RunProgram({"info", "names.obj"}, folder);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("  " + c.shown + " (mesh"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
  }
  fs::remove_all(folder);
}

}  // namespace
