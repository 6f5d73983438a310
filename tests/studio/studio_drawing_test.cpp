// The studio's drawing, export and save against the command line: the
// drawing it shows is the file the command line writes with the same
// settings, byte for byte; export and save write as the command line does,
// inside the scene's folder only, never over a file unless asked.
#include <gtest/gtest.h>

#include <future>

#include "studio/studio_support.h"

namespace {

namespace fs = std::filesystem;

class StudioDrawingTest : public StudioOnExample {
 protected:
  StudioDrawingTest() : StudioOnExample("drawing", "still-life.vxm") {}

  // The drawing the command line writes with the studio's current settings
  // (none given for a scene saved with them).
  std::string CommandLineDrawing(const std::string& scene, const std::string& name) const {
    const std::vector<std::string> args = scene == "still-life.vxm"
                                              ? SettingArgs(studio_->GetJson("/api/settings"))
                                              : std::vector<std::string>{};
    const int frame = studio_->GetJson("/api/scene")["frame"].get<int>();
    return ::CommandLineDrawing(folder_, scene, args, frame, name);
  }
};

TEST_F(StudioDrawingTest, ShowsTheDrawingTheCommandLineWrites) {
  const auto changed = studio_->Put(
      "/api/settings", Json{{"style", "filled"}, {"crease-angle", "35"}, {"size", "800x600"},
                            {"margin", "10"}, {"brightness", "0.5"}});
  ASSERT_TRUE(changed && changed->status == 200) << (changed ? changed->body : "");
  const Json settings = Json::parse(changed->body);
  EXPECT_EQ(settings["style"], "filled");
  EXPECT_EQ(settings["crease-angle"], "35");
  EXPECT_EQ(settings["size"], "800x600");
  // Numbers read back in plain decimals, as a person would type them.
  EXPECT_EQ(settings["margin"], "10");
  EXPECT_EQ(settings["brightness"], "0.5");
  const auto drawing = studio_->Get("/api/drawing.svg");
  ASSERT_TRUE(drawing && drawing->status == 200);
  EXPECT_EQ(drawing->get_header_value("Content-Type"), "image/svg+xml");
  EXPECT_GT(std::stol(drawing->get_header_value("X-Vexmark-Paths")), 0);
  EXPECT_GT(std::stod(drawing->get_header_value("X-Vexmark-Ink-Length")), 0.0);
  EXPECT_EQ(drawing->body, CommandLineDrawing("still-life.vxm", "cli.svg"));
  // Redraws after a style change reuse what capture and visibility made of
  // the frame (only edges, which keeps hidden surfaces, captures again); each
  // is still the command line's drawing.
  for (const char* style : {"lines", "visible", "edges", "filled"}) {
    ASSERT_EQ(studio_->Put("/api/settings", Json{{"style", style}})->status, 200);
    EXPECT_EQ(Drawing(), CommandLineDrawing("still-life.vxm", std::string(style) + ".svg"))
        << style;
  }
}

TEST_F(StudioDrawingTest, AStyleChangeRedrawsAndABadValueChangesNothing) {
  const std::string filled = (studio_->Put("/api/settings", Json{{"style", "filled"}}), Drawing());
  const auto edges = studio_->Put("/api/settings", Json{{"style", "edges"}});
  ASSERT_TRUE(edges && edges->status == 200);
  const std::string edgesDrawing = Drawing();
  EXPECT_NE(edgesDrawing, filled);
  // One bad value in the request: nothing of it applies.
  const auto refused =
      studio_->Put("/api/settings", Json{{"style", "filled"}, {"line-width", "99"}});
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 400);
  EXPECT_NE(refused->body.find("line-width"), std::string::npos);
  EXPECT_EQ(studio_->GetJson("/api/settings")["style"], "edges");
  EXPECT_EQ(Drawing(), edgesDrawing);
}

TEST_F(StudioDrawingTest, TwentyConcurrentRequestsGetTheSameAnswer) {
  studio_->Put("/api/settings", Json{{"style", "visible"}, {"crease-angle", "20"}});
  std::vector<std::future<std::pair<int, std::string>>> answers;
  for (int k = 0; k < 20; ++k)
    answers.push_back(std::async(std::launch::async, [this] {
      const auto result = studio_->Get("/api/drawing.svg");
      return result ? std::make_pair(result->status, result->body) : std::make_pair(0, "");
    }));
  const auto first = answers[0].get();
  EXPECT_EQ(first.first, 200);
  for (size_t k = 1; k < answers.size(); ++k) EXPECT_EQ(answers[k].get(), first) << k;
}

TEST_F(StudioDrawingTest, ExportsAsTheCommandLineAndReplacesOnlyWhenAsked) {
  const std::string drawing = Drawing();
  const auto first = studio_->Post("/api/export", Json{{"output", "out.svg"}});
  ASSERT_TRUE(first);
  ASSERT_EQ(first->status, 200) << first->body;
  const fs::path written = fs::weakly_canonical(folder_ / "out.svg");
  EXPECT_EQ(Json::parse(first->body)["written"], Json::array({written.string()}));
  EXPECT_EQ(ReadWhole(written), drawing);

  fs::resize_file(written, 3);  // so that a replacement shows
  const auto again = studio_->Post("/api/export", Json{{"output", "out.svg"}});
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 409) << again->body;
  EXPECT_EQ(fs::file_size(written), 3u);
  const auto replaced =
      studio_->Post("/api/export", Json{{"output", "out.svg"}, {"replace", true}});
  ASSERT_TRUE(replaced);
  EXPECT_EQ(replaced->status, 200) << replaced->body;
  EXPECT_EQ(ReadWhole(written), drawing);
}

TEST_F(StudioDrawingTest, SavesTheSceneWithItsSettings) {
  studio_->Put("/api/settings", Json{{"style", "lines"}, {"outline", "off"}});
  const std::string drawing = Drawing();
  const auto saved = studio_->Post("/api/save", Json{{"output", "saved.vxm"}});
  ASSERT_TRUE(saved);
  ASSERT_EQ(saved->status, 200) << saved->body;
  const auto again = studio_->Post("/api/save", Json{{"output", "saved.vxm"}});
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 409);
  // The command line on the saved scene, without options, draws the same.
  EXPECT_EQ(CommandLineDrawing("saved.vxm", "from-saved.svg"), drawing);
}

TEST_F(StudioDrawingTest, TheExportCameraReadAndPutBackGivesTheSameDrawing) {
  const std::string before = Drawing();
  const Json geometry = studio_->GetJson("/api/geometry");
  ASSERT_TRUE(geometry.contains("exportCamera"));
  ASSERT_FALSE(geometry["meshes"].empty());
  const Json& camera = geometry["exportCamera"];
  const auto used = studio_->Put("/api/view", Json{{"position", camera["position"]},
                                                   {"quaternion", camera["quaternion"]},
                                                   {"fov", camera["fov"]}});
  ASSERT_TRUE(used);
  ASSERT_EQ(used->status, 200) << used->body;
  EXPECT_EQ(Json::parse(used->body)["camera"], "Studio view");
  EXPECT_EQ(studio_->GetJson("/api/scene")["camera"], "Studio view");
  EXPECT_EQ(Drawing(), before);
  // Another view gives another drawing.
  Json moved = camera["position"];
  moved[0] = moved[0].get<double>() + 1.0;
  studio_->Put(
      "/api/view",
      Json{{"position", moved}, {"quaternion", camera["quaternion"]}, {"fov", camera["fov"]}});
  EXPECT_NE(Drawing(), before);
}

}  // namespace
