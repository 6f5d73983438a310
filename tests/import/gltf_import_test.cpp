// A glTF scene written by the test (a two-level hierarchy, two materials on
// one mesh, a camera and an animation) read as text and as binary glTF.
#include <gtest/gtest.h>

#include <cmath>

#include "host/import/camera_import.h"
#include "host_fixture.h"
#include "capture/materials.h"
#include "scene_files.h"

namespace {

using nlohmann::json;
using Rgba = std::array<int, 4>;

constexpr double kYfov = 0.6;
constexpr double kAspect = 1.5;

// Rig (animated) > Panel (two materials, step-animated scale); Shot (camera).
scene_files::GltfWriter PanelScene() {
  scene_files::GltfWriter w;
  const int square = w.Floats({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}, "VEC3");
  const int squareIndices = w.Indices({0, 1, 2, 0, 2, 3});
  const int wing = w.Floats({1, 0, 0, 2, 0, 0, 1, 1, 0}, "VEC3");
  const int wingIndices = w.Indices({0, 1, 2});
  const int moveTimes = w.Floats({0, 1, 2}, "SCALAR");
  const int moves = w.Floats({1, 0, 0, 3, 0, 2, 3, 4, 2}, "VEC3");
  const int growTimes = w.Floats({0, 1}, "SCALAR");
  const int grows = w.Floats({1, 1, 1, 2, 2, 2}, "VEC3");
  w.doc["scene"] = 0;
  w.doc["scenes"] = {{{"nodes", {0, 2}}}};
  w.doc["nodes"] = {
      {{"name", "Rig"}, {"translation", {1, 0, 0}}, {"children", {1}}},
      {{"name", "Panel"}, {"mesh", 0}, {"translation", {0, 2, 0}}},
      {{"name", "Shot"}, {"camera", 0}, {"translation", {0, 0, 10}}},
  };
  w.doc["meshes"] = {
      {{"name", "Panel"},
       {"primitives",
        {{{"attributes", {{"POSITION", square}}}, {"indices", squareIndices}, {"material", 0}},
         {{"attributes", {{"POSITION", wing}}}, {"indices", wingIndices}, {"material", 1}}}}}};
  w.doc["materials"] = {
      {{"name", "Red"}, {"pbrMetallicRoughness", {{"baseColorFactor", {1, 0, 0, 1}}}}},
      {{"name", "Green"},
       {"pbrMetallicRoughness", {{"baseColorFactor", {0, 0.5, 0, 1}}}},
       {"emissiveFactor", {0.25, 0.25, 0.25}}},
  };
  w.doc["cameras"] = {
      {{"type", "perspective"},
       {"perspective", {{"yfov", kYfov}, {"aspectRatio", kAspect}, {"znear", 0.1}}}}};
  w.doc["animations"] = {
      {{"channels",
        {{{"sampler", 0}, {"target", {{"node", 0}, {"path", "translation"}}}},
         {{"sampler", 1}, {"target", {{"node", 1}, {"path", "scale"}}}}}},
       {"samplers",
        {{{"input", moveTimes}, {"output", moves}, {"interpolation", "LINEAR"}},
         {{"input", growTimes}, {"output", grows}, {"interpolation", "STEP"}}}}}};
  return w;
}

class GltfImportTest : public HostTest, public testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    const scene_files::GltfWriter scene = PanelScene();
    const std::string suffix = GetParam();
    path_ = scene_files::TestFolder() + "/panel." + suffix;
    scene_files::WriteFile(path_, suffix == "glb" ? scene.Glb() : scene.Gltf());
    std::string error;
    doc_ = scene_files::Load(path_, error);
    ASSERT_NE(doc_, nullptr) << error;
  }

  std::string path_;
  std::unique_ptr<HostDocument> doc_;
};

TEST_P(GltfImportTest, NodesBecomeObjectsInTheSameHierarchy) {
  SceneObject* rig = GetFirstObject(doc_.get());
  ASSERT_NE(rig, nullptr);
  EXPECT_EQ(ObjectNameOf(rig), "Rig");
  EXPECT_EQ(ObjectType(rig), kObjectNull);
  SceneObject* panel = ObjectDown(rig);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(ObjectNameOf(panel), "Panel");
  EXPECT_EQ(ObjectType(panel), kObjectPolygon);
  EXPECT_EQ(ObjectNext(panel), nullptr);
  SceneObject* shot = ObjectNext(rig);
  ASSERT_NE(shot, nullptr);
  EXPECT_EQ(ObjectNameOf(shot), "Shot");
  EXPECT_EQ(ObjectType(shot), kObjectCamera);
  EXPECT_EQ(ObjectNext(shot), nullptr);

  // Both primitives are one object; the shared corners are one point each.
  EXPECT_EQ(ObjectPointCount(panel), 5);
  ASSERT_EQ(ObjectPolygonCount(panel), 3);
  for (int32_t i = 0; i < 3; ++i) {
    const HostPolygon p = ObjectPolygons(panel)[i];
    EXPECT_EQ(p.c, p.d) << "triangle " << i;
  }
}

TEST_P(GltfImportTest, TheMostUsedMaterialIsTheBaseAndTheOtherOneIsRestricted) {
  SceneObject* panel = ObjectDown(GetFirstObject(doc_.get()));
  ASSERT_EQ(ObjectTagCount(panel), 3);
  EXPECT_EQ(TagType(ObjectTag(panel, 0)), kTagTexture);
  EXPECT_EQ(MaterialNameOf(TagMaterial(ObjectTag(panel, 0))), "Red");
  EXPECT_EQ(TagData(ObjectTag(panel, 0)).GetString(kTextureRestriction), "");
  EXPECT_EQ(TagType(ObjectTag(panel, 1)), kTagPolygonSelection);
  EXPECT_EQ(TagName(ObjectTag(panel, 1)), "Green");
  EXPECT_EQ(TagData(ObjectTag(panel, 2)).GetString(kTextureRestriction), "Green");

  ObjectMaterials materials(panel);
  ASSERT_TRUE(collectMaterials(materials));
  const Rgba expected[] = {{255, 0, 0, 255}, {255, 0, 0, 255}, {63, 191, 63, 255}};
  for (int32_t i = 0; i < 3; ++i) {
    const PageColour fill = PolygonFillColour(materials, i);
    EXPECT_EQ((Rgba{fill.r, fill.g, fill.b, fill.a}), expected[i]) << "polygon " << i;
  }
}

TEST_P(GltfImportTest, TheCameraKeepsItsFieldOfViewAndFacesThePanel) {
  SceneObject* shot = ViewLinkedCamera(doc_.get());
  ASSERT_NE(shot, nullptr);
  EXPECT_EQ(ObjectNameOf(shot), "Shot");
  EXPECT_EQ(CameraProjection(shot), kProjectionPerspective);
  EXPECT_DOUBLE_EQ(CameraFilmWidth(shot), 36.0);
  const double fieldOfView = 2 * std::atan(CameraFilmWidth(shot) / 2 / CameraLens(shot));
  EXPECT_NEAR(fieldOfView, 2 * std::atan(kAspect * std::tan(kYfov / 2)), 1e-12);

  // The file's camera at z = +10 looking down -z is, in the host's
  // left-handed world, at z = -10 looking along +z.
  const HostMatrix m = GlobalMatrixOf(shot);
  EXPECT_FLOAT_EQ(m.off.z, -10.0f);
  EXPECT_FLOAT_EQ(m.v3.z, 1.0f);
  EXPECT_FLOAT_EQ(m.v1.x, 1.0f);
  EXPECT_FLOAT_EQ(m.v2.y, 1.0f);

  // Every polygon faces the camera, as it does in the file.
  SceneObject* panel = ObjectDown(GetFirstObject(doc_.get()));
  const HostMatrix g = GlobalMatrixOf(panel);
  const auto world = [&](int32_t i) {
    const HostVector p = ObjectPoints(panel)[i];
    return host::Vec3{g.off.x + g.v1.x * p.x + g.v2.x * p.y + g.v3.x * p.z,
                      g.off.y + g.v1.y * p.x + g.v2.y * p.y + g.v3.y * p.z,
                      g.off.z + g.v1.z * p.x + g.v2.z * p.y + g.v3.z * p.z};
  };
  const host::Vec3 eye{m.off.x, m.off.y, m.off.z};
  for (int32_t i = 0; i < ObjectPolygonCount(panel); ++i) {
    const HostPolygon p = ObjectPolygons(panel)[i];
    const host::Vec3 normal = host::Cross(world(p.b) - world(p.a), world(p.c) - world(p.a));
    EXPECT_GT(host::Dot(normal, eye - world(p.a)), 0) << "polygon " << i;
  }
}

TEST_P(GltfImportTest, AnimationSetsTheFrameRangeAndMovesObjectsAtAChosenTime) {
  const BaseContainer settings = GetDocumentData(doc_.get(), kDocumentSettings);
  EXPECT_EQ(settings.GetInt(kDocFps), 30);
  EXPECT_EQ(settings.GetString(kDocName), (std::string("panel.") + GetParam()).c_str());
  const BaseContainer render = GetDocumentData(doc_.get(), kDocumentRenderSettings);
  EXPECT_TRUE(render.GetTime(kRenderFrom, Time(9, 1)) == Time(0, 1));
  EXPECT_TRUE(render.GetTime(kRenderTo) == Time(2, 1));
  EXPECT_EQ(render.GetInt(kRenderFps), 30);

  struct Case {
    Time time;
    float x, y, z, scale;
  };
  // The file's translation (2, 0, 1) at 0.5 s is (2, 0, -1) in host space;
  // the scale steps from 1 to 2 at 1 s.
  const Case cases[] = {{Time(0, 1), 1, 2, 0, 1},
                        {Time(15, 30), 2, 2, -1, 1},
                        {Time(45, 30), 3, 4, -2, 2},
                        {Time(3, 1), 3, 6, -2, 2}};
  for (const Case& c : cases) {
    SetDocumentTime(doc_.get(), c.time);
    AnimateDocument(doc_.get(), nullptr, 1, 1);
    const HostMatrix panel = GlobalMatrixOf(ObjectDown(GetFirstObject(doc_.get())));
    EXPECT_NEAR(panel.off.x, c.x, 1e-5) << c.time.Seconds();
    EXPECT_NEAR(panel.off.y, c.y, 1e-5) << c.time.Seconds();
    EXPECT_NEAR(panel.off.z, c.z, 1e-5) << c.time.Seconds();
    EXPECT_NEAR(panel.v1.x, c.scale, 1e-6) << c.time.Seconds();
  }
}

INSTANTIATE_TEST_SUITE_P(TextAndBinary, GltfImportTest, testing::Values("gltf", "glb"));

TEST(CameraLens, MatchesTheFieldOfViewOnTheFilm) {
  EXPECT_NEAR(host::import::LensForFieldOfView(2 * std::atan(0.5), 36.0), 36.0, 1e-12);
  EXPECT_NEAR(host::import::LensForFieldOfView(3.14159265358979 / 2, 36.0), 18.0, 1e-9);
}

}  // namespace
