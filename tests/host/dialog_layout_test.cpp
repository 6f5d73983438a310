// The dialog layout format: nesting, choices, and errors with their lines.
#include "host/dialog_layout.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "host/api/vexmark_ids.h"

namespace {

host::LayoutParseResult Parse(const std::string& text) {
  std::istringstream in(text);
  return host::ParseDialogLayout(in);
}

TEST(DialogLayoutTest, ReadsGroupsChoicesAndLabels) {
  const auto result = Parse(
      "# comment\n"
      "dialog 7 \"Title\"\n"
      "group 10 \"Outer\"\n"
      "  int 11 \"Width\"\n"
      "  choice 12\n"
      "    item 1 \"One\"\n"
      "    item 2 \"Two\"\n"
      "  end\n"
      "end\n"
      "button 1 \"OK\"\n");
  ASSERT_EQ(result.badLine, 0) << result.problem;
  EXPECT_EQ(result.layout.id, 7);
  EXPECT_EQ(result.layout.title, "Title");
  ASSERT_EQ(result.layout.gadgets.size(), 4u);
  EXPECT_EQ(result.layout.gadgets[1].parent, 0);
  EXPECT_EQ(result.layout.gadgets[2].items.size(), 2u);
  EXPECT_EQ(result.layout.gadgets[2].items[1].label, "Two");
  EXPECT_EQ(result.layout.gadgets[3].parent, -1);
}

TEST(DialogLayoutTest, ReportsTheFirstBadLine) {
  struct Case {
    const char* text;
    int32_t line;
  };
  const Case cases[] = {
      {"int 1 \"x\"\n", 1},                      // no dialog line first
      {"dialog 1\nslider 2\n", 2},               // unknown kind
      {"dialog 1\nint x\n", 2},                  // not a number
      {"dialog 1\nint 2\nint 2\n", 3},           // a gadget twice
      {"dialog 1\nend\n", 2},                    // end without a group
      {"dialog 1\ngroup 2\n", 2},                // missing end (reported at the last line)
      {"dialog 1\nchoice 2\nint 3\nend\n", 3},   // a choice holds items only
      {"dialog 1\nint 2 \"open\n", 2},           // unterminated label
      {"", 1},                                   // empty
  };
  for (const Case& c : cases) {
    const auto result = Parse(c.text);
    EXPECT_EQ(result.badLine, c.line) << c.text;
    EXPECT_FALSE(result.problem.empty()) << c.text;
  }
}

TEST(DialogLayoutTest, TheModuleLayoutsParse) {
  const int32_t layouts[] = {kMainLayout, kTagLayout};
  for (const int32_t layout : layouts) {
    const std::string name = std::to_string(layout) + ".dlg";
    std::ifstream in(std::string(VEXMARK_SOURCE_DIR) + "/res/dialogs/" + name);
    ASSERT_TRUE(in) << name;
    const auto result = host::ParseDialogLayout(in);
    EXPECT_EQ(result.badLine, 0) << name << ": " << result.problem;
  }
}

}  // namespace
