// An OBJ scene with an MTL, written by the test: a cube of quads in two
// materials and a concave six-cornered floor, without a camera.
#include <gtest/gtest.h>

#include <cmath>

#include "host_fixture.h"
#include "capture/materials.h"
#include "scene_files.h"

namespace {

using Rgba = std::array<int, 4>;
using host::Vec3;

// Faces run counter-clockwise seen from outside, as OBJ wants. The floor is
// an L whose inner corner a fan from its first corner would cut across.
constexpr char kCubeObj[] =
    "mtllib cube.mtl\n"
    "o Cube\n"
    "v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\n"
    "v -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n"
    "usemtl Red\n"
    "f 5 6 7 8\nf 2 1 4 3\nf 6 2 3 7\nf 1 5 8 4\n"
    "usemtl Blue\n"
    "f 8 7 3 4\nf 1 2 6 5\n"
    "o Floor\n"
    "v 0 -2 2\nv 1 -2 2\nv 1 -2 1\nv 2 -2 1\nv 2 -2 0\nv 0 -2 0\n"
    "usemtl Red\n"
    "f 9 10 11 12 13 14\n";

constexpr char kCubeMtl[] =
    "newmtl Red\nKd 1 0 0\n"
    "newmtl Blue\nKd 0 0 1\nKe 0.2 0.2 0.2\n";

class ObjImportTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    const std::string folder = scene_files::TestFolder();
    scene_files::WriteFile(folder + "/cube.mtl", kCubeMtl);
    path_ = folder + "/cube.obj";
    scene_files::WriteFile(path_, kCubeObj);
    std::string error;
    doc_ = scene_files::Load(path_, error);
    ASSERT_NE(doc_, nullptr) << error;
    console_lines_ = console_.Lines();
  }

  SceneObject* Find(const char* name) {
    for (SceneObject* o = GetFirstObject(doc_.get()); o != nullptr; o = ObjectNext(o)) {
      if (ObjectNameOf(o) == name) return o;
    }
    return nullptr;
  }

  static Vec3 World(const SceneObject* object, int32_t point) {
    const HostMatrix g = GlobalMatrixOf(object);
    const HostVector p = ObjectPoints(object)[point];
    return {g.off.x + g.v1.x * p.x + g.v2.x * p.y + g.v3.x * p.z,
            g.off.y + g.v1.y * p.x + g.v2.y * p.y + g.v3.y * p.z,
            g.off.z + g.v1.z * p.x + g.v2.z * p.y + g.v3.z * p.z};
  }

  static Vec3 Normal(const SceneObject* object, const HostPolygon& p) {
    const Vec3 a = World(object, p.a);
    if (p.c == p.d) return host::Cross(World(object, p.b) - a, World(object, p.c) - a);
    return host::Cross(World(object, p.c) - a, World(object, p.d) - World(object, p.b));
  }

  host::ConsoleCapture console_;
  std::vector<std::string> console_lines_;
  std::string path_;
  std::unique_ptr<HostDocument> doc_;
};

TEST_F(ObjImportTest, QuadsStayQuadsAndFaceOutwards) {
  SceneObject* cube = Find("Cube");
  ASSERT_NE(cube, nullptr);
  EXPECT_EQ(ObjectType(cube), kObjectPolygon);
  EXPECT_EQ(ObjectPointCount(cube), 8);
  ASSERT_EQ(ObjectPolygonCount(cube), 6);
  for (int32_t i = 0; i < 6; ++i) {
    const HostPolygon p = ObjectPolygons(cube)[i];
    EXPECT_NE(p.c, p.d) << "quad " << i;
    Vec3 centre;
    for (const int32_t corner : {p.a, p.b, p.c, p.d}) centre = centre + World(cube, corner) * 0.25;
    EXPECT_GT(host::Dot(Normal(cube, p), centre), 0) << "quad " << i << " faces into the cube";
  }
}

TEST_F(ObjImportTest, MaterialsOfTheMtlColourThePolygons) {
  SceneObject* cube = Find("Cube");
  ASSERT_NE(cube, nullptr);
  ASSERT_EQ(ObjectTagCount(cube), 3);
  EXPECT_EQ(MaterialNameOf(TagMaterial(ObjectTag(cube, 0))), "Red");
  EXPECT_EQ(TagName(ObjectTag(cube, 1)), "Blue");

  ObjectMaterials materials(cube);
  ASSERT_TRUE(collectMaterials(materials));
  const Rgba red{255, 0, 0, 255};
  const Rgba blue{51, 51, 255, 255};  // blue plus a 0.2 grey glow
  const Rgba expected[] = {red, red, red, red, blue, blue};
  for (int32_t i = 0; i < 6; ++i) {
    const PageColour fill = PolygonFillColour(materials, i);
    EXPECT_EQ((Rgba{fill.r, fill.g, fill.b, fill.a}), expected[i]) << "quad " << i;
  }
}

TEST_F(ObjImportTest, AConcavePolygonIsSplitIntoTrianglesThatCoverItExactly) {
  SceneObject* floor = Find("Floor");
  ASSERT_NE(floor, nullptr);
  ASSERT_EQ(ObjectPolygonCount(floor), 4);
  double area = 0;
  for (int32_t i = 0; i < 4; ++i) {
    const HostPolygon p = ObjectPolygons(floor)[i];
    ASSERT_EQ(p.c, p.d);
    const Vec3 normal = Normal(floor, p);
    EXPECT_GT(normal.y, 0) << "triangle " << i << " keeps the floor's upward facing";
    area += host::Length(normal) / 2;
    const Vec3 centre = (World(floor, p.a) + World(floor, p.b) + World(floor, p.c)) * (1.0 / 3);
    // Inside the L: x in 0..2, z in -2..0 (mirrored), not in the cut-out corner.
    EXPECT_FALSE(centre.x > 1 && centre.z < -1) << "triangle " << i << " leaves the L";
  }
  EXPECT_NEAR(area, 3.0, 1e-6);
}

TEST_F(ObjImportTest, ASceneWithoutCameraGetsOneThatFramesIt) {
  EXPECT_EQ(console_lines_,
            std::vector<std::string>{
                path_ + ": the scene has no camera; added one that frames the whole scene"});
  SceneObject* camera = ViewLinkedCamera(doc_.get());
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(CameraProjection(camera), kProjectionPerspective);

  // Every point lies in front of the camera and inside a 320 x 240 picture.
  const HostMatrix m = GlobalMatrixOf(camera);
  const Vec3 eye{m.off.x, m.off.y, m.off.z};
  const Vec3 axes[3] = {
      {m.v1.x, m.v1.y, m.v1.z}, {m.v2.x, m.v2.y, m.v2.z}, {m.v3.x, m.v3.y, m.v3.z}};
  const double focal = CameraLens(camera) * 320 / CameraFilmWidth(camera);
  for (const char* name : {"Cube", "Floor"}) {
    SceneObject* object = Find(name);
    for (int32_t i = 0; i < ObjectPointCount(object); ++i) {
      const Vec3 d = World(object, i) - eye;
      const double depth = host::Dot(d, axes[2]);
      ASSERT_GT(depth, 0) << name << " point " << i;
      EXPECT_LT(std::fabs(host::Dot(d, axes[0]) * focal / depth), 160) << name << " point " << i;
      EXPECT_LT(std::fabs(host::Dot(d, axes[1]) * focal / depth), 120) << name << " point " << i;
    }
  }
}

}  // namespace
