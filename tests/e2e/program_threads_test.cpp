// The program writes the same drawing whatever the number of threads it
// runs the visible fragments on: chosen with --threads, with the
// VEXMARK_THREADS variable, or left to the hardware.
#include <gtest/gtest.h>

#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "export_support.h"

namespace {

using namespace e2e;

const std::string kModels = "/usr/share/assimp/models/";

// The file without its creation date, the one line that differs from run to
// run.
std::string WithoutDate(const std::string& text) {
  const size_t start = text.find("%%CreationDate:");
  if (start == std::string::npos) return text;
  return text.substr(0, start) + text.substr(text.find('\n', start));
}

TEST(ProgramThreadsTest, TheDrawingIsTheSameForAnyNumberOfThreads) {
  struct Case {
    std::string scene;
    std::vector<std::string> options;
  };
  const std::vector<Case> cases = {
      {std::string(VEXMARK_SOURCE_DIR) + "/examples/still-life.gltf",
       {"--style", "filled", "-o", "d.ai", "-o", "d.svg"}},
      {std::string(VEXMARK_SOURCE_DIR) + "/examples/turntable.gltf",
       {"--style", "visible", "--from", "0", "--to", "6", "-o", "d.ai"}},
      {kModels + "OBJ/WusonOBJ.obj", {"--style", "visible", "-o", "d.ai"}},
      {kModels + "OBJ/WusonOBJ.obj", {"--style", "filled", "-o", "d.eps"}},
  };
  const auto drawings = [](const ScratchFolder& folder) {
    std::set<std::string> files = folder.Files();
    files.erase("stdout.txt");
    files.erase("stderr.txt");
    return files;
  };
  // How the count is chosen: by option, by variable, or not at all.
  struct Threads {
    std::vector<std::string> options;
    std::string shell;
  };
  const std::vector<Threads> ways = {{{"--threads", "2"}, ""},
                                     {{"--threads", "4"}, ""},
                                     {{}, "export VEXMARK_THREADS=3"},
                                     {{}, "unset VEXMARK_THREADS"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scene + " " + c.options[1]);
    if (!fs::exists(c.scene)) {  // as the other tests of these models, skipped when missing
      std::cerr << c.scene << " is missing: install assimp-testmodels (tools/setup.sh)\n";
      continue;
    }
    ScratchFolder single;
    std::vector<std::string> args = {c.scene, "-q", "--threads", "1"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ProgramRun one = RunProgram(args, single.Path());
    ASSERT_EQ(one.status, 0) << one.err;
    const std::set<std::string> files = drawings(single);
    ASSERT_FALSE(files.empty());
    for (const Threads& way : ways) {
      SCOPED_TRACE(way.options.empty() ? way.shell : way.options[1] + " threads");
      ScratchFolder many;
      std::vector<std::string> manyArgs = {c.scene, "-q"};
      manyArgs.insert(manyArgs.end(), way.options.begin(), way.options.end());
      manyArgs.insert(manyArgs.end(), c.options.begin(), c.options.end());
      const ProgramRun run = RunProgram(manyArgs, many.Path(), way.shell);
      ASSERT_EQ(run.status, 0) << run.err;
      ASSERT_EQ(drawings(many), files);
      for (const std::string& file : files) {
        const std::string expected = ReadWhole(single.Path() / file);
        ASSERT_GT(expected.size(), 1000u) << file;
        EXPECT_TRUE(WithoutDate(ReadWhole(many.Path() / file)) == WithoutDate(expected)) << file;
      }
    }
  }
}

}  // namespace
