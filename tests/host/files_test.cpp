// File names, writing files and the save selector.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <set>
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

  std::set<std::string> Files() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
      names.insert(entry.path().filename().string());
    return names;
  }
  static std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }
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

// A temporary file is a new file of its own beside the target: a user's file
// or link at the old fixed name ".part" is never touched, two temporaries
// never share a name, and the target appears only at the rename.
TEST_F(HostFileTest, TemporaryFilesAreNewFilesBesideTheTarget) {
  const std::filesystem::path target = folder_ / "frame.ai";
  std::ofstream(folder_ / "frame.ai.part") << "the user's own file";
  std::ofstream(folder_ / "victim.txt") << "precious";
  std::filesystem::create_symlink(folder_ / "victim.txt", folder_ / "link.ai.part");

  String first, second;
  HostFileWriter one, two;
  ASSERT_TRUE(one.OpenTemporary(target.c_str(), first));
  ASSERT_TRUE(two.OpenTemporary(target.c_str(), second));
  EXPECT_NE(first, second);
  for (const String* name : {&first, &second}) {
    EXPECT_EQ(FilenameFolderPart(*name), folder_.c_str());
    EXPECT_NE(*name, String(target.c_str()) + ".part");
  }
  EXPECT_FALSE(std::filesystem::exists(target)) << "nothing in place before the rename";
  EXPECT_TRUE(one.Write("drawing", 7));
  EXPECT_TRUE(one.Close());
  EXPECT_TRUE(two.Close());
  EXPECT_TRUE(FileRename(first, target.c_str()));
  EXPECT_TRUE(FileDelete(second));
  EXPECT_EQ(Read(target), "drawing");
  EXPECT_EQ(host::WrittenFiles(), std::vector<std::string>{target.string()});

  String linked;
  HostFileWriter three;
  ASSERT_TRUE(three.OpenTemporary((folder_ / "link.ai").c_str(), linked));
  EXPECT_TRUE(three.Write("drawing", 7));
  EXPECT_TRUE(three.Close());
  EXPECT_TRUE(FileRename(linked, (folder_ / "link.ai").c_str()));
  EXPECT_EQ(Read(folder_ / "frame.ai.part"), "the user's own file");
  EXPECT_EQ(Read(folder_ / "victim.txt"), "precious");
  EXPECT_EQ(Files(), (std::set<std::string>{"frame.ai", "frame.ai.part", "victim.txt",
                                            "link.ai.part", "link.ai"}));
  EXPECT_TRUE(host::FileFailures().empty());
}

// Every failure is recorded once, under the file meant, with the errno the
// host saw; a temporary file that cannot be put in place stays for the
// caller to delete.
TEST_F(HostFileTest, FailuresAreRecordedWithTheirCause) {
  String name;
  HostFileWriter writer;
  const std::filesystem::path missing = folder_ / "missing" / "frame.ai";
  EXPECT_FALSE(writer.OpenTemporary(missing.c_str(), name));

  const std::filesystem::path folder = folder_ / "folder.ai";
  std::filesystem::create_directories(folder);
  ASSERT_TRUE(writer.OpenTemporary(folder.c_str(), name));
  EXPECT_TRUE(writer.Close());
  EXPECT_FALSE(FileRename(name, folder.c_str())) << "a folder is never replaced";
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_TRUE(FileDelete(name));
  EXPECT_EQ(Files(), std::set<std::string>{"folder.ai"});

  const std::vector<host::FileFailure> failures = host::FileFailures();
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_EQ(failures[0].path, missing.string());
  EXPECT_EQ(host::FileErrorText(failures[0].error), "no such file or directory");
  EXPECT_EQ(failures[1].path, folder.string());
  EXPECT_EQ(host::FileErrorText(failures[1].error),
            "something other than an ordinary file has that name");
  EXPECT_EQ(host::FileErrorText(ENOSPC), "no space left on device");
}

// A module bound to an older host, whose table ends before the temporary
// file service, writes to the target's name with ".part" appended.
TEST_F(HostFileTest, OlderHostsGetTheFixedTemporaryName) {
  HostApi older = *host::Table();
  older.size = static_cast<int32_t>(offsetof(HostApi, fileOpenTemporary));
  HostBind(&older);
  const std::filesystem::path target = folder_ / "frame.ai";
  String name;
  HostFileWriter writer;
  const bool opened = writer.OpenTemporary(target.c_str(), name);
  const bool closed = writer.Close();
  HostBind(host::Table());
  EXPECT_TRUE(opened);
  EXPECT_TRUE(closed);
  EXPECT_EQ(name, String(target.c_str()) + ".part");
  EXPECT_TRUE(std::filesystem::exists(folder_ / "frame.ai.part"));
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
