// Temporary files put in place: no replace of a file that appeared during
// the export unless allowed, nothing left on disk before the rename where
// the file system has unnamed files, and the sweep of killed runs' files.
#include "host/temporary_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "host_fixture.h"

namespace {

namespace fs = std::filesystem;

class TemporaryFileTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    folder_ = fs::temp_directory_path() / ("vexmark_temporary_" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    fs::remove_all(folder_);
    HostTest::TearDown();
  }

  std::set<std::string> Files() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_))
      names.insert(entry.path().filename().string());
    return names;
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }
  // Writes "drawing" to a temporary file for `target` and puts it in place
  // as the module does: the temporary file is deleted when that fails.
  static bool WriteDrawing(const fs::path& target) {
    String name;
    HostFileWriter writer;
    if (!writer.OpenTemporary(target.c_str(), name)) return false;
    writer.Write("drawing", 7);
    if (!writer.Close()) return false;
    if (FileRename(name, target.c_str())) return true;
    EXPECT_TRUE(FileDelete(name));
    return false;
  }
  // Whether this folder's file system has unnamed files.
  bool HasUnnamedFiles() const {
    const int fd = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return true;
  }

  fs::path folder_;
};

// A file of the target's name that appears during the export (another run
// finishing first) is kept unless replacing was allowed: always, or for
// that file (under any spelling of its path). Unnamed and named temporary
// files alike; the refused one leaves nothing behind.
TEST_F(TemporaryFileTest, AFileThatAppearedMeanwhileIsReplacedOnlyWhenAllowed) {
  struct Case {
    const char* name;
    bool always;
    const char* agreed;  // AllowReplacing, relative to the folder; null: none
    bool replaced;
  };
  const Case cases[] = {
      {"replacing allowed (--yes)", true, nullptr, true},
      {"not allowed", false, nullptr, false},
      {"allowed for another file", false, "other.ai", false},
      {"allowed for this file", false, "frame.ai", true},
      {"allowed for this file, spelled otherwise", false, "./sub/../frame.ai", true},
  };
  for (const bool unnamed : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (unnamed ? ", unnamed" : ", named"));
      host::ResetForTest();
      HostBind(host::Table());
      host::SetUnnamedTemporaryFiles(unnamed);
      fs::remove_all(folder_);
      fs::create_directories(folder_ / "sub");
      const fs::path target = folder_ / "frame.ai";
      host::SetReplaceAllowed(c.always);
      if (c.agreed != nullptr) host::AllowReplacing((folder_ / c.agreed).string());
      std::string hooked;
      host::SetBeforeCommitHook([&](const std::string& name) {
        hooked = name;
        std::ofstream(target) << "the other run's drawing";
      });

      EXPECT_EQ(WriteDrawing(target), c.replaced);
      EXPECT_EQ(hooked, target.string());
      EXPECT_EQ(Read(target), c.replaced ? "drawing" : "the other run's drawing");
      EXPECT_EQ(Files(), (std::set<std::string>{"frame.ai", "sub"})) << "no temporary file left";
      const std::vector<host::FileFailure> failures = host::FileFailures();
      if (c.replaced) {
        EXPECT_TRUE(failures.empty());
      } else {
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_EQ(failures[0].path, target.string());
        EXPECT_EQ(host::FileErrorText(failures[0].error),
                  "a file of that name appeared during the export; not replaced");
      }
    }
  }
}

// Without a file in the way, a new file is put in place whatever the
// policy; a folder there is never replaced.
TEST_F(TemporaryFileTest, NewFilesArePutInPlaceAndFoldersNeverReplaced) {
  for (const bool unnamed : {true, false}) {
    SCOPED_TRACE(unnamed ? "unnamed" : "named");
    host::SetUnnamedTemporaryFiles(unnamed);
    host::SetReplaceAllowed(false);
    const fs::path target = folder_ / (unnamed ? "a.ai" : "b.ai");
    EXPECT_TRUE(WriteDrawing(target));
    EXPECT_EQ(Read(target), "drawing");
    fs::create_directories(folder_ / "folder.ai");
    host::SetReplaceAllowed(true);
    EXPECT_FALSE(WriteDrawing(folder_ / "folder.ai"));
    EXPECT_TRUE(fs::is_directory(folder_ / "folder.ai"));
  }
  EXPECT_EQ(Files(), (std::set<std::string>{"a.ai", "b.ai", "folder.ai"}));
}

// Where the file system has unnamed files, nothing is on disk until the
// file is put in place, so a killed run leaves nothing.
TEST_F(TemporaryFileTest, UnnamedTemporaryFilesAreNotOnDiskBeforeTheRename) {
  if (!HasUnnamedFiles()) GTEST_SKIP() << "the file system has no unnamed files";
  String name;
  HostFileWriter writer;
  ASSERT_TRUE(writer.OpenTemporary((folder_ / "frame.ai").c_str(), name));
  EXPECT_TRUE(writer.Write("drawing", 7));
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(Files(), std::set<std::string>{});
  EXPECT_TRUE(FileRename(name, (folder_ / "frame.ai").c_str()));
  EXPECT_EQ(Files(), std::set<std::string>{"frame.ai"});
  EXPECT_EQ(host::WrittenFiles(), std::vector<std::string>{(folder_ / "frame.ai").string()});
}

// The first temporary file in a folder removes the named temporary files
// that killed runs left there, and nothing else: not a live run's (locked),
// not one newer than this run, not a link, folder or other name.
TEST_F(TemporaryFileTest, LeftoversOfKilledRunsAreSweptAndNothingElse) {
  const auto plant = [&](const std::string& file, int ageSeconds) {
    std::ofstream(folder_ / file) << "left";
    const auto when = fs::file_time_type::clock::now() - std::chrono::seconds(ageSeconds);
    fs::last_write_time(folder_ / file, when);
  };
  plant(".frame.ai.Ab12Cd.part", 3600);      // a killed run's: removed
  plant(".other.svg.000000.part", 3600);     // another target's: removed too
  plant(".frame.ai.LiveXy.part", 3600);      // a live run's, locked below
  plant(".frame.ai.Newer1.part", -3600);     // newer than this run
  plant("frame.ai.Ab12Cd.part", 3600);       // no leading dot
  plant(".frame.ai.Ab12C.part", 3600);       // five characters
  plant(".frame.ai.Ab-2Cd.part", 3600);      // not letters and digits
  plant(".frame.ai.Ab12Cd.part.bak", 3600);  // another suffix
  fs::create_directory(folder_ / ".dir.ai.Ab12Cd.part");
  fs::create_symlink(folder_ / "frame.ai.Ab12Cd.part", folder_ / ".link.ai.Ab12Cd.part");
  const int live = ::open((folder_ / ".frame.ai.LiveXy.part").c_str(), O_RDONLY);
  ASSERT_GE(live, 0);
  ASSERT_EQ(::flock(live, LOCK_EX), 0);

  for (const bool unnamed : {true, false}) {
    SCOPED_TRACE(unnamed ? "unnamed" : "named");
    host::ResetForTest();
    HostBind(host::Table());
    host::SetUnnamedTemporaryFiles(unnamed);
    plant(".frame.ai.Ab12Cd.part", 3600);
    plant(".other.svg.000000.part", 3600);
    EXPECT_TRUE(WriteDrawing(folder_ / "frame.ai"));
    EXPECT_EQ(Files(),
              (std::set<std::string>{"frame.ai", ".frame.ai.LiveXy.part", ".frame.ai.Newer1.part",
                                     "frame.ai.Ab12Cd.part", ".frame.ai.Ab12C.part",
                                     ".frame.ai.Ab-2Cd.part", ".frame.ai.Ab12Cd.part.bak",
                                     ".dir.ai.Ab12Cd.part", ".link.ai.Ab12Cd.part"}));
  }
  ::close(live);
}

// A named temporary file is locked while it lives, so that another run's
// sweep never takes it.
TEST_F(TemporaryFileTest, NamedTemporaryFilesAreLockedWhileTheyLive) {
  host::SetUnnamedTemporaryFiles(false);
  std::string name;
  const int fd = host::CreateTemporaryFile((folder_ / "frame.ai").string(), name);
  ASSERT_GE(fd, 0);
  ::close(fd);
  const int other = ::open(name.c_str(), O_RDONLY);
  ASSERT_GE(other, 0);
  EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0) << "the writer holds the lock";
  EXPECT_TRUE(host::DiscardTemporaryFile(name));
  EXPECT_EQ(Files(), std::set<std::string>{});
  ::close(other);
}

}  // namespace
