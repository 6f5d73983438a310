// Console lines, captures, the line sink and message box answers.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "host_fixture.h"

namespace {

class HostConsoleTest : public HostTest {};

TEST_F(HostConsoleTest, CaptureCollectsLinesFromAnyThreadInOrderPerThread) {
  host::ConsoleCapture console;
  ConsolePrint("first");
  std::thread other([] {
    for (int i = 0; i < 100; ++i) ConsolePrint(("worker " + std::to_string(i)).c_str());
  });
  other.join();
  ReportNoMemory("stack.cpp", 42);

  const std::vector<std::string> lines = console.Lines();
  ASSERT_EQ(lines.size(), 102u);
  EXPECT_EQ(lines.front(), "first");
  EXPECT_EQ(lines[100], "worker 99");
  EXPECT_TRUE(console.Contains("NO MEMORY: stack.cpp 42"));
  EXPECT_FALSE(console.Contains("NO MEMORY"));
}

TEST_F(HostConsoleTest, LineBreaksSplitIntoLinesAndATrailingOneIsDropped) {
  host::ConsoleCapture console;
  ConsolePrint("one\ntwo\n");
  ConsolePrint("");
  EXPECT_EQ(console.Lines(), (std::vector<std::string>{"one", "two", ""}));
}

TEST_F(HostConsoleTest, SinkReceivesLinesOnlyWhileNothingCaptures) {
  std::vector<std::string> sunk;
  host::SetConsoleSink([&](const std::string& line) { sunk.push_back(line); });
  ConsolePrint("to the sink");
  {
    host::ConsoleCapture console;
    ConsolePrint("captured");
    EXPECT_EQ(console.Lines(), std::vector<std::string>{"captured"});
  }
  ConsolePrint("sink again");
  EXPECT_EQ(sunk, (std::vector<std::string>{"to the sink", "sink again"}));

  host::ResetForTest();
  ConsolePrint("to stderr");
  EXPECT_EQ(sunk.size(), 2u) << "the reset restores stderr";
}

TEST_F(HostConsoleTest, MessageBoxUsesTheConfiguredAnswer) {
  EXPECT_EQ(Host().messageBox("Overwrite?", kMessageBoxYesNo), kMessageAnswerNo)
      << "default: no to a yes/no question";
  EXPECT_EQ(Host().messageBox("Done.", 0), 1);

  std::string asked;
  host::SetMessageBoxAnswer([&](const std::string& text, int32_t code) {
    asked = text;
    return code == kMessageBoxYesNo ? kMessageAnswerYes : kMessageAnswerOk;
  });
  EXPECT_EQ(Host().messageBox("Overwrite?", kMessageBoxYesNo), kMessageAnswerYes);
  EXPECT_EQ(asked, "Overwrite?");
}

}  // namespace
