// The program's command line: help, version, and one clear line with exit
// status 2 for every usage error and unreadable scene.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "program_support.h"

namespace {

namespace fs = std::filesystem;

class ProgramUsageTest : public ProgramFolderTest {
 protected:
  ProgramUsageTest() : ProgramFolderTest("usage") {}
};

TEST_F(ProgramUsageTest, HelpAndVersion) {
  const ProgramRun help = RunProgram({"--help"}, folder_);
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: vexmark"), std::string::npos);
  for (const char* option : {"--output",     "--style",      "--from",       "--to",
                             "--fps",        "--size",       "--preset",     "--render-settings",
                             "--back-faces", "--outline",    "--crease",     "--crease-angle",
                             "--line-width", "--flat-edges", "--line-color", "--brightness",
                             "--camera",     "--tag",        "--save-scene", "--yes",
                             "--quiet",      "--format",     "--dpi",        "--threads"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  const ProgramRun version = RunProgram({"--version"}, folder_);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("vexmark ", 0), 0u);
}

TEST_F(ProgramUsageTest, UsageErrorsSayWhatIsWrongInOneLine) {
  const std::vector<std::vector<std::string>> cases = {
      {"--frobnicate"},
      {"--fps", "0"},
      {"--fps"},
      {"--style", "cubist"},
      {"--line-color", "red"},
      {"--line-width", "21"},
      {"--size", "100"},
      {"--back-faces", "sometimes"},
      {"--brightness", "2"},
      {"--tag", "nocolon"},
      {"--paper", "B5"},
      {"--paper", "200x300"},
      {"--paper", "0x300mm"},
      {"--margin", "-1"},
      {"--paper", "A4", "--margin", "105"},
      {"--min-length", "short"},
      {"--simplify", "-0.1"},
      {"--plotter=maybe"},
      {"a.gltf", "b.gltf"},
      {"info"},
      {"--format", "tiff"},
      {"--dpi", "0"},
      {"--threads", "0"},
      {"--threads", "257"},
      {"--threads", "two"},
      {"-o", "same.svg", "-o", "same", "--format", "svg"},
      {"-o", "twice", "-o", "twice.AI"},
  };
  for (const auto& args : cases) {
    const ProgramRun run = RunProgram(args, folder_);
    EXPECT_EQ(run.status, 2) << args[0];
    ASSERT_EQ(run.ErrLines().size(), 1u) << args[0] << ": " << run.err;
    EXPECT_EQ(run.ErrLines()[0].rfind("vexmark: ", 0), 0u) << run.err;
  }
}

// Values that cannot give a drawing are refused before any work, with the
// limit or the rule in the line: at parsing, or (for a frame range or a
// picture that the scene's stored settings complete) before the export.
TEST_F(ProgramUsageTest, SettingsThatCannotGiveADrawingAreRefusedBeforeWork) {
  const struct {
    std::vector<std::string> args;
    std::string shell;
    std::string said;
  } cases[] = {
      {{"--from", "10", "--to", "0"}, "", "--from 10 is after --to 0"},
      {{"--to", "-5"}, "", "the frame range starts after it ends (--from 0, --to -5)"},
      {{"-o", "big.png", "--dpi", "7200"}, "", "a PNG side is at most 32767 pixels"},
      {{"-o", "big.svg", "-o", "sheet.png", "--paper", "5000x3000mm", "--dpi", "600"},
       "",
       "the PNG picture would be 118110 x 70866 pixels"},
      {{"--paper", "5x300mm"}, "", "each side from 10 to 5080 mm"},
      {{"--paper", "200x9000mm"}, "", "each side from 10 to 5080 mm"},
      {{"--crease-angle", "270"}, "", "an angle from 0 to 180 degrees"},
      {{"--crease-angle", "-1"}, "", "an angle from 0 to 180 degrees"},
      {{"--line-color", "#+1+1+1"}, "", "a colour like #FF8000"},
      {{"--line-color", "# 1 1 1"}, "", "a colour like #FF8000"},
      {{}, "export VEXMARK_THREADS=abc", "VEXMARK_THREADS: 'abc' is not a whole number"},
      {{}, "export VEXMARK_THREADS=0", "VEXMARK_THREADS: '0' is not a whole number"},
  };
  for (const auto& c : cases) {
    const ProgramRun run = RunProgram(c.args, folder_, c.shell);
    EXPECT_EQ(run.status, 2) << c.said;
    ASSERT_EQ(run.ErrLines().size(), 1u) << c.said << ": " << run.err;
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      const std::string name = entry.path().filename().string();
      EXPECT_TRUE(name == "stdout.txt" || name == "stderr.txt") << c.said << ": wrote " << name;
    }
  }
  // --threads names the count itself: the variable is not read then.
  EXPECT_EQ(
      RunProgram({"--threads", "1", "-q", "-o", "ok.svg"}, folder_, "export VEXMARK_THREADS=abc")
          .status,
      0);
}

TEST_F(ProgramUsageTest, UnreadableScenesAreRefusedNamingTheFile) {
  std::ofstream(folder_ / "broken.gltf") << "{ this is not json";
  std::ofstream(folder_ / "empty.obj") << "";
  for (const char* scene : {"missing.gltf", "broken.gltf", "empty.obj"}) {
    for (bool info : {false, true}) {
      const ProgramRun run =
          info ? RunProgram({"info", scene}, folder_) : RunProgram({scene}, folder_);
      EXPECT_EQ(run.status, 2) << scene;
      ASSERT_EQ(run.ErrLines().size(), 1u) << scene << ": " << run.err;
      EXPECT_NE(run.err.find(scene), std::string::npos) << run.err;
    }
  }
}

}  // namespace

namespace {

// Names in a scene are bytes the file chose: control characters and bytes
// that are not UTF-8 are printed as escapes (\x1b), well-formed UTF-8 as it is.
TEST(ProgramNamesTest, NamesFromTheSceneArePrintedSafely) {
  const fs::path folder =
      fs::temp_directory_path() / ("vexmark-names-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const struct {
    std::string name;
    std::string shown;
  } cases[] = {
      {"Bad\x1b[31mColour", "Bad\\x1b[31mColour"},
      {"Broken\xff\xfe", "Broken\\xff\\xfe"},
      {"Overlong\xc0\xaf", "Overlong\\xc0\\xaf"},
      {"Caf\xc3\xa9", "Caf\xc3\xa9"},
  };
  for (const auto& c : cases) {
    std::ofstream(folder / "names.obj")
        << "o " << c.name << "\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    const ProgramRun run = RunProgram({"info", "names.obj"}, folder);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("  " + c.shown + " (mesh"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
  }
  fs::remove_all(folder);
}

// "--name=value" spells "--name value", "--" ends the options, and the
// help names styles by word only.
TEST(ProgramSpellingTest, EqualsSignsAndTheEndOfOptions) {
  const fs::path folder =
      fs::temp_directory_path() / ("vexmark-spelling-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  fs::copy_file(std::string(VEXMARK_SOURCE_DIR) + "/examples/still-life.gltf",
                folder / "-odd.gltf");
  const ProgramRun run = RunProgram(
      {"--style=filled", "--size=200x150", "--output=x.ai", "--quiet", "--", "-odd.gltf"}, folder);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(folder / "x.ai"));
  const ProgramRun flag = RunProgram({"--yes=1", "-odd.gltf"}, folder);
  EXPECT_EQ(flag.status, 2);
  EXPECT_EQ(flag.err, "vexmark: --yes takes no value\n");
  const ProgramRun help = RunProgram({"--help"}, folder);
  EXPECT_EQ(help.out.find("1003"), std::string::npos) << "no internal style numbers";
  fs::remove_all(folder);
}

// On a terminal the progress bar of a frame only grows, although the stages
// report in overlapping bands. The program runs under script(1) so that its
// stderr is a terminal.
TEST(ProgramProgressTest, TheBarOfAFrameNeverRunsBackwards) {
  const fs::path folder =
      fs::temp_directory_path() / ("vexmark-progress-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const fs::path typescript = folder / "typescript.txt";
  const std::string command =
      "cd " + Quote(folder.string()) + " && script -qec " +
      Quote(Quote(VEXMARK_PROGRAM_PATH) + " " +
            Quote(std::string(VEXMARK_SOURCE_DIR) + "/examples/still-life.gltf") +
            " --from 0 --to 2 -o s.ai --yes") +
      " /dev/null > " + Quote(typescript.string()) + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::string text = ReadWhole(typescript);
  std::replace(text.begin(), text.end(), '\r', '\n');
  std::istringstream lines(text);
  std::string frame;
  int last = -1;
  int bars = 0;
  for (std::string line; std::getline(lines, line);) {
    const size_t open = line.find('[');
    const size_t percentSign = line.rfind('%');
    if (open == std::string::npos || percentSign == std::string::npos || percentSign < 3) continue;
    const std::string text = line.substr(0, open);
    const int percent = std::atoi(line.substr(percentSign - 3, 3).c_str());
    if (text != frame) last = -1;
    EXPECT_GE(percent, last) << line;
    frame = text;
    last = percent;
    ++bars;
  }
  EXPECT_GT(bars, 10) << text;
  fs::remove_all(folder);
}

// A diagnostic the module repeats thousands of times on a real model comes
// once with its count and what it means, and not at all with --quiet.
TEST(ProgramDiagnosticsTest, RepeatedModuleLinesComeOnceWithTheirCount) {
  const std::string model = "/usr/share/assimp/models/OBJ/WusonOBJ.obj";
  if (!fs::exists(model)) GTEST_SKIP() << "assimp-testmodels is not installed";
  const fs::path folder =
      fs::temp_directory_path() / ("vexmark-diagnostics-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const ProgramRun run = RunProgram({model, "--style", "filled", "-o", "w.ai"}, folder);
  EXPECT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = run.ErrLines();
  int mentions = 0;
  for (const std::string& line : lines) {
    if (line.find("mehrere") == std::string::npos) continue;
    ++mentions;
    EXPECT_NE(line.find(" times): a region outline had several"), std::string::npos) << line;
  }
  EXPECT_EQ(mentions, 1) << run.err;
  std::set<std::string> distinct(lines.begin(), lines.end());
  EXPECT_EQ(distinct.size(), lines.size()) << "every line once: " << run.err;

  const ProgramRun quiet =
      RunProgram({model, "--style", "filled", "-o", "w.ai", "--yes", "-q"}, folder);
  EXPECT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(quiet.err.find("mehrere"), std::string::npos) << quiet.err;
  fs::remove_all(folder);
}

// A real file's orthographic camera, two units across: `info` says so,
// and the unit square it looks at spans half the page's width in the
// drawing, at whatever depth.
TEST(ProgramCameraTest, AParallelCameraOfARealFileShowsItsWidth) {
  const std::string model = "/usr/share/assimp/models/glTF2/cameras/Cameras.gltf";
  if (!fs::exists(model)) GTEST_SKIP() << "assimp-testmodels is not installed";
  const fs::path folder =
      fs::temp_directory_path() / ("vexmark-camera-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const ProgramRun info = RunProgram({"info", model}, folder);
  EXPECT_NE(info.out.find("nodes[2]: parallel, 2 units across\n"), std::string::npos) << info.out;

  const ProgramRun run = RunProgram(
      {model, "--camera", "nodes[2]", "--style", "filled", "--size", "400x300", "-o", "c.ai"},
      folder);
  ASSERT_EQ(run.status, 0) << run.err;
  std::ifstream drawing(folder / "c.ai");
  double left = 1e9, right = -1e9;
  for (std::string line; std::getline(drawing, line);) {
    std::istringstream words(line);
    double x = 0, y = 0;
    std::string op;
    if (words >> x >> y >> op && (op == "m" || op == "l")) {
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  EXPECT_NEAR(left, 100.0, 0.01);
  EXPECT_NEAR(right, 300.0, 0.01);
  fs::remove_all(folder);
}

}  // namespace

namespace {

// The program starts itself again with its heap settings; arguments, the
// user's own environment and the drawing must come through unchanged, and a
// user's own malloc settings are kept (the drawing is then the same too).
TEST(ProgramHeapTest, TheNewStartKeepsArgumentsAndDrawing) {
  const fs::path folder =
      fs::temp_directory_path() / ("vexmark-heap-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string scene = std::string(VEXMARK_SOURCE_DIR) + "/examples/still-life.gltf";
  const std::vector<std::string> shells = {"unset GLIBC_TUNABLES",
                                           "export GLIBC_TUNABLES=glibc.malloc.check=0",
                                           "export GLIBC_TUNABLES=glibc.rtld.nns=4"};
  std::vector<std::string> drawings;
  for (size_t i = 0; i < shells.size(); ++i) {
    SCOPED_TRACE(shells[i]);
    const std::string name = "a drawing 'é' " + std::to_string(i) + ".ai";
    const ProgramRun run =
        RunProgram({scene, "--style", "filled", "--size", "200x150", "-o", name, "--quiet"}, folder,
                   shells[i]);
    EXPECT_EQ(run.status, 0) << run.err;
    std::string drawing = ReadWhole(folder / name);
    ASSERT_FALSE(drawing.empty());
    // Name and time of writing differ from run to run.
    std::string kept;
    std::istringstream lines(drawing);
    for (std::string line; std::getline(lines, line);)
      if (line.rfind("%%Title", 0) != 0 && line.rfind("%%CreationDate", 0) != 0)
        kept += line + "\n";
    drawings.push_back(kept);
  }
  EXPECT_EQ(drawings[0], drawings[1]);
  EXPECT_EQ(drawings[0], drawings[2]);
  fs::remove_all(folder);
}

}  // namespace
