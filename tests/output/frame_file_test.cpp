// The file of a frame in any format: names over a frame range, the
// temporary file put in place only when complete, and failures that leave
// nothing behind. The files here are EPS, the format whose header names the
// file it is in.
#include "output/frame_file.h"

#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "core/export_settings.h"
#include "eps_test_support.h"

namespace {

class FrameFileTest : public EpsTest {
 protected:
  void SetUp() override {
    EpsTest::SetUp();
    SetPage(320, 240, "scene.ai");
  }
};

TEST_F(FrameFileTest, RangeWritesNumberedAiFilesOneFrameKeepsTheChosenName) {
  page_->file.fromFrame = 25;
  page_->file.toFrame = 30;
  for (int32_t frame = 0; frame < 6; ++frame) ASSERT_TRUE(WritePage(kStyleAllEdges, frame));
  for (int32_t frame = 0; frame < 6; ++frame) {
    const std::string name = "scene-" + std::to_string(frame) + ".ai";
    const std::vector<std::string> lines = Lines(ReadFile(PathOf(name)));
    ASSERT_EQ(lines.size(), 20u) << name;
    EXPECT_EQ(lines[3], "%%Title: (" + name + ")");
  }
  EXPECT_FALSE(std::filesystem::exists(PathOf("scene.ai")));

  page_->file.fromFrame = page_->file.toFrame = 7;
  page_->file.fileName = PathOf("single").c_str();
  ASSERT_TRUE(WritePage(kStyleAllEdges, 0));
  EXPECT_TRUE(std::filesystem::exists(PathOf("single")));
}

TEST_F(FrameFileTest, RangeNamesWithoutSuffixOrWithDotsInFolders) {
  page_->file.fromFrame = 0;
  page_->file.toFrame = 1;
  page_->file.fileName = "/a.b/scene";
  EXPECT_EQ(std::string(FrameFileName(page_->file, 1).Text()), "/a.b/scene-1.ai");
  page_->file.fileName = "out.v2.ai";
  EXPECT_EQ(std::string(FrameFileName(page_->file, 12).Text()), "out.v2-12.ai");
  // A standalone EPS keeps its suffix, in lower case.
  page_->file.fileName = "out.v2.EPS";
  EXPECT_EQ(std::string(FrameFileName(page_->file, 12).Text()), "out.v2-12.eps");
}

TEST_F(FrameFileTest, UnopenableFileIsReportedAndWritesNothing) {
  page_->file.fileName = PathOf("missing-folder/scene.ai").c_str();
  EXPECT_FALSE(WritePage(kStyleAllEdges, 0));
  EXPECT_FALSE(std::filesystem::exists(PathOf("missing-folder")));

  page_->file.fileName = PathOf("scene.ai").c_str();
  host::FailNthAllocation(1);  // the file object
  EXPECT_FALSE(WritePage(kStyleAllEdges, 0));
  host::ClearAllocationFaults();
  EXPECT_FALSE(std::filesystem::exists(PathOf("scene.ai")));
}

// A file size limit makes the writes fail part way, as a full disk would:
// the write is reported as failed and leaves neither drawing nor temporary
// file behind.
TEST_F(FrameFileTest, FailedWriteIsReported) {
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  void (*savedHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 200;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  page_->file.fileName = PathOf("full.ai").c_str();
  host::ConsoleCapture console;
  const bool written = WritePage(kStyleAllEdges, 0);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, savedHandler);

  EXPECT_FALSE(written);
  EXPECT_FALSE(std::filesystem::exists(PathOf("full.ai")));
  for (const auto& entry : std::filesystem::directory_iterator(PathOf("")))
    EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos)
        << "no temporary file is left: " << entry.path();
  EXPECT_TRUE(console.Contains("Cannot write " + PathOf("full.ai")));
  ASSERT_EQ(host::FileFailures().size(), 1u);
  EXPECT_EQ(host::FileFailures()[0].path, PathOf("full.ai"));
  EXPECT_EQ(host::FileFailures()[0].error, EFBIG);
}

// A name that is not an ordinary file is never replaced.
TEST_F(FrameFileTest, NeverReplacesADeviceOrFolder) {
  std::filesystem::create_directories(PathOf("folder.ai"));
  page_->file.fileName = PathOf("folder.ai").c_str();
  EXPECT_FALSE(WritePage(kStyleAllEdges, 0));
  EXPECT_TRUE(std::filesystem::is_directory(PathOf("folder.ai")));
  for (const auto& entry : std::filesystem::directory_iterator(PathOf("")))
    EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos)
        << "no temporary file is left: " << entry.path();
}

}  // namespace
