// The module's string table, loaded from <folder>/res/strings.txt.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host_fixture.h"
#include "host/api/vexmark_ids.h"

namespace {

class HostResourceTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    folder_ =
        std::filesystem::temp_directory_path() / ("vexmark_host_res_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_ / "res");
  }
  void TearDown() override {
    ResourcesFree();
    std::filesystem::remove_all(folder_);
    HostTest::TearDown();
  }
  void WriteTable(const std::string& text) {
    std::ofstream(folder_ / "res" / "strings.txt", std::ios::binary) << text;
  }
  std::filesystem::path folder_;
};

TEST_F(HostResourceTest, TheShippedTableHasTheFramePrefix) {
  ASSERT_TRUE(ResourcesLoad(VEXMARK_SOURCE_DIR));
  EXPECT_EQ(LoadResourceString(kStatusPrefixString), "Vexmark frame ");
}

TEST_F(HostResourceTest, ParsesEntriesCommentsAndEscapes) {
  WriteTable(
      "# a comment\n"
      "\n"
      "1 \"plain\"\n"
      "  2   \"say \\\"hi\\\" \\\\ there\"   # trailing comment\r\n"
      "3 \"\"\n"
      "4 \"two\\nlines\"\n"
      "5 \"# not a comment\"");
  ASSERT_TRUE(ResourcesLoad(folder_.c_str()));
  EXPECT_EQ(LoadResourceString(1), "plain");
  EXPECT_EQ(LoadResourceString(2), "say \"hi\" \\ there");
  EXPECT_EQ(LoadResourceString(3), "");
  EXPECT_EQ(LoadResourceString(4), "two\nlines");
  EXPECT_EQ(LoadResourceString(5), "# not a comment");
  EXPECT_EQ(LoadResourceString(99), "") << "a missing id gives an empty string";
}

TEST_F(HostResourceTest, MalformedTablesAreRefusedWithTheLineNumber) {
  struct Case {
    const char* text;
    int line;
  };
  const Case cases[] = {
      {"1 \"ok\"\n2 \"unterminated\n", 2},
      {"1 \"ok\"\n\n# c\nabc \"no id\"\n", 4},
      {"1 no quotes\n", 1},
      {"1 \"ok\"\n1 \"again\"\n", 2},
      {"1 \"bad \\q escape\"\n", 1},
      {"1 \"ok\" extra\n", 1},
  };
  for (const Case& c : cases) {
    WriteTable(c.text);
    host::ConsoleCapture console;
    EXPECT_FALSE(ResourcesLoad(folder_.c_str())) << c.text;
    const std::vector<std::string> lines = console.Lines();
    ASSERT_EQ(lines.size(), 1u) << c.text;
    EXPECT_NE(lines[0].find("strings.txt:" + std::to_string(c.line) + ":"), std::string::npos)
        << lines[0];
  }
  EXPECT_EQ(LoadResourceString(1), "") << "nothing is loaded";
}

TEST_F(HostResourceTest, MissingFolderOrFileGivesNoTable) {
  const int64_t before = host::GetLiveHandles().resources;
  host::ConsoleCapture console;
  EXPECT_FALSE(ResourcesLoad((folder_ / "nowhere").c_str()));
  EXPECT_FALSE(ResourcesLoad(folder_.c_str())) << "res/ exists but holds no strings.txt";
  EXPECT_FALSE(ResourcesLoad(""));
  EXPECT_EQ(host::GetLiveHandles().resources, before);
}

}  // namespace
