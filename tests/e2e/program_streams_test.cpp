// What the program says on stdout and stderr: importer warnings once each
// or, with -q, counted in one line; the written files named safely; a
// stdout that cannot take them is a failure, a closed pipe a quiet end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "program_support.h"

namespace {

namespace fs = std::filesystem;

class ProgramStreamsTest : public ProgramFolderTest {
 protected:
  ProgramStreamsTest() : ProgramFolderTest("streams") {}

  // Runs `command` in bash in the folder; its exit status.
  int Shell(const std::string& command) {
    const std::string line =
        "cd " + Quote(folder_.string()) + " && bash -c " + Quote(command) + " 2> stderr.txt";
    const int raw = std::system(line.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  std::string Program() const { return Quote(VEXMARK_PROGRAM_PATH); }
  std::string Scene() const {
    return Quote(std::string(VEXMARK_SOURCE_DIR) + "/examples/still-life.gltf");
  }
};

// A scene with many materials whose images are missing, and no camera:
// each warning comes once with the program's prefix, or with -q all are
// counted in a single line.
TEST_F(ProgramStreamsTest, ImporterWarningsAreShownOnceEachOrCountedWithQuiet) {
  constexpr int kMaterials = 40;
  std::ofstream mtl(folder_ / "many.mtl");
  std::ofstream obj(folder_ / "many.obj");
  obj << "mtllib many.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\n";
  for (int k = 0; k < kMaterials; ++k) {
    mtl << "newmtl m" << k << "\nKd 1 1 1\nmap_Kd missing" << k << ".png\n";
    obj << "usemtl m" << k << "\nf 1 2 3\n";
  }
  mtl.close();
  obj.close();

  const ProgramRun loud = RunProgram({"many.obj", "-o", "loud.svg"}, folder_);
  EXPECT_EQ(loud.status, 0) << loud.err;
  size_t warnings = 0;  // the other lines are the progress display's
  for (const std::string& line : loud.ErrLines()) {
    if (line.find("many.obj") == std::string::npos) continue;
    EXPECT_EQ(line.rfind("vexmark: many.obj: ", 0), 0u) << line;
    ++warnings;
  }
  EXPECT_NE(loud.err.find("vexmark: many.obj: the scene has no camera"), std::string::npos);
  EXPECT_EQ(warnings, static_cast<size_t>(kMaterials) + 1) << loud.err;

  const ProgramRun quiet = RunProgram({"many.obj", "-q", "-o", "quiet.svg"}, folder_);
  EXPECT_EQ(quiet.status, 0) << quiet.err;
  ASSERT_EQ(quiet.ErrLines().size(), 1u) << quiet.err;
  EXPECT_EQ(quiet.ErrLines()[0], "vexmark: many.obj: " + std::to_string(warnings) +
                                     " warnings while reading the scene (shown without -q)");
}

// The written files go to stdout, one a line: a name with a control
// character is escaped there; a full device behind stdout fails the run
// with one line; a reader that closed the pipe ends it quietly, with the
// file written and a status that is not 0.
TEST_F(ProgramStreamsTest, StdoutFailuresAreFailuresAndNamesAreEscaped) {
  const ProgramRun odd = RunProgram({"-o", "odd\x1b[2Jname.svg"}, folder_);
  EXPECT_EQ(odd.status, 0) << odd.err;
  EXPECT_NE(odd.out.find("odd\\x1b[2Jname.svg"), std::string::npos) << odd.out;
  EXPECT_EQ(odd.out.find('\x1b'), std::string::npos);

  EXPECT_EQ(Shell(Program() + " " + Scene() + " -o full.svg > /dev/full"), 1);
  const std::string full = ReadWhole(folder_ / "stderr.txt");  // after the progress lines
  EXPECT_NE(full.find("\nvexmark: cannot write to standard output: No space left on device\n"),
            std::string::npos)
      << full;
  EXPECT_EQ(Shell(Program() + " info " + Scene() + " > /dev/full"), 1);

  EXPECT_EQ(Shell(Program() + " " + Scene() + " -o piped.svg | true; exit ${PIPESTATUS[0]}"), 1);
  EXPECT_EQ(ReadWhole(folder_ / "stderr.txt").find("vexmark:"), std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(folder_ / "piped.svg"));
}

}  // namespace
