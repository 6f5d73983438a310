// -o -: one frame's drawing goes to standard output in the format --format
// names, whole and alone (the tool at the end of the pipe reads it), and
// nothing is left behind; a frame range or a second -o with it is a usage
// error.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "export_support.h"

namespace {

using namespace e2e;

const std::string kStillLife = std::string(VEXMARK_SOURCE_DIR) + "/examples/still-life.vxm";
const std::string kTurntable = std::string(VEXMARK_SOURCE_DIR) + "/examples/turntable.gltf";

int ShellStatus(const std::string& command) {
  const int raw = std::system((command + " > /dev/null 2>&1").c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

class ProgramStdoutTest : public HostTest {
 protected:
  ScratchFolder folder_;
};

TEST_F(ProgramStdoutTest, OneFramesDrawingGoesToStandardOutput) {
  const struct {
    std::vector<std::string> format;
    std::string start;
    std::string check;  // reads the drawing from the file %s
  } cases[] = {
      {{}, "%!PS-Adobe-3.0\r\n", "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage " +
                                     std::string(VEXMARK_SOURCE_DIR) +
                                     "/tests/eps/data/vexmark_procset.ps %s"},
      {{"--format", "eps"}, "%!PS-Adobe-3.0 EPSF-3.0\r\n",
       "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage %s"},
      {{"--format", "svg"}, "<?xml", "rsvg-convert %s"},
      {{"--format", "pdf"}, "%PDF-1.5\n", "qpdf --check %s"},
      {{"--format", "png"}, "\x89PNG\r\n", "pngcheck %s"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    std::vector<std::string> args = {kStillLife, "-o", "-"};
    args.insert(args.end(), c.format.begin(), c.format.end());
    const ProgramRun run = RunProgram(args, folder_.Path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind(c.start, 0), 0u);
    std::FILE* file = std::fopen((folder_ / "drawing").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(run.out.data(), 1, run.out.size(), file);
    std::fclose(file);
    std::string check = c.check;
    check.replace(check.find("%s"), 2, Quote(folder_ / "drawing"));
    EXPECT_EQ(ShellStatus(check), 0) << check;
    EXPECT_EQ(folder_.Files(), (std::set<std::string>{"stdout.txt", "stderr.txt", "drawing"}));
    fs::remove(folder_ / "drawing");
  }
  // Straight into a pipe, as a user runs it.
  EXPECT_EQ(ShellStatus(Quote(VEXMARK_PROGRAM_PATH) + " " + Quote(kStillLife) +
                        " --format svg -o - | rsvg-convert -o " + Quote(folder_ / "piped.png")),
            0);
  EXPECT_EQ(ShellStatus("pngcheck " + Quote(folder_ / "piped.png")), 0);
}

TEST_F(ProgramStdoutTest, RangesAndFurtherOutputsAreUsageErrors) {
  const struct {
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {{kTurntable, "--from", "0", "--to", "3", "--fps", "24", "-o", "-"},
       "-o - writes one frame's drawing to standard output; the frame range has 4 frames"},
      {{kStillLife, "-o", "-", "-o", "also.svg"},
       "-o - (the drawing to standard output) cannot go with another -o"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    const ProgramRun run = RunProgram(c.args, folder_.Path());
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(SaysInOneLine(run, c.says)) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(folder_.Files(), (std::set<std::string>{"stdout.txt", "stderr.txt"}));
  }
}

}  // namespace
