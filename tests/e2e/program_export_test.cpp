// The program exporting for real: its options reach the written files, it
// refuses to replace files without --yes (drawings and saved scenes alike),
// its exit status says whether every drawing was written and why not, and
// Ctrl-C stops it, discarding the frame in progress; no signal leaves a
// temporary file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cmath>
#include <csignal>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "export_support.h"
#include "host/import/load_scene.h"

namespace {

using namespace e2e;

const std::string kStillLife = std::string(VEXMARK_SOURCE_DIR) + "/examples/still-life.gltf";
const std::string kTurntable = std::string(VEXMARK_SOURCE_DIR) + "/examples/turntable.gltf";

class ProgramExportTest : public HostTest {
 protected:
  ProgramRun Run(const std::vector<std::string>& args, const std::string& shell = "") {
    return RunProgram(args, folder_.Path(), shell);
  }

  std::set<std::string> Drawings() const { return folder_.Drawings(); }

  std::string BoundingBox(const std::string& file) const {
    for (const std::string& line : ReadDrawing(folder_ / file).lines)
      if (line.rfind("%%BoundingBox:", 0) == 0) return line;
    return "";
  }

  // Everything after the header, which holds the title and the time.
  std::string Body(const std::string& file) const {
    const std::string text = ReadWhole(folder_ / file);
    return text.substr(std::min(text.size(), text.find("%%EndSetup")));
  }

  // Saves a document built in the test as a scene file in the folder.
  std::string SaveScene(const HostDocument& doc, const std::string& name) {
    std::string error;
    EXPECT_TRUE(host::SaveNativeDocument(doc, folder_ / name, error)) << error;
    return folder_ / name;
  }

  ScratchFolder folder_;
};

TEST_F(ProgramExportTest, StylesSizesAndLineOptionsReachTheFile) {
  struct Case {
    std::vector<std::string> args;
    const char* file;
    const char* boundingBox;
  };
  const Case cases[] = {
      {{"--style", "edges", "--size", "200x150"}, "edges.ai", "0 0 200 150"},
      {{"--style", "visible", "--preset", "640x480"}, "visible.ai", "0 0 640 480"},
      {{"--style", "lines"}, "lines.ai", "0 0 320 240"},
      {{"--style", "filled"}, "filled.ai", "0 0 320 240"},
      {{"--style", "edges", "--size", "200x150", "--flat-edges", "on"}, "flat.ai", "0 0 200 150"},
      {{"--style", "lines", "--crease", "off"}, "nocrease.ai", "0 0 320 240"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {kStillLife, "-o", c.file, "-q"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProgramRun run = Run(args);
    EXPECT_EQ(run.status, 0) << c.file << ": " << run.err;
    EXPECT_EQ(run.out + run.err, "") << "-q says nothing";
    EXPECT_TRUE(ReadDrawing(folder_ / c.file).framed) << c.file;
    EXPECT_EQ(BoundingBox(c.file), std::string("%%BoundingBox: ") + c.boundingBox);
  }
  // Only the filled style fills; the hidden-line styles draw less than all
  // edges; the options take lines away.
  for (const char* file : {"edges.ai", "visible.ai", "lines.ai", "filled.ai"}) {
    bool fills = false;
    for (const PaintedPath& path : ReadDrawing(folder_ / file).paths) fills |= path.Closed();
    EXPECT_EQ(fills, std::string(file) == "filled.ai") << file;
  }
  const auto length = [&](const char* file) { return ReadDrawing(folder_ / file).StrokedLength(); };
  EXPECT_LT(length("flat.ai"), length("edges.ai") * 0.95) << "the squares' diagonals are gone";
  EXPECT_LT(length("nocrease.ai"), length("lines.ai") * 0.95) << "the box's creases are gone";
  EXPECT_LT(length("visible.ai") / 640, length("edges.ai") / 200);

  // Without -q the written files are listed.
  const ProgramRun listed = Run({kStillLife, "-o", "listed.ai"});
  EXPECT_EQ(listed.status, 0);
  EXPECT_EQ(listed.out, folder_ / "listed.ai" + "\n");
}

TEST_F(ProgramExportTest, LineSettingsAndTagsGiveWidthAndColour) {
  const ProgramRun run =
      Run({kStillLife, "--style", "edges", "--line-width", "3", "--line-color", "#ff8000",
           "--brightness", "0.5", "--tag", "Box:width=2,color=#0000ff", "-o", "lines.ai", "-q"});
  ASSERT_EQ(run.status, 0) << run.err;
  const WrittenDrawing drawing = ReadDrawing(folder_ / "lines.ai");
  EXPECT_EQ(drawing.Widths(), (std::set<std::string>{"2 w", "3 w"}));
  std::set<std::string> strokes;
  for (const PaintedPath& path : drawing.paths) strokes.insert(path.stroke + " " + path.width);
  EXPECT_EQ(strokes, (std::set<std::string>{"0.49804 0.25098 0.00000 3",     // halved orange
                                            "0.00000 0.00000 1.00000 2"}));  // the box's tag
}

TEST_F(ProgramExportTest, FrameRangeWritesNumberedFiles) {
  const ProgramRun run =
      Run({kTurntable, "--from", "0", "--to", "6", "--fps", "24", "-o", "spin.ai", "-q"});
  EXPECT_EQ(run.status, 0) << run.err;
  std::set<std::string> expected;
  for (int f = 0; f <= 6; ++f) expected.insert("spin-" + std::to_string(f) + ".ai");
  EXPECT_EQ(Drawings(), expected);
  for (const std::string& file : expected) EXPECT_TRUE(ReadDrawing(folder_ / file).framed) << file;
  EXPECT_NE(Body("spin-0.ai"), Body("spin-3.ai")) << "the box turns";
}

// A standalone EPS range keeps its suffix, in lower case, on every frame,
// and its files count as existing drawings that only --yes replaces.
TEST_F(ProgramExportTest, StandaloneEpsRangeKeepsItsSuffix) {
  const std::vector<std::string> args = {kTurntable, "--from", "0",  "--to",     "2",
                                         "--fps",    "24",     "-o", "spin.EPS", "-q"};
  const ProgramRun run = Run(args);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Drawings(), (std::set<std::string>{"spin-0.eps", "spin-1.eps", "spin-2.eps"}));
  for (const std::string& file : Drawings())
    EXPECT_TRUE(ReadDrawing(folder_ / file).framed) << file;
  const ProgramRun again = Run(args);
  EXPECT_EQ(again.status, 1) << again.err;
  EXPECT_NE(again.err.find("not replaced"), std::string::npos) << again.err;
}

// A square in view for the first half second, then gone to the side: the
// frames after it write no file, and one line says which files those are,
// also with --quiet.
TEST_F(ProgramExportTest, FramesWithNothingInViewAreListedInOneLine) {
  std::unique_ptr<HostDocument> doc(host::NewDocument());
  AddCamera(*doc);
  HostObject& square = AddMesh(*doc, "Square", {{-2, -2, 10}, {2, -2, 10}, {2, 2, 10}, {-2, 2, 10}},
                               {{0, 1, 2, 3}}, {1, 0, 0});
  square.tracks.position.keys = {{0, {0, 0, 0}}, {0.5, {0, 0, 0}}, {0.55, {500, 0, 0}}};
  const std::string scene = SaveScene(*doc, "leaving.vxm");
  for (const char* quiet : {"", "-q"}) {
    SCOPED_TRACE(quiet);
    std::vector<std::string> args = {scene, "--back-faces", "keep",       "--from",
                                     "0",   "--to",         "30",         "--fps",
                                     "5",   "-o",           "leaving.ai", "--yes"};
    if (*quiet) args.push_back(quiet);
    const ProgramRun run = Run(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Drawings(), (std::set<std::string>{"leaving.vxm", "leaving-0.ai", "leaving-1.ai",
                                                 "leaving-2.ai"}));
    // Without -q the progress lines come first.
    const std::vector<std::string> lines = run.ErrLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "vexmark: nothing in view in 3 frame(s), so no file for " +
                                (folder_ / "leaving-3.ai") + ", " + (folder_ / "leaving-4.ai") +
                                ", " + (folder_ / "leaving-5.ai"));
    if (*quiet) {
      EXPECT_EQ(lines.size(), 1u) << run.err;
    }
  }
}

TEST_F(ProgramExportTest, CameraOptionLooksThroughAnotherCamera) {
  std::unique_ptr<HostDocument> doc(host::NewDocument());
  AddCamera(*doc).name = "Near";
  HostObject& far = host::AddObject(doc->scene, host::kNoIndex, kObjectCamera, "Far");
  far.local.off = {0, 0, -10};
  AddMesh(*doc, "Square", {{-2, -2, 10}, {2, -2, 10}, {2, 2, 10}, {-2, 2, 10}}, {{0, 1, 2, 3}},
          {1, 0, 0});
  const std::string scene = SaveScene(*doc, "cameras.vxm");

  // A 4-unit square at 10 and at 20 units, 320 points across.
  const auto widthOnPage = [&](const std::string& file) {
    double lo = 1e9, hi = -1e9;
    for (const PagePoint& p : ReadDrawing(folder_ / file).Corners())
      lo = std::min(lo, p.x), hi = std::max(hi, p.x);
    return hi - lo;
  };
  ASSERT_EQ(Run({scene, "--back-faces", "keep", "-o", "near.ai", "-q"}).status, 0);
  ASSERT_EQ(Run({scene, "--back-faces", "keep", "--camera", "Far", "-o", "far.ai", "-q"}).status,
            0);
  EXPECT_NEAR(widthOnPage("near.ai"), 128, 0.01);
  EXPECT_NEAR(widthOnPage("far.ai"), 64, 0.01);

  const ProgramRun unknown = Run({scene, "--camera", "Nowhere", "-o", "none.ai"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_TRUE(SaysInOneLine(unknown, "Near, Far"));
  EXPECT_EQ(Drawings(), (std::set<std::string>{"cameras.vxm", "near.ai", "far.ai"}));
}

TEST_F(ProgramExportTest, SavedSceneExportsTheSameDrawingAgain) {
  const ProgramRun first =
      Run({kStillLife, "--style", "filled", "--size", "200x150", "--line-width", "2", "--tag",
           "Column:width=5", "--save-scene", "saved.vxm", "-o", "first.ai", "-q"});
  ASSERT_EQ(first.status, 0) << first.err;
  const ProgramRun again = Run({"saved.vxm", "-o", "again.ai", "-q"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(Body("again.ai"), Body("first.ai"));
  EXPECT_EQ(ReadDrawing(folder_ / "again.ai").Widths(), (std::set<std::string>{"2 w", "5 w"}));
}

// A tag value the tag dialog cannot take is refused in one line and nothing
// is written; a colour is six hex digits, without a sign.
TEST_F(ProgramExportTest, TagValuesOutsideTheirKindAreRefused) {
  for (const char* tag : {"Box:color=#+0000f", "Box:color=#-00001", "Box:color=#00ff0g",
                          "Box:width=21", "Box:angle=steep", "Box:wobble=1"}) {
    const ProgramRun run = Run({kStillLife, "--tag", tag, "-o", "tagged.svg", "-q"});
    EXPECT_EQ(run.status, 2) << tag;
    EXPECT_TRUE(SaysInOneLine(run, "cannot set")) << tag << ": " << run.err;
    EXPECT_FALSE(fs::exists(folder_ / "tagged.svg")) << tag;
  }
}

// An existing drawing stays as it was unless --yes says otherwise: the
// chosen file, the numbered files of a range, and the file named after the
// scene when there is no -o.
TEST_F(ProgramExportTest, ExistingDrawingsAreReplacedOnlyWithYes) {
  fs::copy_file(kStillLife, folder_ / "scene.gltf");
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* file;  // one of the files the export writes
  };
  const Case cases[] = {
      {"chosen file", {"scene.gltf", "-o", "out.ai"}, "out.ai"},
      {"frame range", {"scene.gltf", "--to", "2", "-o", "range.ai"}, "range-0.ai"},
      {"no -o", {"scene.gltf"}, "scene.ai"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-q", "--style", "edges"});
    ASSERT_EQ(Run(args).status, 0);
    const std::string before = ReadWhole(folder_ / c.file);

    args.insert(args.end(), {"--style", "filled"});
    const ProgramRun refused = Run(args);
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(SaysInOneLine(refused, "--yes"));
    EXPECT_EQ(ReadWhole(folder_ / c.file), before) << "left as it was";

    args.push_back("--yes");
    EXPECT_EQ(Run(args).status, 0);
    EXPECT_NE(Body(c.file), before.substr(before.find("%%EndSetup")));
  }
}

TEST_F(ProgramExportTest, NothingWrittenExitsWithOne) {
  std::unique_ptr<HostDocument> doc(host::NewDocument());
  AddCamera(*doc);
  AddMesh(*doc, "Behind", {{-1, -1, -10}, {1, -1, -10}, {0, 1, -10}}, {Triangle(0, 1, 2)},
          {1, 0, 0});
  const std::string behind = SaveScene(*doc, "behind.vxm");
  const ProgramRun empty = Run({behind, "-o", "empty.ai", "-q"});
  EXPECT_EQ(empty.status, 1);
  EXPECT_TRUE(SaysInOneLine(empty, "no drawing was written: nothing of the scene is in view"));

  // An output folder that is missing, or that is a file.
  std::ofstream(folder_ / "plain") << "not a folder";
  for (const char* output : {"missing/out.ai", "plain/out.ai"}) {
    const ProgramRun run = Run({kStillLife, "-o", output, "-q"});
    EXPECT_EQ(run.status, 1) << output;
    EXPECT_TRUE(SaysInOneLine(run, output));
  }
  EXPECT_EQ(Drawings(), (std::set<std::string>{"behind.vxm", "plain"}));
}

// A ball of many quadrangles in front of the camera, heavy enough that a
// frame takes a while.
std::unique_ptr<HostDocument> Ball(int segments, int rings) {
  std::unique_ptr<HostDocument> doc(host::NewDocument());
  AddCamera(*doc);
  std::vector<HostVector> points;
  std::vector<HostPolygon> polygons;
  const double pi = std::acos(-1.0);
  for (int r = 0; r <= rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      const double lat = pi * r / rings, lon = 2 * pi * s / segments;
      points.push_back({static_cast<float>(3 * std::sin(lat) * std::cos(lon)),
                        static_cast<float>(3 * std::cos(lat)),
                        static_cast<float>(10 + 3 * std::sin(lat) * std::sin(lon))});
    }
  }
  for (int r = 0; r < rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      const int t = (s + 1) % segments;
      polygons.push_back(
          {r * segments + s, r * segments + t, (r + 1) * segments + t, (r + 1) * segments + s});
    }
  }
  AddMesh(*doc, "Ball", points, polygons, {0.3f, 0.5f, 0.9f});
  return doc;
}

// The names in `folder` that hold ".part": temporary files left behind.
std::vector<std::string> TemporaryFiles(const ScratchFolder& folder) {
  std::vector<std::string> left;
  for (const std::string& file : folder.Files())
    if (file.find(".part") != std::string::npos) left.push_back(file);
  return left;
}

// Signals during a long range, at several moments of a frame: the first
// Ctrl-C discards the frame in progress and keeps the frames before it; a
// second Ctrl-C, SIGTERM and SIGHUP end the program at once. None of them
// leaves a temporary file behind.
TEST_F(ProgramExportTest, InterruptsKeepWholeFramesAndLeaveNoTemporaryFile) {
  const std::string ball = SaveScene(*Ball(64, 32), "ball.vxm");
  struct Case {
    const char* name;
    std::vector<int> signals;
    int delayMs;  // after the first frame is in place; -1: before any frame
    int status;
  };
  const Case cases[] = {
      {"Ctrl-C as a frame is put in place", {SIGINT}, 0, 1},
      {"Ctrl-C early in a frame", {SIGINT}, 10, 1},
      {"Ctrl-C within a frame", {SIGINT}, 40, 1},
      {"Ctrl-C later in a frame", {SIGINT}, 90, 1},
      // Ctrl-C pressed again while the stop is on its way; several times, so
      // that two of them arrive apart even on a busy machine.
      {"Ctrl-C again", std::vector<int>(10, SIGINT), 40, 128 + SIGINT},
      {"SIGTERM", {SIGTERM}, 40, 128 + SIGTERM},
      {"SIGHUP", {SIGHUP}, 40, 128 + SIGHUP},
      {"SIGTERM before the first frame", {SIGTERM}, -1, 128 + SIGTERM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    RunningProgram program({ball, "--from", "0", "--to", "3000", "--fps", "30", "--style", "filled",
                            "-o", "frame.ai", "-q"},
                           folder.Path());
    ASSERT_TRUE(program.Started());
    // The frames in place so far; temporary files start with a dot.
    const auto frames = [&] {
      std::set<std::string> files;
      for (const std::string& file : folder.Files())
        if (file.rfind("frame-", 0) == 0) files.insert(file);
      return files;
    };
    size_t before = 0;
    if (c.delayMs >= 0) {
      for (int waited = 0; waited < 4000 && before == 0; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        before = frames().size();
      }
      ASSERT_GT(before, 0u) << "no frame was written";
      std::this_thread::sleep_for(std::chrono::milliseconds(c.delayMs));
      before = frames().size();
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    for (size_t i = 0; i < c.signals.size(); ++i) {
      if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      program.Signal(c.signals[i]);
    }
    ProgramRun run;
    ASSERT_TRUE(program.Wait(30, run)) << "the program did not stop";

    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(TemporaryFiles(folder), std::vector<std::string>{});
    const std::set<std::string> files = frames();
    for (const std::string& file : files) EXPECT_TRUE(ReadDrawing(folder / file).framed) << file;
    if (c.status == 1) {
      // The frame that was running may have been put in place before the
      // stop reached it; no frame after it starts.
      EXPECT_GE(files.size(), before);
      EXPECT_LE(files.size(), before + 1);
      EXPECT_TRUE(SaysInOneLine(run, "stopped; " + std::to_string(files.size()) +
                                         " complete file(s) written, the frame in progress "
                                         "discarded"));
    }
  }
}

// Without -q the first Ctrl-C says what happens to the frames.
TEST_F(ProgramExportTest, InterruptMessageSaysTheFrameInProgressIsDiscarded) {
  const std::string ball = SaveScene(*Ball(64, 32), "ball.vxm");
  RunningProgram program({ball, "--to", "3000", "--fps", "30", "-o", "frame.ai"}, folder_.Path());
  ASSERT_TRUE(program.Started());
  for (int waited = 0; waited < 4000 && !fs::exists(folder_ / "frame-0.ai"); ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  program.Signal(SIGINT);
  ProgramRun run;
  ASSERT_TRUE(program.Wait(30, run));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("vexmark: stopping: the frame in progress is discarded, the frames "
                         "before it are kept"),
            std::string::npos)
      << run.err;
}

// Drawings go to a new temporary file: a link planted at the old fixed
// temporary name does not get its target written, and a user's own file of
// that name is left alone.
TEST_F(ProgramExportTest, PlantedFilesAtTheOldTemporaryNameAreLeftAlone) {
  std::ofstream(folder_ / "victim.txt") << "precious";
  fs::create_symlink(folder_ / "victim.txt", folder_ / "out.ai.part");
  std::ofstream(folder_ / "mine.ai.part") << "the user's own file";
  ASSERT_EQ(Run({kStillLife, "-o", "out.ai", "-q"}).status, 0);
  ASSERT_EQ(Run({kStillLife, "-o", "mine.ai", "-q"}).status, 0);
  EXPECT_EQ(ReadWhole(folder_ / "victim.txt"), "precious");
  EXPECT_TRUE(fs::is_symlink(folder_ / "out.ai.part"));
  EXPECT_EQ(ReadWhole(folder_ / "mine.ai.part"), "the user's own file");
  EXPECT_EQ(Drawings(), (std::set<std::string>{"victim.txt", "out.ai.part", "mine.ai.part",
                                               "out.ai", "mine.ai"}));
}

// A frame that cannot be written fails the run: one line gives how many
// failed and the first cause as the system said it, and nothing
// half-written is left.
TEST_F(ProgramExportTest, FramesThatCannotBeWrittenFailTheRunWithTheirCause) {
  const std::string longName = std::string(300, 'n') + ".ai";
  struct Case {
    const char* name;
    std::string shell;
    std::vector<std::string> args;
    std::string words;
  };
  const Case cases[] = {
      // A file-size limit fails the writes part way, as a full disk would.
      {"full disk",
       "trap '' XFSZ; ulimit -f 2",
       {kTurntable, "--from", "0", "--to", "2", "--fps", "24", "-o", "full.ai"},
       "3 drawing(s) could not be written (0 complete file(s) written); the first: " +
           (folder_ / "full-0.ai") + ": file too large"},
      {"name too long",
       "",
       {kStillLife, "-o", longName},
       "1 drawing(s) could not be written (0 complete file(s) written); the first: " +
           (folder_ / longName) + ": file name too long"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = c.args;
    args.push_back("-q");
    const ProgramRun run = Run(args, c.shell);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(SaysInOneLine(run, c.words));
    EXPECT_EQ(Drawings(), std::set<std::string>{});
  }
}

TEST_F(ProgramExportTest, RangesOfMoreThanAHundredThousandFilesAreRefused) {
  const std::vector<std::vector<std::string>> cases = {
      {"--to", "1000000000"},
      {"--to", "1", "--fps", "1000000000"},
      {"--from", "-2147483648", "--to", "2147483647", "--fps", "2147483647"},
  };
  for (const auto& range : cases) {
    std::vector<std::string> args = {kStillLife, "-o", "many.ai", "-q"};
    args.insert(args.end(), range.begin(), range.end());
    const ProgramRun run = Run(args);
    EXPECT_EQ(run.status, 2) << range[1];
    EXPECT_TRUE(SaysInOneLine(run, "more than 100000 files")) << range[1];
  }
  EXPECT_EQ(Drawings(), std::set<std::string>{});
}

// --save-scene follows the drawing's rules: an existing file is replaced
// only with --yes, only an ordinary file is ever replaced, and never the
// scene being read, however its name is spelt.
TEST_F(ProgramExportTest, SavedScenesFollowTheDrawingsRules) {
  fs::copy_file(std::string(VEXMARK_SOURCE_DIR) + "/examples/still-life.vxm",
                folder_ / "scene.vxm");
  const std::string scene = ReadWhole(folder_ / "scene.vxm");
  fs::create_directories(folder_ / "sub");
  fs::create_hard_link(folder_ / "scene.vxm", folder_ / "alias.vxm");
  for (const std::string& target :
       {std::string("scene.vxm"), std::string("./scene.vxm"), std::string("sub/../scene.vxm"),
        folder_ / "scene.vxm", std::string("alias.vxm")}) {
    const ProgramRun run = Run(
        {"scene.vxm", "--save-scene", target, "--yes", "--style", "edges", "-o", "out.ai", "-q"});
    EXPECT_EQ(run.status, 1) << target;
    EXPECT_TRUE(SaysInOneLine(run, "is the scene being read")) << target;
  }
  EXPECT_EQ(ReadWhole(folder_ / "scene.vxm"), scene);

  // Things that are not ordinary files, --yes or not.
  fs::create_directories(folder_ / "folder.vxm");
  ASSERT_EQ(::mkfifo((folder_ / "fifo.vxm").c_str(), 0644), 0);
  fs::create_symlink(folder_ / "alias.vxm", folder_ / "link.vxm");
  std::vector<std::string> targets = {"folder.vxm", "fifo.vxm", "link.vxm"};
  // A device node like /dev/null (made here, so that a fault cannot harm
  // the real one), where the system lets us make one.
  if (::mknod((folder_ / "null.vxm").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
    targets.push_back("null.vxm");
  for (const std::string& target : targets) {
    const ProgramRun run =
        Run({"scene.vxm", "--save-scene", target, "--yes", "-o", "out.ai", "-q"});
    EXPECT_EQ(run.status, 1) << target;
    EXPECT_TRUE(SaysInOneLine(run, "is not an ordinary file")) << target;
  }
  EXPECT_TRUE(fs::is_directory(folder_ / "folder.vxm"));
  EXPECT_TRUE(fs::is_fifo(folder_ / "fifo.vxm"));
  EXPECT_TRUE(fs::is_symlink(folder_ / "link.vxm"));
  if (fs::exists(fs::symlink_status(folder_ / "null.vxm"))) {
    EXPECT_TRUE(fs::is_character_file(folder_ / "null.vxm"));
  }
  EXPECT_EQ(ReadWhole(folder_ / "scene.vxm"), scene);
  EXPECT_FALSE(fs::exists(folder_ / "out.ai")) << "refused before anything is written";

  // An existing ordinary file: only with --yes.
  std::ofstream(folder_ / "other.vxm") << "an older scene";
  const ProgramRun refused = Run({"scene.vxm", "--save-scene", "other.vxm", "-o", "out.ai", "-q"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(SaysInOneLine(refused, "--yes"));
  EXPECT_EQ(ReadWhole(folder_ / "other.vxm"), "an older scene");
  const ProgramRun replaced =
      Run({"scene.vxm", "--save-scene", "other.vxm", "--yes", "-o", "out.ai", "-q"});
  EXPECT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_EQ(Run({"other.vxm", "-o", "again.ai", "-q"}).status, 0);
  EXPECT_EQ(TemporaryFiles(folder_), std::vector<std::string>{});
}

// Stored values that no export can use are refused when the scene is read.
TEST_F(ProgramExportTest, StoredDrawingStyleOutOfRangeIsRefused) {
  std::unique_ptr<HostDocument> doc(host::NewDocument());
  AddCamera(*doc);
  AddMesh(*doc, "Square", {{-2, -2, 10}, {2, -2, 10}, {2, 2, 10}, {-2, 2, 10}}, {{0, 1, 2, 3}},
          {1, 0, 0});
  HostContainer stored(kVexmarkCommandId);
  stored.Set(kSettingsValid, int64_t{1});
  stored.Set(kSettingsDrawingStyle, int64_t{999});
  doc->pluginData.Set(kVexmarkCommandId, host::NestedContainer(stored));
  const std::string scene = SaveScene(*doc, "style.vxm");
  const ProgramRun run = Run({scene, "-o", "style.ai", "-q"});
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(SaysInOneLine(run, "the drawing style 999 is not between 10034 and 10037"));
  EXPECT_EQ(Drawings(), std::set<std::string>{"style.vxm"});
}

}  // namespace
