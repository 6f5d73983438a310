// The edge-line stage through the EPS writer: a tiny scene rendered, drawn,
// projected onto the page and written, then the file's paths read back.
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "line_scene.h"
#include "lines/page_projection.h"
#include "output/drawing_file.h"

namespace {

struct PagePoint {
  double x;
  double y;
};

// The body of a written file as its stroked paths: each "m" starts a path,
// each "l" continues it.
struct WrittenFile {
  std::vector<std::vector<PagePoint>> paths;
  std::vector<std::string> lines;

  int Count(const std::string& line) const {
    int n = 0;
    for (const std::string& l : lines) n += l == line ? 1 : 0;
    return n;
  }

  // How often a path runs straight from p to q or from q to p.
  int Steps(PagePoint p, PagePoint q) const {
    const auto near = [](PagePoint a, PagePoint b) {
      return std::fabs(a.x - b.x) < 1e-3 && std::fabs(a.y - b.y) < 1e-3;
    };
    int n = 0;
    for (const auto& path : paths) {
      for (size_t i = 1; i < path.size(); ++i) {
        if ((near(path[i - 1], p) && near(path[i], q)) ||
            (near(path[i - 1], q) && near(path[i], p))) {
          ++n;
        }
      }
    }
    return n;
  }
};

class ObjectLinesEpsTest : public LineStageTest {
 protected:
  void SetUp() override {
    LineStageTest::SetUp();
    // The process id keeps two runs of the suite at once apart.
    folder_ = std::filesystem::temp_directory_path() / "vexmark_scene_tests" /
              (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
               std::to_string(::getpid()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    std::filesystem::remove_all(folder_);
    LineStageTest::TearDown();
  }

  // Runs the line and drawing stages on the rendered scene and writes the
  // page the way the renderer driver does.
  WrittenFile Write(LineScene& scene) {
    const std::string path = (folder_ / "frame.ai").string();
    WrittenFile written;
    {
      const Drawing drawing = std::move(scene.DrawPage());
      FrameFile file;
      file.fileName = path.c_str();
      EXPECT_TRUE(WriteDrawingFile(file, drawing, 0));
    }
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      written.lines.push_back(line);
      std::istringstream words(line);
      PagePoint p{};
      std::string op;
      if (!(words >> p.x >> p.y >> op) || !(words >> std::ws).eof()) continue;
      if (op == "m") written.paths.push_back({p});
      if (op == "l" && !written.paths.empty()) written.paths.back().push_back(p);
    }
    return written;
  }

  std::filesystem::path folder_;
};

// The square of two triangles, -2..2 at depth 10, lands on the page from
// 30 to 70 in both directions; its diagonal runs from (30, 30) to (70, 70).
void AddSquare(LineScene& scene, Rgb lower, Rgb upper) {
  scene.Add({{-2, -2, 10}, {2, -2, 10}, {2, 2, 10}, {-2, 2, 10}}, {{0, 1, 2, 2}, {0, 2, 3, 3}},
            {lower, upper});
}

const PagePoint kDiagonalFrom{30, 30};
const PagePoint kDiagonalTo{70, 70};

TEST_F(ObjectLinesEpsTest, SharedEdgeIsWrittenOnceWithTheObjectsLineWidth) {
  struct Case {
    int32_t lineWidth;
    const char* widthLine;
  };
  for (const Case& c : {Case{0, "0 w"}, Case{2, "2 w"}}) {
    SCOPED_TRACE(c.lineWidth);
    LineScene scene(kStyleAllEdges);
    scene.settings.lines.lineWidth = c.lineWidth;
    AddSquare(scene, {1, 0, 0}, {1, 0, 0});
    scene.RenderFragments();
    const WrittenFile file = Write(scene);
    EXPECT_EQ(file.Steps(kDiagonalFrom, kDiagonalTo), 1);
    EXPECT_EQ(file.Steps({30, 30}, {70, 30}), 1);
    EXPECT_EQ(file.Steps({70, 70}, {30, 70}), 1);
    EXPECT_EQ(file.Count(c.widthLine), 1);
  }
}

TEST_F(ObjectLinesEpsTest, EdgeLinesSeparateOnlyDifferentColours) {
  for (const bool twoColours : {false, true}) {
    SCOPED_TRACE(twoColours);
    LineScene scene(kStyleEdgeLines);
    AddSquare(scene, {1, 0, 0}, twoColours ? Rgb{0, 0, 1} : Rgb{1, 0, 0});
    scene.RenderFragments();
    const WrittenFile file = Write(scene);
    EXPECT_EQ(file.Steps(kDiagonalFrom, kDiagonalTo) > 0, twoColours);
    EXPECT_EQ(file.Steps({30, 30}, {70, 30}), 1);
  }
}

}  // namespace
