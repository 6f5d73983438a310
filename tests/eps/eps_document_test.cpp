// The EPS file as a whole: header and trailer,
// CR LF line ends, the owner record and creation date from the host.
#include "eps/eps_document.h"

#include <filesystem>
#include <string>
#include <vector>

#include "core/export_settings.h"
#include "eps/eps_line.h"
#include "eps_test_support.h"

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
  page_->file.fromFrame = 0;
  page_->file.toFrame = 2;
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

}  // namespace
