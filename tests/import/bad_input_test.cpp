// Bad scene files: each is refused with one line naming the file and the
// reason, leaves no document behind and never crashes; coordinates that are
// not finite numbers are dropped with a warning that counts them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

#include "host_fixture.h"
#include "scene_files.h"

namespace {

// Built with AddressSanitizer, whose allocator lets some heap damage pass.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

class BadInputTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    folder_ = scene_files::TestFolder();
  }

  // Loads `path` and expects a refusal whose reason contains `reason`.
  void ExpectRefused(const std::string& path, const std::string& reason) {
    const int64_t documents = host::LiveDocuments();
    std::string error;
    const std::unique_ptr<HostDocument> doc = scene_files::Load(path, error);
    EXPECT_EQ(doc, nullptr) << path;
    EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << "the error names the file: " << error;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << "one line: " << error;
    EXPECT_EQ(host::LiveDocuments(), documents) << path;
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = folder_ + "/" + name;
    scene_files::WriteFile(path, bytes);
    return path;
  }

  std::string folder_;
};

// One triangle in a glTF file; `positions` may hold NaN or infinities.
scene_files::GltfWriter Triangles(const std::vector<float>& positions,
                                  const std::vector<uint16_t>& indices) {
  scene_files::GltfWriter w;
  const int points = w.Floats(positions, "VEC3");
  const int corners = w.Indices(indices);
  w.doc["scene"] = 0;
  w.doc["scenes"] = {{{"nodes", {0}}}};
  w.doc["nodes"] = {{{"name", "Mesh"}, {"mesh", 0}}};
  w.doc["meshes"] = {
      {{"primitives", {{{"attributes", {{"POSITION", points}}}, {"indices", corners}}}}}};
  return w;
}

TEST_F(BadInputTest, FilesThatCannotBeReadAreNamedWithTheReason) {
  ExpectRefused(folder_ + "/missing.gltf", "no such file");
  ExpectRefused(folder_, "a folder, not a scene file");
  ExpectRefused(Write("empty.obj", ""), "the file is empty");
  ExpectRefused(Write("notes.txt", "hello"), "unsupported file type '.txt'");
  ExpectRefused(Write("scene", "hello"), "no suffix");
}

TEST_F(BadInputTest, AFileWithoutReadPermissionIsRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  const std::string path = Write("locked.obj", "v 0 0 0\n");
  std::filesystem::permissions(path, std::filesystem::perms::none);
  ExpectRefused(path, "cannot be read");
}

TEST_F(BadInputTest, CorruptAndTruncatedFilesOfEachKindAreRefused) {
  const std::string gltf = Triangles({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}).Gltf();
  const std::string glb = Triangles({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}).Glb();
  std::string binaryStl(80, ' ');
  binaryStl +=
      std::string("\x0c\0\0\0", 4) + std::string(50, '\0');  // 12 triangles promised, 1 given
  const std::string dae =
      "<?xml version=\"1.0\"?>\n<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" "
      "version=\"1.4.1\">\n<library_geometries>\n<geometry id=\"g\">\n<mesh>\n<source id=";
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"cut.gltf", gltf.substr(0, gltf.size() / 2)},
      {"cut.glb", glb.substr(0, glb.size() / 2)},
      {"noise.glb", "glTF" + std::string(40, '\x7f')},
      {"indices.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n"},
      {"cut.stl", binaryStl},
      {"noise.fbx", "Kaydara FBX Binary  " + std::string(1, '\0') + std::string(200, '\x13')},
      {"cut.dae", dae},
      {"noise.3ds", std::string("\x4d\x4d\xff\xff\xff\x7f", 6) + std::string(64, '\x3d')},
  };
  for (const Case& c : cases) {
    const std::string suffix = std::strchr(c.name, '.');
    ExpectRefused(Write(c.name, c.bytes), "not a valid " + suffix + " file");
  }
}

// Tiny files whose headers claim huge counts are refused as damaged at once,
// before anything is reserved for the claimed counts.
TEST_F(BadInputTest, HeadersClaimingMoreThanTheFileHoldsAreRefusedAsDamaged) {
  std::string glb = std::string("glTF\x02\0\0\0", 8) + std::string("\x40\0\0\0", 4) +
                    std::string("\xf0\xff\xff\xff", 4) + "JSON" + std::string(44, ' ');
  std::string stl(80, ' ');
  stl += std::string("\xff\xff\xff\x7f", 4) + std::string(50, '\0');
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"huge-binary.ply",
       "ply\nformat binary_little_endian 1.0\nelement vertex 2000000000\nproperty float x\n"
       "property float y\nproperty float z\nelement face 1\nproperty list uchar int "
       "vertex_indices\nend_header\n" +
           std::string(64, '\0')},
      {"huge-ascii.ply",
       "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
       "property float z\nelement face 2000000000\nproperty list uchar int vertex_indices\n"
       "end_header\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n"},
      {"huge-chunk.glb", glb},
      {"huge.stl", stl},
      {"huge.off", "OFF\n2000000000 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n"},
  };
  for (const Case& c : cases) ExpectRefused(Write(c.name, c.bytes), "damaged: the header claims");
  // A negative count is called negative, not read round to a huge number.
  const Case negative[] = {
      {"negative.ply",
       "ply\nformat ascii 1.0\nelement vertex -4\nproperty float x\nproperty float y\n"
       "property float z\nend_header\n"},
      {"negative-faces.off", "OFF\n3 -4 0\n0 0 0\n1 0 0\n0 1 0\n"},
      {"negative-vertices.off", "OFF\n# counts below\n-3 1 0\n3 0 1 2\n"},
  };
  for (const Case& c : negative)
    ExpectRefused(Write(c.name, c.bytes), "damaged: the header claims a negative number of");
}

// A companion file that is not an ordinary file (a FIFO would block the
// import forever) makes the scene refused, naming the companion.
TEST_F(BadInputTest, CompanionFilesThatAreNotOrdinaryFilesAreRefused) {
  ASSERT_EQ(::mkfifo((folder_ + "/fifo.mtl").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((folder_ + "/fifo.bin").c_str(), 0600), 0);
  std::filesystem::create_directory(folder_ + "/folder.mtl");
  const std::string triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
  const std::string gltf =
      R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],)"
      R"("meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"accessors":[{"bufferView":0,)"
      R"("componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,0]}],)"
      R"("bufferViews":[{"buffer":0,"byteLength":36}],"buffers":[{"byteLength":36,"uri":"fifo.bin"}]})";
  const struct {
    const char* name;
    std::string bytes;
    const char* companion;
  } cases[] = {
      {"fifo-library.obj", "mtllib fifo.mtl\n" + triangle, "fifo.mtl"},
      {"folder-library.obj", "mtllib folder.mtl\n" + triangle, "folder.mtl"},
      {"fifo-buffer.gltf", gltf, "fifo.bin"},
  };
  for (const auto& c : cases) {
    ExpectRefused(Write(c.name, c.bytes),
                  std::string("refers to '") + c.companion + "', which is not a regular file");
  }
}

// Files the importer would take with something quietly changed: a glTF that
// requires an extension that changes its geometry, an OFF face that names a
// vertex the file lacks. Harmless required extensions are accepted.
TEST_F(BadInputTest, FilesThatWouldBeReadWronglyAreRefused) {
  scene_files::GltfWriter draco = Triangles({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
  draco.doc["extensionsUsed"] = {"KHR_draco_mesh_compression"};
  draco.doc["extensionsRequired"] = {"KHR_draco_mesh_compression"};
  ExpectRefused(Write("draco.gltf", draco.Gltf()),
                "requires the glTF extension KHR_draco_mesh_compression");
  ExpectRefused(Write("draco.glb", draco.Glb()),
                "requires the glTF extension KHR_draco_mesh_compression");
  ExpectRefused(Write("index.off", "OFF\n# a comment\n4 2 0\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n"
                                   "3 0 1 2\n3 1 3 9\n"),
                "face 2 names vertex 9, but the file has only 4 vertices");

  scene_files::GltfWriter unlit = Triangles({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
  unlit.doc["extensionsUsed"] = {"KHR_materials_unlit"};
  unlit.doc["extensionsRequired"] = {"KHR_materials_unlit"};
  std::string error;
  EXPECT_NE(scene_files::Load(Write("unlit.gltf", unlit.Gltf()), error), nullptr) << error;
  EXPECT_NE(scene_files::Load(Write("fine.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n"),
                              error),
            nullptr)
      << error;
}

// Inputs the fuzzers found to crash or hang the import
// (tests/import/data/fuzz): each is refused cleanly now, by the header
// checks, by the read budget or, where the importer library itself crashes,
// because it runs in a child process. The library damages its heap on one
// of them; under the sanitizers' allocator that goes unnoticed and the
// scene it returns is empty, which is refused too.
TEST_F(BadInputTest, InputsFoundByFuzzingAreRefused) {
  const std::string folder = std::string(VEXMARK_SOURCE_DIR) + "/tests/import/data/fuzz";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    ExpectRefused(entry.path().string(),
                  kSanitized && name == "importer-heap-damage.ply" ? "" : "damaged");
    ++files;
  }
  EXPECT_GT(files, 0);
}

TEST_F(BadInputTest, PolygonsWithCoordinatesThatAreNotFiniteAreDroppedAndCounted) {
  const float nan = std::nanf("");
  const float inf = std::numeric_limits<float>::infinity();
  const std::string path =
      Write("holes.gltf", Triangles({0, 0, 0, 1, 0, 0, 0, 1, 0, nan, 0, 0, 0, inf, 0},
                                    {0, 1, 2, 0, 1, 3, 1, 2, 4, 3, 4, 0})
                              .Gltf());
  host::ConsoleCapture console;
  std::string error;
  const std::unique_ptr<HostDocument> doc = scene_files::Load(path, error);
  ASSERT_NE(doc, nullptr) << error;
  EXPECT_TRUE(
      console.Contains(path + ": dropped 3 polygons with coordinates that are not finite numbers"));
  SceneObject* mesh = GetFirstObject(doc.get());
  ASSERT_EQ(ObjectPolygonCount(mesh), 1);
  ASSERT_EQ(ObjectPointCount(mesh), 3) << "the unusable points are left out too";
  for (int32_t i = 0; i < 3; ++i) EXPECT_TRUE(std::isfinite(ObjectPoints(mesh)[i].x));

  const std::string allBad =
      Write("nothing.gltf", Triangles({nan, 0, 0, 1, 0, 0, 0, inf, 0}, {0, 1, 2}).Gltf());
  ExpectRefused(allBad, "the scene is empty: it holds no polygons");
}

TEST_F(BadInputTest, ScenesWithoutPolygonsAreReportedAsEmpty) {
  const char* const empty = "the scene is empty: it holds no polygons";
  ExpectRefused(Write("points.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\n"), empty);
  ExpectRefused(Write("lines.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nl 1 2 3\n"), empty);
  // A PLY file cut short in its data holds less than its header claims: it
  // is refused as damaged before the importer reads it.
  ExpectRefused(Write("cut.ply",
                      "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\n"
                      "property float y\nproperty float z\nelement face 1\n"
                      "property list uchar int vertex_indices\nend_header\n0 0 0\n1 0 0\n"),
                "damaged: the header claims 4 vertex elements");
}

}  // namespace
