// What could surprise a user is said: a frame range tells how many
// drawings it gives at the export rate (12 per second unless set, whatever
// the scene's own rate, as --help says), and an -o suffix that is not a
// drawing format is named with the file the drawing goes to instead.
// --quiet says neither.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export_support.h"

namespace {

using namespace e2e;

const std::string kStillLife = std::string(VEXMARK_SOURCE_DIR) + "/examples/still-life.vxm";
const std::string kTurntable = std::string(VEXMARK_SOURCE_DIR) + "/examples/turntable.gltf";

class ProgramNoticesTest : public HostTest {
 protected:
  ScratchFolder folder_;
};

TEST_F(ProgramNoticesTest, RangesAndForeignSuffixesAreSaid) {
  const struct {
    std::vector<std::string> args;
    std::string says;  // empty: no "vexmark:" line at all
    std::set<std::string> files;
  } cases[] = {
      {{kTurntable, "--from", "0", "--to", "3", "-o", "spin.svg"},
       "vexmark: frames 0 to 3 of a scene at 24 frames per second, exported at 12 per second "
       "(--fps): 2 drawing(s)",
       {"spin-0.svg", "spin-1.svg"}},
      {{kTurntable, "--from", "0", "--to", "3", "--fps", "24", "-o", "spin.svg"},
       "exported at 24 per second (--fps): 4 drawing(s)",
       {"spin-0.svg", "spin-1.svg", "spin-2.svg", "spin-3.svg"}},
      {{kStillLife, "-o", "notes.txt"},
       "vexmark: -o notes.txt: .txt is not a drawing format; the drawing goes to notes.ai",
       {"notes.ai"}},
      {{kStillLife, "-o", "plain.svg", "-o", "bare"}, "", {"plain.svg", "bare.ai"}},
      {{kStillLife, "-o", "notes.txt", "--format", "pdf"}, "", {"notes.pdf"}},
      {{kStillLife, "-o", "quiet.txt", "-q"}, "", {"quiet.ai"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.back());
    std::vector<std::string> args = c.args;
    args.push_back("--yes");
    const ProgramRun run = RunProgram(args, folder_.Path());
    EXPECT_EQ(run.status, 0) << run.err;
    if (c.says.empty())
      EXPECT_EQ(run.err.find("vexmark:"), std::string::npos) << run.err;
    else
      EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_EQ(folder_.Drawings(), c.files);
    for (const std::string& file : folder_.Drawings()) fs::remove(folder_ / file);
  }
  const ProgramRun help = RunProgram({"--help"}, folder_.Path());
  EXPECT_NE(help.out.find("exported frames per second (12 unless set, whatever"), std::string::npos)
      << help.out;
}

}  // namespace
