// File names, writing files and the save selector.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host_fixture.h"

namespace {

class HostFileTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    folder_ = std::filesystem::temp_directory_path() /
              ("vexmark_host_files_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    std::filesystem::remove_all(folder_);
    HostTest::TearDown();
  }
  std::filesystem::path folder_;
};

TEST_F(HostFileTest, NamesAreComposedAndTakenApart) {
  struct Compose {
    const char *folder, *file, *expected;
  };
  const Compose composes[] = {
      {"out", "a.eps", "out/a.eps"},
      {"out/", "a.eps", "out/a.eps"},
      {"out/", "/a.eps", "out/a.eps"},
      {"", "a.eps", "a.eps"},
      {"out", "", "out"},
      {"/", "a.eps", "/a.eps"},
  };
  for (const Compose& c : composes) {
    EXPECT_EQ(FilenameCompose(c.folder, c.file), c.expected) << c.folder << " + " << c.file;
  }

  struct Parts {
    const char *path, *file, *folder, *suffix, *epsPath, *bare;
  };
  const Parts parts[] = {
      {"out/frame.eps", "frame.eps", "out", "eps", "out/frame.eps", "out/frame"},
      {"a/b/scene.tar.gz", "scene.tar.gz", "a/b", "gz", "a/b/scene.tar.eps", "a/b/scene.tar"},
      {"frame", "frame", "", "", "frame.eps", "frame"},
      {"dir.v2/frame", "frame", "dir.v2", "", "dir.v2/frame.eps", "dir.v2/frame"},
      {"out/.hidden", ".hidden", "out", "", "out/.hidden.eps", "out/.hidden"},
      {"/frame.ai", "frame.ai", "/", "ai", "/frame.eps", "/frame"},
      {"", "", "", "", ".eps", ""},
  };
  for (const Parts& p : parts) {
    EXPECT_EQ(FilenameFilePart(p.path), p.file) << p.path;
    EXPECT_EQ(FilenameFolderPart(p.path), p.folder) << p.path;
    EXPECT_EQ(FilenameSuffix(p.path), p.suffix) << p.path;
    EXPECT_EQ(FilenameSetSuffix(p.path, "eps"), p.epsPath) << p.path;
    EXPECT_EQ(FilenameSetSuffix(p.path, ""), p.bare) << p.path;
  }
  EXPECT_EQ(FilenameSetSuffix("a.ai", ".eps"), "a.eps") << "a leading dot is ignored";
}

TEST_F(HostFileTest, WritesClosesAndDeletesARealFile) {
  const String path(FilenameCompose(folder_.c_str(), "frame.eps"));
  EXPECT_FALSE(FilenameExists(path));
  {
    HostFileWriter writer;
    ASSERT_TRUE(writer.Open(path));
    EXPECT_TRUE(writer.Write("%!PS-Adobe-3.0 EPSF-3.0\n", 24));
    EXPECT_TRUE(writer.Write("", 0));
    EXPECT_TRUE(writer.Write("%%EOF\n", 6));
    EXPECT_TRUE(writer.Close());
  }
  EXPECT_TRUE(FilenameExists(path));
  std::ifstream in(path.Text(), std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), "%!PS-Adobe-3.0 EPSF-3.0\n%%EOF\n");

  EXPECT_TRUE(FileDelete(path));
  EXPECT_FALSE(FilenameExists(path));
  EXPECT_FALSE(FileDelete(path)) << "nothing left to delete";
  EXPECT_TRUE(FilenameExists(folder_.c_str())) << "folders exist too";
}

TEST_F(HostFileTest, FailuresAreReported) {
  HostFileWriter writer;
  EXPECT_FALSE(writer.Open(FilenameCompose(folder_.c_str(), "missing/frame.eps")));
  EXPECT_FALSE(writer.Write("x", 1));

  const int64_t before = host::GetLiveHandles().files;
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full to fill";
  ASSERT_TRUE(writer.Open("/dev/full"));
  EXPECT_EQ(host::GetLiveHandles().files - before, 1);
  writer.Write("data that cannot reach the disk", 31);
  EXPECT_FALSE(writer.Close()) << "a failed flush makes the close fail";
  EXPECT_EQ(host::GetLiveHandles().files, before);
}

TEST_F(HostFileTest, SaveSelectorCancelsUnlessAnswered) {
  const String preset("out/frame.eps");
  EXPECT_EQ(Host().fnSaveSelector("Save as", preset.Handle()), nullptr);

  std::string askedPreset;
  host::SetSaveSelector(
      [&](const std::string&, const std::string& p) -> std::optional<std::string> {
        askedPreset = p;
        return "chosen.eps";
      });
  const String chosen = String::Adopt(Host().fnSaveSelector("Save as", preset.Handle()));
  EXPECT_EQ(chosen, "chosen.eps");
  EXPECT_EQ(askedPreset, "out/frame.eps");
}

}  // namespace
