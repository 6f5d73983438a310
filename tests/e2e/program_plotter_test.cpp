// --plotter and --paper through the program on real multi-object,
// multi-colour scenes: each piece of line drawn once, no stroke below the
// minimum, path counts near the Euler bound, pen-up travel no longer than a
// nearest-end order, nothing of the picture lost; the sheet's page box with
// the picture centred inside the margins; the options kept by --save-scene.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export_support.h"
#include "plotter_metrics.h"

namespace {

using namespace e2e;

const std::string kSource = VEXMARK_SOURCE_DIR;
const std::string kModels = "/usr/share/assimp/models/";

class ProgramPlotterTest : public HostTest {
 protected:
  // Exports `scene` with `args` into `file`; the drawing as written.
  WrittenDrawing Export(const std::string& scene, std::vector<std::string> args,
                        const std::string& file) {
    args.insert(args.begin(), scene);
    for (const char* more : {"-o", file.c_str(), "--yes", "-q"}) args.push_back(more);
    const ProgramRun run = RunProgram(args, folder_.Path());
    EXPECT_EQ(run.status, 0) << run.err;
    return ReadDrawing(folder_ / file);
  }

  static std::string BoundingBox(const WrittenDrawing& drawing) {
    for (const std::string& line : drawing.lines)
      if (line.rfind("%%BoundingBox:", 0) == 0) return line;
    return "";
  }

  ScratchFolder folder_;
};

TEST_F(ProgramPlotterTest, RealScenesAreDrawnOnceInFewPathsInAShortOrder) {
  struct Case {
    std::string scene;
    std::vector<std::string> plotterArgs;
    double minLength;
  };
  const std::vector<Case> cases = {
      {kSource + "/examples/still-life.vxm", {"--plotter"}, 0.5},
      {kModels + "glTF/CesiumMilkTruck/CesiumMilkTruck.gltf", {"--plotter"}, 0.5},
      {kModels + "glTF2/ClearCoat-glTF/ClearCoatTest.gltf", {"--plotter", "on"}, 0.5},
      {kModels + "glTF2/ClearCoat-glTF/ClearCoatTest.gltf",
       {"--plotter", "--min-length", "2", "--simplify", "0.2"},
       2.0},
  };
  for (const Case& c : cases) {
    if (c.scene.rfind(kModels, 0) == 0 && !fs::exists(c.scene))
      GTEST_SKIP() << c.scene << " is missing: install assimp-testmodels (tools/setup.sh)";
    for (const std::string style : {"lines", "filled"}) {
      SCOPED_TRACE(::testing::Message() << c.scene << " " << style << " " << c.plotterArgs.back());
      const std::vector<std::string> base = {"--style", style, "--size", "800x600"};
      const WrittenDrawing before = Export(c.scene, base, "before.ai");
      std::vector<std::string> args = base;
      args.insert(args.end(), c.plotterArgs.begin(), c.plotterArgs.end());
      const WrittenDrawing after = Export(c.scene, args, "after.ai");
      const PlotterMeasures was = MeasureForPlotter(before, 600);
      const PlotterMeasures m = MeasureForPlotter(after, 600);

      ASSERT_GT(m.paths, 0);
      for (const PaintedPath& path : after.paths) EXPECT_EQ(path.paint, 'S') << "strokes only";
      EXPECT_LE(m.overlap, 0.005 * m.ink) << "drawn twice";
      EXPECT_GE(m.shortest, c.minLength - 1e-4);
      EXPECT_LE(m.paths, 1.25 * m.eulerBound);
      EXPECT_LE(m.travel, m.greedyTravel * (1 + 1e-9) + 1e-6);
      EXPECT_GE(m.ink, 0.97 * (was.ink - was.overlap)) << "lines lost";
      EXPECT_LT(m.travel, was.travel);
    }
  }
}

// Plotter paths flow: at each junction they go on along the straightest
// way, so a wireframe's paths turn back (sharper than a right angle) no
// more often than the plain drawing's strokes, while the path count stays
// near the Euler bound and the travel no longer than a nearest-end order.
TEST_F(ProgramPlotterTest, WireframePathsTurnBackNoMoreThanThePlainDrawing) {
  const std::string truck = kModels + "glTF/CesiumMilkTruck/CesiumMilkTruck.gltf";
  const std::string engine = kModels + "glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb";
  const struct {
    std::string scene;
    std::string style;
  } cases[] = {
      {kSource + "/examples/still-life.vxm", "edges"},
      {kSource + "/examples/still-life.vxm", "visible"},
      {truck, "visible"},
      {truck, "lines"},
      {engine, "visible"},
  };
  for (const auto& c : cases) {
    if (!fs::exists(c.scene))
      GTEST_SKIP() << c.scene << " is missing: install assimp-testmodels (tools/setup.sh)";
    SCOPED_TRACE(c.scene + " " + c.style);
    const std::vector<std::string> base = {"--style", c.style, "--size", "800x600"};
    std::vector<std::string> plotter = base;
    plotter.push_back("--plotter");
    const PlotterMeasures plain = MeasureForPlotter(Export(c.scene, base, "plain.ai"), 600);
    const PlotterMeasures m = MeasureForPlotter(Export(c.scene, plotter, "plotter.ai"), 600);
    ASSERT_GT(m.paths, 0);
    EXPECT_LE(m.sharpTurns, plain.sharpTurns);
    EXPECT_LE(m.paths, 1.25 * m.eulerBound);
    EXPECT_LE(m.travel, m.greedyTravel * (1 + 1e-9) + 1e-6);
  }
}

// A wide picture goes onto a landscape A4 sheet, a tall one onto a portrait
// sheet; every line lies inside the margins, and the lines lie where the
// plain drawing's lines go when the picture is scaled to touch the margins
// and centred.
TEST_F(ProgramPlotterTest, PaperGivesTheSheetsPageWithThePictureCentred) {
  struct Case {
    std::string size;
    std::vector<std::string> paper;
    const char* box;
    double width, height, margin;
  };
  const Case cases[] = {
      {"400x300", {"--paper", "A4"}, "%%BoundingBox: 0 0 842 595", 842, 595, 10},
      {"300x400", {"--paper", "a4", "--margin", "20"}, "%%BoundingBox: 0 0 595 842", 595, 842, 20},
      {"300x200",
       {"--paper", "100x150mm", "--margin", "0", "--plotter"},
       "%%BoundingBox: 0 0 425 283",
       425,
       283,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    std::vector<std::string> args = {"--style", "lines", "--size", c.size};
    args.insert(args.end(), c.paper.begin(), c.paper.end());
    const WrittenDrawing plain = Export(kSource + "/examples/still-life.gltf",
                                        {"--style", "lines", "--size", c.size}, "plain.ai");
    const WrittenDrawing drawing = Export(kSource + "/examples/still-life.gltf", args, "sheet.ai");
    EXPECT_EQ(BoundingBox(drawing), c.box);

    // The plain drawing's corners, mapped as the layout maps the picture.
    int pictureWidth = 0, pictureHeight = 0;
    ASSERT_EQ(std::sscanf(c.size.c_str(), "%dx%d", &pictureWidth, &pictureHeight), 2);
    const double margin = c.margin * 72 / 25.4;
    const double scale =
        std::min((c.width - 2 * margin) / pictureWidth, (c.height - 2 * margin) / pictureHeight);
    const double left = (c.width - scale * pictureWidth) / 2;
    const double bottom = (c.height - scale * pictureHeight) / 2;
    EXPECT_NEAR(std::min(left, bottom), margin, 1e-6) << "the picture touches the margins";
    double minX = 1e9, maxX = -1e9, expectMinX = 1e9, expectMaxX = -1e9;
    for (const PagePoint& p : drawing.Corners()) {
      EXPECT_GE(p.x, margin - 1e-3);
      EXPECT_LE(p.x, c.width - margin + 1e-3);
      EXPECT_GE(p.y, margin - 1e-3);
      EXPECT_LE(p.y, c.height - margin + 1e-3);
      minX = std::min(minX, p.x);
      maxX = std::max(maxX, p.x);
    }
    for (const PagePoint& p : plain.Corners()) {
      expectMinX = std::min(expectMinX, left + scale * p.x);
      expectMaxX = std::max(expectMaxX, left + scale * p.x);
    }
    EXPECT_NEAR(minX, expectMinX, 1e-3);
    EXPECT_NEAR(maxX, expectMaxX, 1e-3);
    EXPECT_EQ(drawing.Widths(), plain.Widths()) << "pen widths are not scaled";
  }
}

// The options travel with a saved scene: exporting it again without them
// gives the same drawing; "--paper none" and "--plotter off" go back.
TEST_F(ProgramPlotterTest, SavedScenesKeepThePlotterAndPaperOptions) {
  const std::string scene = kSource + "/examples/still-life.gltf";
  const WrittenDrawing first =
      Export(scene,
             {"--style", "filled", "--plotter", "--paper", "A3", "--margin", "5", "--min-length",
              "1", "--simplify", "0.1", "--save-scene", "kept.vxm"},
             "first.ai");
  const WrittenDrawing again = Export(folder_ / "kept.vxm", {}, "again.ai");
  EXPECT_EQ(BoundingBox(first), "%%BoundingBox: 0 0 1191 842");
  EXPECT_EQ(BoundingBox(again), BoundingBox(first));
  ASSERT_EQ(again.paths.size(), first.paths.size());
  for (size_t i = 0; i < first.paths.size(); ++i) {
    EXPECT_EQ(again.paths[i].paint, 'S');
    ASSERT_EQ(again.paths[i].points.size(), first.paths[i].points.size());
  }
  const WrittenDrawing back =
      Export(folder_ / "kept.vxm", {"--plotter", "off", "--paper", "none"}, "back.ai");
  const WrittenDrawing plain = Export(scene, {"--style", "filled"}, "plain.ai");
  EXPECT_EQ(BoundingBox(back), "%%BoundingBox: 0 0 320 240");
  EXPECT_EQ(back.paths.size(), plain.paths.size());
}

}  // namespace
