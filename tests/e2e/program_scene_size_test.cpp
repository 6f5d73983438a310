// Scenes larger than memory: a small file that names one mesh from many
// nodes is refused before its triangles are built, with one line naming the
// count and the limit; and under a bound on the address space, the program
// ends with one line about memory and status 1, never with an abort or with
// the file called damaged.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "generated_gltf.h"
#include "program_support.h"

namespace {

namespace fs = std::filesystem;

class SceneSizeTest : public ProgramFolderTest {
 protected:
  SceneSizeTest() : ProgramFolderTest("scene-size") {}

  void Write(const std::string& name, const std::string& text) {
    std::ofstream(folder_ / name) << text;
  }
};

TEST_F(SceneSizeTest, ScenesThatExpandPastTheLimitAreRefusedBeforeTheyAreBuilt) {
  Write("bomb.gltf", InstancedGltf(10000, 10000));    // 100 million triangles, 0.8 MB
  Write("many-nodes.gltf", InstancedGltf(1, 20000));  // one triangle in 20,000 nodes
  Write("hundred.gltf", InstancedGltf(2, 50));        // 100 triangles
  ASSERT_EQ(
      RunProgram({"hundred.gltf", "--save-scene", "hundred.vxm", "-o", "first.svg", "-q"}, folder_)
          .status,
      0);

  struct Case {
    std::vector<std::string> args;
    int status;
    std::string line;  // the one stderr line; empty: no line of the program's
  };
  const std::string over = "the scene expands to ";
  const Case cases[] = {
      {{"bomb.gltf"},
       2,
       "vexmark: bomb.gltf: " + over +
           "100,000,000 triangles, more than the limit of 4,000,000 (--max-triangles)"},
      {{"bomb.gltf", "--max-triangles", "99999999"},
       2,
       "vexmark: bomb.gltf: " + over +
           "100,000,000 triangles, more than the limit of 99,999,999 (--max-triangles)"},
      {{"many-nodes.gltf", "--max-triangles", "1000"},
       2,
       "vexmark: many-nodes.gltf: " + over +
           "20,000 triangles, more than the limit of 1,000 (--max-triangles)"},
      {{"hundred.gltf", "--max-triangles", "99"},
       2,
       "vexmark: hundred.gltf: " + over +
           "100 triangles, more than the limit of 99 (--max-triangles)"},
      {{"hundred.gltf", "--max-triangles", "100"}, 0, ""},
      // The native format holds every triangle itself; the same limit applies.
      {{"hundred.vxm", "--max-triangles", "99"},
       2,
       "vexmark: hundred.vxm: " + over +
           "100 triangles, more than the limit of 99 (--max-triangles)"},
      {{"hundred.vxm", "--max-triangles", "100"}, 0, ""},
      {{"hundred.gltf", "--max-triangles", "0"},
       2,
       "vexmark: --max-triangles: '0' is not a whole number from 1 to 2000000000"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    for (const char* more : {"-o", "drawing.svg", "-q", "--yes"}) args.push_back(more);
    const ProgramRun run = RunProgram(args, folder_);
    const std::string name = args[0] + " " + (args.size() > 5 ? args[2] : "");
    EXPECT_EQ(run.status, c.status) << name << ": " << run.err;
    if (c.line.empty()) {
      // With -q only the count of the importer's warnings (the camera it
      // added) may come.
      for (const std::string& line : run.ErrLines())
        EXPECT_NE(line.find("while reading the scene (shown without -q)"), std::string::npos)
            << name << ": " << run.err;
    } else {
      EXPECT_EQ(run.ErrLines(), std::vector<std::string>{c.line}) << name;
    }
  }
  // `info` reads the scene with the same limit.
  const ProgramRun info = RunProgram({"info", "bomb.gltf"}, folder_);
  EXPECT_EQ(info.status, 2);
  EXPECT_EQ(info.ErrLines().size(), 1u) << info.err;
}

// A valid scene of 300,000 nodes (27 MB) read under bounds on the address
// space: each run either lists the scene or ends with one line about memory
// and status 1. The bounds reach from too little for the importer's child to
// too little for taking its result apart in this process.
TEST_F(SceneSizeTest, UnderAnAddressSpaceBoundMemoryFailuresEndInOneLine) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizers reserve more address space than any of these bounds";
#endif
  Write("nodes.gltf", InstancedGltf(1, 300000));
  // 2.5 GB is where the program used to abort; the smaller bounds fail
  // earlier in the reading. A bound near the scene's needs takes half a
  // minute to reach, so there are few.
  for (const int megabytes : {1024, 1536, 2560}) {
    const ProgramRun run = RunProgram({"info", "nodes.gltf"}, folder_,
                                      "ulimit -v " + std::to_string(megabytes * 1024));
    const std::string name = std::to_string(megabytes) + " MB: ";
    if (run.status == 0) {
      EXPECT_NE(run.out.find("node299999"), std::string::npos) << name;
      continue;
    }
    EXPECT_EQ(run.status, 1) << name << run.err;
    const std::vector<std::string> lines = run.ErrLines();
    ASSERT_EQ(lines.size(), 1u) << name << run.err;
    EXPECT_EQ(lines[0].rfind("vexmark: nodes.gltf: not enough memory", 0), 0u) << name << lines[0];
  }
}

}  // namespace
