// The EPS file as a whole: names over a frame range, header and trailer,
// CR LF line ends, the owner record and creation date from the host.
#include "eps/eps_document.h"

#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "eps/eps_line.h"
#include "eps_test_support.h"
#include "core/export_settings.h"

namespace {

class EpsDocumentTest : public EpsTest {
 protected:
  void SetUp() override {
    EpsTest::SetUp();
    host::SetFixedLocalTime(HostDateTime{2026, 12, 8, 9, 5, 3});
    SetPage(320, 240, "scene.ai");
  }
};

const std::vector<std::string> kHeader = {
    "%!PS-Adobe-3.0",
    "%%Creator: Vexmark Orvel 2002",
    "%%For: () ()",
    "%%Title: (scene.ai)",
    "%%CreationDate: (8.12.2026) (9:5:3)",
    "%%BoundingBox: 0 0 320 240",
    "%AI5_FileFormat 3.0",
    "%%EndComments",
    "%%BeginProlog",
    "%%EndProlog",
    "%%BeginSetup",
    "Adobe_level2_AI5 /initialize get exec",
    "Adobe_Illustrator_AI5 /initialize get exec",
    "%%EndSetup",
};

const std::vector<std::string> kTrailer = {
    "%%PageTrailer",
    "gsave annotatepage grestore showpage",
    "%%Trailer",
    "Adobe_Illustrator_AI5 /terminate get exec",
    "Adobe_level2_AI5 /terminate get exec",
    "%%EOF",
};

TEST_F(EpsDocumentTest, EmptyPageIsHeaderThenTrailerWithCrLf) {
  for (const int32_t style :
       {kStyleAllEdges, kStyleVisibleEdges, kStyleEdgeLines, kStyleFilled, 0}) {
    ASSERT_TRUE(WritePage(style, 0));
    std::vector<std::string> expected = kHeader;
    expected.insert(expected.end(), kTrailer.begin(), kTrailer.end());
    EXPECT_EQ(Lines(ReadFile(PathOf("scene.ai"))), expected) << "style " << style;
  }
}

TEST_F(EpsDocumentTest, RangeWritesNumberedAiFilesOneFrameKeepsTheChosenName) {
  page_->fromFrame = 25;
  page_->toFrame = 30;
  for (int32_t frame = 0; frame < 6; ++frame)
    ASSERT_TRUE(WritePage(kStyleAllEdges, frame));
  for (int32_t frame = 0; frame < 6; ++frame) {
    const std::string name = "scene-" + std::to_string(frame) + ".ai";
    const std::vector<std::string> lines = Lines(ReadFile(PathOf(name)));
    ASSERT_EQ(lines.size(), 20u) << name;
    EXPECT_EQ(lines[3], "%%Title: (" + name + ")");
  }
  EXPECT_FALSE(std::filesystem::exists(PathOf("scene.ai")));

  page_->fromFrame = page_->toFrame = 7;
  page_->fileName = PathOf("single").c_str();
  ASSERT_TRUE(WritePage(kStyleAllEdges, 0));
  EXPECT_TRUE(std::filesystem::exists(PathOf("single")));
}

TEST_F(EpsDocumentTest, RangeNamesWithoutSuffixOrWithDotsInFolders) {
  page_->fromFrame = 0;
  page_->toFrame = 1;
  page_->fileName = "/a.b/scene";
  EXPECT_EQ(std::string(EpsFileName(*page_, 1).Text()), "/a.b/scene-1.ai");
  page_->fileName = "out.v2.ai";
  EXPECT_EQ(std::string(EpsFileName(*page_, 12).Text()), "out.v2-12.ai");
  // A standalone EPS keeps its suffix, in lower case.
  page_->fileName = "out.v2.EPS";
  EXPECT_EQ(std::string(EpsFileName(*page_, 12).Text()), "out.v2-12.eps");
}

TEST_F(EpsDocumentTest, OwnerRecordAndTitleAreWrittenAsTheyAre) {
  host::SetOwnerRecord("Ana Inks", "Zeichenb\xC3\xBCro");  // ü in UTF-8
  host::SetFixedLocalTime(HostDateTime{2031, 1, 2, 23, 59, 0});
  ASSERT_TRUE(WritePage(kStyleAllEdges, 0));
  const std::vector<std::string> lines = Lines(ReadFile(PathOf("scene.ai")));
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[2], "%%For: (Ana Inks) (Zeichenb\xFCro)");  // ü in Latin-1
  EXPECT_EQ(lines[4], "%%CreationDate: (2.1.2031) (23:59:0)");
}

// Parentheses and backslashes in a file name or the owner record are
// escaped, so that the PostScript string ends where it should.
TEST_F(EpsDocumentTest, TitleAndOwnerAreEscapedAsPostScriptStrings) {
  host::SetOwnerRecord("Ana \\ (Inks", "a)b");
  SetPage(320, 240, "cut) (x\\y.ai");
  ASSERT_TRUE(WritePage(kStyleAllEdges, 0));
  const std::vector<std::string> lines = Lines(ReadFile(PathOf("cut) (x\\y.ai")));
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[2], "%%For: (Ana \\\\ \\(Inks) (a\\)b)");
  EXPECT_EQ(lines[3], "%%Title: (cut\\) \\(x\\\\y.ai)");
}

TEST_F(EpsDocumentTest, WritingLeavesNoHostHandlesBehind) {
  host::SetOwnerRecord("Ana", "Inks");
  page_->fromFrame = 0;
  page_->toFrame = 2;
  const host::LiveHandles before = host::GetLiveHandles();
  ASSERT_TRUE(WritePage(kStyleAllEdges, 1));
  const host::LiveHandles after = host::GetLiveHandles();
  EXPECT_EQ(after.strings, before.strings);
  EXPECT_EQ(after.files, before.files);
}

TEST_F(EpsDocumentTest, LineBreaksInTextCannotStartLinesOfTheirOwn) {
  host::SetOwnerRecord("Ana\r\nshowpage", "");
  ASSERT_TRUE(WritePage(kStyleAllEdges, 0));
  const std::vector<std::string> lines = Lines(ReadFile(PathOf("scene.ai")));
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(lines[2], "%%For: (Ana??showpage) ()");
}

TEST_F(EpsDocumentTest, LongLinesAreCutToTheLineBuffer) {
  const std::string longName(600, 'n');
  host::SetOwnerRecord(longName, "");
  ASSERT_TRUE(WritePage(kStyleAllEdges, 0));
  const std::vector<std::string> lines = Lines(ReadFile(PathOf("scene.ai")));
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(lines[2].size(), static_cast<size_t>(kMaxEpsLine));
  EXPECT_EQ(lines[2], ("%%For: (" + longName).substr(0, kMaxEpsLine));
}

TEST_F(EpsDocumentTest, WriteLineWithoutFileWritesNothing) {
  EXPECT_EQ(WriteLine(nullptr, "text", true), 0);
  const std::vector<std::string> lines =
      LinesWrittenBy([](HostFileWriter* file) { EXPECT_EQ(WriteLine(file, "a", true), 1); });
  EXPECT_EQ(lines, std::vector<std::string>{"a"});
}

TEST_F(EpsDocumentTest, UnopenableFileIsReportedAndWritesNothing) {
  page_->fileName = PathOf("missing-folder/scene.ai").c_str();
  EXPECT_FALSE(WritePage(kStyleAllEdges, 0));
  EXPECT_FALSE(std::filesystem::exists(PathOf("missing-folder")));

  page_->fileName = PathOf("scene.ai").c_str();
  host::FailNthAllocation(1);  // the file object
  EXPECT_FALSE(WritePage(kStyleAllEdges, 0));
  host::ClearAllocationFaults();
  EXPECT_FALSE(std::filesystem::exists(PathOf("scene.ai")));
}

// A file size limit makes the writes fail part way, as a full disk would:
// the write is reported as failed and leaves neither drawing nor temporary
// file behind.
TEST_F(EpsDocumentTest, FailedWriteIsReported) {
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  void (*savedHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 200;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  page_->fileName = PathOf("full.ai").c_str();
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
TEST_F(EpsDocumentTest, NeverReplacesADeviceOrFolder) {
  std::filesystem::create_directories(PathOf("folder.ai"));
  page_->fileName = PathOf("folder.ai").c_str();
  EXPECT_FALSE(WritePage(kStyleAllEdges, 0));
  EXPECT_TRUE(std::filesystem::is_directory(PathOf("folder.ai")));
  for (const auto& entry : std::filesystem::directory_iterator(PathOf("")))
    EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos)
        << "no temporary file is left: " << entry.path();
}

}  // namespace
