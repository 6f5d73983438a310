// Real files of several formats from Debian's assimp-testmodels package
// (installed by tools/setup.sh): each loads into a scene with polygons, a
// camera and finite coordinates.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "host_fixture.h"
#include "scene_files.h"

namespace {

constexpr char kModels[] = "/usr/share/assimp/models/";

struct Model {
  const char* file;
  int64_t polygons;    // -1: any number above zero
  const char* camera;  // the file's first camera; null: the framing camera is added
};

int64_t CountPolygons(SceneObject* first, bool& finite) {
  int64_t count = 0;
  for (SceneObject* o = first; o != nullptr; o = ObjectNext(o)) {
    if (ObjectType(o) == kObjectPolygon) {
      count += ObjectPolygonCount(o);
      for (int32_t i = 0; i < ObjectPointCount(o); ++i) {
        const HostVector p = ObjectPoints(o)[i];
        finite = finite && std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
      }
    }
    count += CountPolygons(ObjectDown(o), finite);
  }
  return count;
}

class TestModelsTest : public HostTest, public testing::WithParamInterface<Model> {};

TEST_P(TestModelsTest, LoadsWithPolygonsAndACamera) {
  const Model& model = GetParam();
  const std::string path = std::string(kModels) + model.file;
  ASSERT_TRUE(std::filesystem::exists(path))
      << path << " is missing: install assimp-testmodels (tools/setup.sh)";
  std::string error;
  const std::unique_ptr<HostDocument> doc = scene_files::Load(path, error);
  ASSERT_NE(doc, nullptr) << error;

  bool finite = true;
  const int64_t polygons = CountPolygons(GetFirstObject(doc.get()), finite);
  if (model.polygons < 0) {
    EXPECT_GT(polygons, 0);
  } else {
    EXPECT_EQ(polygons, model.polygons);
  }
  EXPECT_TRUE(finite);
  SceneObject* camera = ViewLinkedCamera(doc.get());
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(ObjectNameOf(camera), model.camera != nullptr ? model.camera : "Camera");
  EXPECT_GT(CameraLens(camera), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, TestModelsTest,
    testing::Values(Model{"glTF2/BoxTextured-glTF/BoxTextured.gltf", 12, nullptr},
                    Model{"glTF2/BoxTextured-glTF-Binary/BoxTextured.glb", 12, nullptr},
                    Model{"OBJ/box.obj", 6, nullptr}, Model{"OBJ/spider.obj", -1, nullptr},
                    Model{"PLY/cube.ply", 6, nullptr},
                    Model{"STL/Spider_binary.stl", 1312, nullptr},  // 56 without area,
                    Model{"3DS/cube_with_diffuse_texture.3DS", 12, nullptr},
                    Model{"3DS/CameraRollAnim.3ds", 12, "Camera01"},
                    Model{"Collada/duck.dae", -1, "camera1"},
                    Model{"Collada/cameras.dae", 36, "Camera"}, Model{"FBX/box.fbx", 12, nullptr},
                    // A scene of object files: the importer looks for each in
                    // the current folder (outside the scene's, refused) before
                    // it finds it beside the scene.
                    Model{"LWS/move_x.lws", 6, "Camera_(30000000)"}),
    [](const testing::TestParamInfo<Model>& info) {
      std::string name = info.param.file;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

// The box's texture, CesiumLogoFlat.png, has the mean colour below (each
// pixel's red, green and blue in 0..1, averaged); its colour factor is white.
// The image is a file beside the .gltf, inside the .glb and a data URI in
// the embedded .gltf.
TEST_F(HostTest, TheTexturedBoxTakesTheMeanColourOfItsImage) {
  for (const char* file :
       {"glTF2/BoxTextured-glTF/BoxTextured.gltf", "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb",
        "glTF2/BoxTextured-glTF-Embedded/BoxTextured.gltf"}) {
    SCOPED_TRACE(file);
    const std::string path = std::string(kModels) + file;
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    host::ConsoleCapture console;
    std::string error;
    const std::unique_ptr<HostDocument> doc = scene_files::Load(path, error);
    ASSERT_NE(doc, nullptr) << error;
    SceneObject* box = GetFirstObject(doc.get());
    while (box != nullptr && ObjectType(box) != kObjectPolygon) box = ObjectDown(box);
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(ObjectTagCount(box), 1);
    const HostVector colour = MaterialChannelData(TagMaterial(ObjectTag(box, 0)), kChannelColour)
                                  .GetVector(kChannelColourKey);
    EXPECT_NEAR(colour.x, 0.60636, 1e-4);
    EXPECT_NEAR(colour.y, 0.73019, 1e-4);
    EXPECT_NEAR(colour.z, 0.69175, 1e-4);
    for (const std::string& line : console.Lines()) {
      EXPECT_EQ(line.find("texture"), std::string::npos) << line;
    }
  }
}

TEST_F(HostTest, ARealFileWhoseEveryCoordinateIsInfiniteIsRefusedAsEmpty) {
  const std::string path =
      std::string(kModels) + "glTF2/BoxWithInfinites-glTF-Binary/BoxWithInfinites.glb";
  ASSERT_TRUE(std::filesystem::exists(path)) << path;
  std::string error;
  EXPECT_EQ(scene_files::Load(path, error), nullptr);
  EXPECT_EQ(error, path +
                       ": the scene is empty: it holds no polygons (dropped 12 polygons with "
                       "coordinates that are not finite numbers)");
}

}  // namespace
