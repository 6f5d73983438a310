// The program's output files: two outputs of a run never name one file, a
// file that appears during the export is not replaced, a killed run leaves
// no temporary file, and output names stored in a scene are relative to
// the scene's folder.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "export_support.h"

namespace {

using namespace e2e;

const std::string kStillLife = std::string(VEXMARK_SOURCE_DIR) + "/examples/still-life.gltf";

// Waits up to `seconds` for `done`.
template <class Condition>
bool WaitFor(double seconds, Condition done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// The names in `folder` that end in ".part": temporary files left behind.
std::vector<std::string> TemporaryFiles(const ScratchFolder& folder) {
  std::vector<std::string> left;
  for (const std::string& file : folder.Files())
    if (file.size() > 5 && file.compare(file.size() - 5, 5, ".part") == 0) left.push_back(file);
  return left;
}

// A PNG big enough that its drawing takes a while, for runs caught in the
// middle: the picture size, and the export's arguments for `file`.
std::vector<std::string> SlowPng(const std::string& file) {
  return {kStillLife, "--size", "12000x9000", "--style", "filled", "-o", file};
}

// Two outputs naming one file are a usage error before anything is
// written (nor the scene saved); the line names the file. Names the
// command line gives are compared before the import, names known only
// from the scene (its frame range, the proposed name) before the export.
TEST(ProgramOutputsTest, TwoOutputsNamingOneFileAreRefused) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* file;  // the file named, relative to the folder; null: no clash
  };
  const Case cases[] = {
      {"the scene saved over the drawing", {"-o", "a.svg", "--save-scene", "a.svg"}, "a.svg"},
      {"two spellings of one path", {"-o", "./a.svg", "-o", "a.svg"}, "a.svg"},
      {"through a linked folder", {"-o", "real/a.ai", "-o", "linked/a.ai"}, "linked/a.ai"},
      {"--format gives the -o file its suffix",
       {"-o", "a", "--format", "svg", "--save-scene", "a.svg"},
       "a.svg"},
      {"the suffix the format adds", {"-o", "a", "-o", "a.ai"}, "a.ai"},
      {"a numbered frame file",
       {"--from", "0", "--to", "2", "--fps", "30", "-o", "f.ai", "--save-scene", "f-1.ai"},
       "f-1.ai"},
      {"the proposed name", {"--save-scene", "still-life.ai"}, "still-life.ai"},
      {"a frame beyond the range",
       {"--from", "0", "--to", "2", "--fps", "30", "-o", "f.ai", "--save-scene", "f-3.ai"},
       nullptr},
      {"a number the frames never have",
       {"--from", "0", "--to", "2", "--fps", "30", "-o", "f.ai", "--save-scene", "f-01.ai"},
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    fs::copy_file(kStillLife, folder / "still-life.gltf");
    fs::create_directory(folder / "real");
    fs::create_directory_symlink(folder / "real", folder / "linked");
    std::vector<std::string> args = {folder / "still-life.gltf", "-q"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProgramRun run = RunProgram(args, folder.Path());
    if (c.file == nullptr) {
      EXPECT_EQ(run.status, 0) << run.err;
      continue;
    }
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(SaysInOneLine(
        run, "two outputs of this run name the same file: " + (folder.Path() / c.file).string()))
        << "or, for names on the command line, as given";
    EXPECT_EQ(folder.Drawings(), (std::set<std::string>{"still-life.gltf", "real", "linked"}));
    EXPECT_TRUE(fs::is_empty(folder / "real"));
  }
}

// A file of the drawing's name that another run puts in place while this
// one draws is kept: this run ends with the usual failed-file line naming
// it, instead of replacing the other run's result. With --yes it is
// replaced.
TEST(ProgramOutputsTest, AFileThatAppearsDuringTheExportIsNotReplaced) {
  for (const bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "--yes" : "without --yes");
    ScratchFolder folder;
    std::vector<std::string> args = SlowPng("out.png");
    if (yes) args.push_back("--yes");
    RunningProgram slow(args, folder.Path());
    ASSERT_TRUE(slow.Started());
    // Its progress lines start once the export runs, past every check.
    ASSERT_TRUE(WaitFor(30, [&] { return !ReadWhole(folder / "stderr.txt").empty(); }));
    ScratchFolder other;
    const ProgramRun quick =
        RunProgram({kStillLife, "-q", "-o", folder / "out.png", "--size", "64x48"}, other.Path());
    ASSERT_EQ(quick.status, 0) << quick.err;
    const std::string theirs = ReadWhole(folder / "out.png");

    ProgramRun run;
    ASSERT_TRUE(slow.Wait(120, run));
    EXPECT_EQ(TemporaryFiles(folder), std::vector<std::string>{});
    if (yes) {
      EXPECT_EQ(run.status, 0) << run.err;
      EXPECT_NE(ReadWhole(folder / "out.png"), theirs);
      continue;
    }
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> lines = run.ErrLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(),
              "vexmark: 1 drawing(s) could not be written (0 complete file(s) "
              "written); the first: " +
                  (folder / "out.png") +
                  ": a file of that name appeared during the export; not replaced");
    EXPECT_EQ(ReadWhole(folder / "out.png"), theirs);
  }
}

// A run killed outright (no chance to clean up) in the middle of a PNG
// leaves no temporary file, and neither does the next run into the folder;
// that run also removes a temporary file that a killed run left on a file
// system without unnamed files (an old one, not locked by a live run).
TEST(ProgramOutputsTest, AKilledRunLeavesNoTemporaryFile) {
  ScratchFolder folder;
  RunningProgram killed(SlowPng("out.png"), folder.Path());
  ASSERT_TRUE(killed.Started());
  ASSERT_TRUE(WaitFor(30, [&] { return !ReadWhole(folder / "stderr.txt").empty(); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  killed.Signal(SIGKILL);
  ProgramRun run;
  ASSERT_TRUE(killed.Wait(30, run));
  EXPECT_EQ(run.status, 128 + SIGKILL);
  EXPECT_FALSE(fs::exists(folder / "out.png"));
  EXPECT_EQ(TemporaryFiles(folder), std::vector<std::string>{});

  const std::string leftover = folder / ".out.png.Ab12Cd.part";
  std::ofstream(leftover) << "half a picture";
  fs::last_write_time(leftover, fs::file_time_type::clock::now() - std::chrono::hours(1));
  const ProgramRun next =
      RunProgram({kStillLife, "-q", "-o", "out.png", "--size", "64x48"}, folder.Path());
  EXPECT_EQ(next.status, 0) << next.err;
  EXPECT_TRUE(fs::exists(folder / "out.png"));
  EXPECT_EQ(TemporaryFiles(folder), std::vector<std::string>{});
}

// Output names stored in a scene are relative to the scene's folder: a
// scene saved with its drawing inside its folder keeps the name relative
// (it moves with the folder), one outside keeps it absolute, and either is
// written to the same place when the scene is exported from elsewhere.
TEST(ProgramOutputsTest, StoredOutputNamesAreRelativeToTheScene) {
  ScratchFolder work;
  fs::create_directories(work / "scenes");
  fs::create_directories(work / "elsewhere");
  fs::create_directories(work / "drawings");
  const fs::path scenes = work.Path() / "scenes";
  fs::create_directories(scenes / "out");
  ProgramRun run = RunProgram({kStillLife, "-q", "-o", "out/inside.svg", "-o",
                               "../drawings/outside.svg", "--save-scene", "saved.vxm"},
                              scenes);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string stored = ReadWhole(scenes / "saved.vxm");
  EXPECT_NE(stored.find("\"out/inside.svg\""), std::string::npos);
  EXPECT_NE(stored.find("\"" + (work / "drawings/outside.svg") + "\""), std::string::npos);

  // Moved with its folder and exported from another folder.
  fs::rename(scenes, work.Path() / "moved");
  fs::remove(work / "moved/out/inside.svg");
  fs::remove(work / "drawings/outside.svg");
  run = RunProgram({work / "moved/saved.vxm", "-q"}, work.Path() / "elsewhere");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(work / "moved/out/inside.svg"));
  EXPECT_TRUE(fs::exists(work / "drawings/outside.svg"));
  EXPECT_FALSE(fs::exists(work / "elsewhere/out")) << "nothing written from the working folder";
}

}  // namespace
