// The studio on an animated scene: the frame shown, and the export tags
// edited through the tag dialog as --tag edits them; each drawing the one
// the command line writes for the same frame, settings and tags.
#include <gtest/gtest.h>

#include "studio/studio_support.h"

namespace {

namespace fs = std::filesystem;

class StudioSceneTest : public StudioOnExample {
 protected:
  StudioSceneTest() : StudioOnExample("scene", "turntable.gltf") {}

  // The first mesh of the scene listing.
  Json FirstMesh() const {
    const Json scene = studio_->GetJson("/api/scene");
    for (const Json& object : scene["objects"])
      if (object["kind"] == "mesh") return object;
    return Json();
  }
};

TEST_F(StudioSceneTest, ShowsTheChosenFrameAsTheCommandLineDrawsIt) {
  const Json scene = studio_->GetJson("/api/scene");
  const int first = scene["frames"]["first"].get<int>();
  const int last = scene["frames"]["last"].get<int>();
  ASSERT_LT(first, last) << "the turntable is animated";
  const std::string atFirst = Drawing();
  const int middle = (first + last) / 2;
  const auto moved = studio_->Put("/api/frame", Json{{"frame", middle}});
  ASSERT_TRUE(moved && moved->status == 200);
  EXPECT_EQ(Json::parse(moved->body)["frame"], middle);
  const std::string atMiddle = Drawing();
  EXPECT_NE(atMiddle, atFirst);
  const std::vector<std::string> args = SettingArgs(studio_->GetJson("/api/settings"));
  EXPECT_EQ(atMiddle, CommandLineDrawing(folder_, "turntable.gltf", args, middle, "middle.svg"));
}

TEST_F(StudioSceneTest, EditsExportTagsAsTheTagOptionDoes) {
  const Json mesh = FirstMesh();
  ASSERT_TRUE(mesh.is_object());
  const std::string tag = "/api/objects/" + mesh["id"].dump() + "/tag";
  const std::string untagged = Drawing();
  const auto set = studio_->Put(tag, Json{{"outline", "off"}, {"width", "3"}, {"angle", "60"}});
  ASSERT_TRUE(set && set->status == 200) << (set ? set->body : "");
  const Json values = Json::parse(set->body);
  EXPECT_EQ(values["outline"], "off");
  EXPECT_EQ(values["width"], "3");
  EXPECT_EQ(values["angle"], "60");  // kept in single precision, read back as typed
  const std::string tagged = Drawing();
  EXPECT_NE(tagged, untagged);
  std::vector<std::string> args = SettingArgs(studio_->GetJson("/api/settings"));
  args.push_back("--tag");
  args.push_back(mesh["name"].get<std::string>() + ":outline=off,width=3,angle=60");
  const int frame = studio_->GetJson("/api/scene")["frame"].get<int>();
  EXPECT_EQ(tagged, CommandLineDrawing(folder_, "turntable.gltf", args, frame, "tagged.svg"));

  // A bad value changes nothing, not even the values before it.
  const auto refused = studio_->Put(tag, Json{{"crease", "off"}, {"width", "99"}});
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 400);
  EXPECT_EQ(FirstMesh()["tag"], values);

  const auto removed = studio_->Client().Delete(studio_->WithToken(tag));
  ASSERT_TRUE(removed && removed->status == 200);
  EXPECT_TRUE(FirstMesh()["tag"].is_null());
  EXPECT_EQ(Drawing(), untagged);
}

TEST_F(StudioSceneTest, ExportsAFrameRangeAsNumberedFilesAndRefusesToReplaceThem) {
  // Frames 0 to 2 at the scene's own 24 frames per second: three files.
  const Json range = {{"from", "0"}, {"to", "2"}, {"fps", "24"}};
  ASSERT_EQ(studio_->Put("/api/settings", range)->status, 200);
  const auto first = studio_->Post("/api/export", Json{{"output", "spin.svg"}});
  ASSERT_TRUE(first);
  ASSERT_EQ(first->status, 200) << first->body;
  EXPECT_EQ(Json::parse(first->body)["written"].size(), 3u);
  for (const char* name : {"spin-0.svg", "spin-1.svg", "spin-2.svg"})
    EXPECT_TRUE(fs::exists(folder_ / name)) << name;
  const auto again = studio_->Post("/api/export", Json{{"output", "spin.svg"}});
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 409);
  EXPECT_EQ(Json::parse(again->body)["existing"].size(), 3u);
}

}  // namespace
