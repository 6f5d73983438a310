// The studio under requests that overtake each other and under a stop
// signal, on a scene heavy enough that a drawing takes a while: a newer,
// different request stops the drawing in progress, which is answered
// "superseded"; SIGTERM ends the studio within a second, in the middle of a
// drawing or an export, and leaves no file of the export behind.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <future>

#include "e2e/generated_gltf.h"
#include "studio/studio_support.h"

namespace {

namespace fs = std::filesystem;

// A glTF sphere of rings x segments quadrangles split in triangles, seen by
// the importer's automatic camera.
std::string SphereGltf(int rings, int segments) {
  std::vector<float> points;
  std::vector<uint32_t> indices;
  for (int r = 0; r <= rings; ++r)
    for (int s = 0; s <= segments; ++s) {
      const double theta = M_PI * r / rings, phi = 2 * M_PI * s / segments;
      for (double c :
           {std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)})
        points.push_back(static_cast<float>(c));
    }
  for (int r = 0; r < rings; ++r)
    for (int s = 0; s < segments; ++s) {
      const uint32_t a = r * (segments + 1) + s, b = a + segments + 1;
      for (uint32_t i : {a, b, a + 1, a + 1, b, b + 1}) indices.push_back(i);
    }
  std::vector<unsigned char> raw(points.size() * 4 + indices.size() * 4);
  std::memcpy(raw.data(), points.data(), points.size() * 4);
  std::memcpy(raw.data() + points.size() * 4, indices.data(), indices.size() * 4);
  const size_t pointBytes = points.size() * 4;
  const std::string count = std::to_string(points.size() / 3);
  return R"({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0]}],
  "nodes": [{"mesh": 0, "name": "sphere"}],
  "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "indices": 1}]}],
  "buffers": [{"byteLength": )" +
         std::to_string(raw.size()) + R"(, "uri": "data:application/octet-stream;base64,)" +
         Base64(raw.data(), raw.size()) + R"("}],
  "bufferViews": [{"buffer": 0, "byteLength": )" +
         std::to_string(pointBytes) + R"(},
    {"buffer": 0, "byteOffset": )" +
         std::to_string(pointBytes) + R"(, "byteLength": )" + std::to_string(indices.size() * 4) +
         R"(}],
  "accessors": [{"bufferView": 0, "componentType": 5126, "count": )" +
         count +
         R"(, "type": "VEC3", "min": [-1, -1, -1], "max": [1, 1, 1]},
    {"bufferView": 1, "componentType": 5125, "count": )" +
         std::to_string(indices.size()) + R"(, "type": "SCALAR"}]})";
}

class StudioStopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("vexmark-studio-stop-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    std::ofstream(folder_ / "sphere.gltf") << SphereGltf(400, 800);  // 640,000 triangles
    studio_ = std::make_unique<StudioProcess>(folder_, "sphere.gltf",
                                              std::vector<std::string>{"--size", "1920x1080"});
    ASSERT_TRUE(studio_->Ready()) << studio_->PrintedLine();
  }
  void TearDown() override {
    studio_.reset();
    fs::remove_all(folder_);
  }

  // Waits until the studio reports a drawing in progress.
  bool DrawingRuns() const {
    for (int k = 0; k < 500; ++k) {
      if (studio_->GetJson("/api/progress").value("running", false)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  std::future<httplib::Result> DrawingLater() const {
    return std::async(std::launch::async, [this] { return studio_->Get("/api/drawing.svg"); });
  }

  fs::path folder_;
  std::unique_ptr<StudioProcess> studio_;
};

TEST_F(StudioStopTest, ANewerDifferentRequestSupersedesTheDrawingInProgress) {
  auto older = DrawingLater();
  ASSERT_TRUE(DrawingRuns());
  ASSERT_NE(studio_->GetJson("/api/settings")["style"], "filled");
  ASSERT_EQ(studio_->Put("/api/settings", Json{{"style", "filled"}})->status, 200);
  auto newer = DrawingLater();
  const httplib::Result first = older.get();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->status, 409);
  EXPECT_EQ(Json::parse(first->body)["error"], "superseded");
  const httplib::Result second = newer.get();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->status, 200);
}

TEST_F(StudioStopTest, SigtermEndsItWithinASecondAndLeavesNoTemporaryFile) {
  const std::vector<std::string> before = FilesIn(folder_);
  auto drawing = DrawingLater();
  ASSERT_TRUE(DrawingRuns());
  const auto signalled = std::chrono::steady_clock::now();
  studio_->Program().Signal(SIGTERM);
  ProgramRun run;
  ASSERT_TRUE(studio_->Program().Wait(5, run));
  EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(1));
  EXPECT_EQ(run.status, 0) << run.err;
  drawing.wait();
  EXPECT_EQ(FilesIn(folder_), before);
}

TEST_F(StudioStopTest, SigtermStopsARunningExportAndLeavesNoFile) {
  const std::vector<std::string> before = FilesIn(folder_);
  auto exporting = std::async(std::launch::async, [this] {
    return studio_->Post("/api/export", Json{{"output", "sphere.svg"}});
  });
  // The export's job shows its progress once it works.
  bool running = false;
  for (int k = 0; k < 500 && !running; ++k) {
    running = studio_->GetJson("/api/progress").value("fraction", 0.0) > 0.0;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(running);
  const auto signalled = std::chrono::steady_clock::now();
  studio_->Program().Signal(SIGTERM);
  ProgramRun run;
  ASSERT_TRUE(studio_->Program().Wait(5, run));
  EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(1));
  exporting.wait();
  EXPECT_EQ(FilesIn(folder_), before);
}

}  // namespace
