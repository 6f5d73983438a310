// Scenes read other files only from their own folder tree. A table of
// hostile scenes (a glTF buffer or image, an OBJ material library or
// texture, named by a path out of the folder, an absolute path, a link
// inside the folder that points out, a percent-encoded or file: URI), each
// run through the program twice: from the folder above the scene and from
// the scene's own folder. A buffer or library outside refuses the scene with
// exit status 2 and one line naming it; an image outside is left unread with
// a warning, and the material keeps its colour. Companions that stay inside
// the tree, by whatever path, still load.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "program_support.h"

namespace {

namespace fs = std::filesystem;

constexpr char kOutside[] =
    "', which lies outside the scene's folder (scenes read only files in their own folder)";

// Three points of one triangle as a glTF buffer's bytes.
std::string TriangleBytes(float offset) {
  const float points[9] = {offset, 0, 0, offset + 1, 0, 0, offset, 1, 0};
  return std::string(reinterpret_cast<const char*>(points), sizeof points);
}

// A one-pixel TGA image of the colour red, green, blue.
std::string OnePixelTga(uint8_t red, uint8_t green, uint8_t blue) {
  std::string bytes(18, '\0');
  bytes[2] = 2;    // true colour, uncompressed
  bytes[12] = 1;   // width
  bytes[14] = 1;   // height
  bytes[16] = 24;  // bits per pixel
  return bytes +
         std::string{static_cast<char>(blue), static_cast<char>(green), static_cast<char>(red)};
}

// A glTF triangle whose points come from `bufferUri`; with `imageUri`, its
// material "Tex" takes its colour from that image.
std::string Gltf(const std::string& bufferUri, const std::string& imageUri = "") {
  nlohmann::json doc = {
      {"asset", {{"version", "2.0"}}},
      {"scene", 0},
      {"scenes", {{{"nodes", {0}}}}},
      {"nodes", {{{"name", "Mesh"}, {"mesh", 0}}}},
      {"meshes", {{{"primitives", {{{"attributes", {{"POSITION", 0}}}}}}}}},
      {"accessors",
       {{{"bufferView", 0},
         {"componentType", 5126},
         {"count", 3},
         {"type", "VEC3"},
         {"min", {0, 0, 0}},
         {"max", {1, 1, 0}}}}},
      {"bufferViews", {{{"buffer", 0}, {"byteLength", 36}}}},
      {"buffers", {{{"byteLength", 36}, {"uri", bufferUri}}}},
  };
  if (!imageUri.empty()) {
    doc["images"] = {{{"uri", imageUri}}};
    doc["textures"] = {{{"source", 0}}};
    doc["materials"] = {
        {{"name", "Tex"}, {"pbrMetallicRoughness", {{"baseColorTexture", {{"index", 0}}}}}}};
    doc["meshes"][0]["primitives"][0]["material"] = 0;
  }
  return doc.dump();
}

std::string Obj(const std::string& library) {
  return "mtllib " + library + "\nusemtl Tex\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
}

std::string Mtl(const std::string& image) {
  return "newmtl Tex\nKd 1 1 1\nmap_Kd " + image + "\n";
}

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The folder of the scenes, "scene", and a sibling, "x", whose files the
// scenes must not read. What lies outside would draw a triangle elsewhere
// and colour it blue; what lies inside is a triangle at the origin and red.
class ProgramSceneFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vexmark-scene-folder-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "x");
    fs::create_directories(Scenes() / "sub");
    Write(Outside("secret.bin"), TriangleBytes(100));
    Write(Outside("secret.tga"), OnePixelTga(0, 0, 255));
    Write(Outside("library.mtl"), Mtl("secret.tga"));
    Write(Scenes() / "in.bin", TriangleBytes(0));
    Write(Scenes() / "sub" / "in.bin", TriangleBytes(0));
    Write(Scenes() / "sub" / "red.tga", OnePixelTga(255, 0, 0));
    Write(Scenes() / "inside.mtl", Mtl("sub/red.tga"));
    Write(Scenes() / "outside-image.mtl", Mtl("../x/secret.tga"));
    fs::create_symlink("../x/secret.bin", Scenes() / "link-out.bin");
    fs::create_symlink("sub/in.bin", Scenes() / "link-in.bin");
    Write(root_ / "x" / "far.gltf", Gltf("in.bin"));
    fs::create_symlink("../x/far.gltf", Scenes() / "linked-scene.gltf");
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path Scenes() const { return root_ / "scene"; }
  std::string Outside(const std::string& name) const { return (root_ / "x" / name).string(); }

  fs::path root_;
};

struct Case {
  std::string name;   // the scene file, in the folder "scene"
  std::string bytes;  // its contents
  int status;         // the program's exit status
  std::string line;   // the line about the scene on stderr, after "<scene>: "
};

// Whether a line of the run's stderr ends with `tail`.
bool HasLineEndingWith(const ProgramRun& run, const std::string& tail) {
  for (const std::string& line : run.ErrLines()) {
    if (line.size() >= tail.size() &&
        line.compare(line.size() - tail.size(), tail.size(), tail) == 0)
      return true;
  }
  return false;
}

TEST_F(ProgramSceneFolderTest, CompanionsOutsideTheFolderAreNeverRead) {
  const std::string secretBin = Outside("secret.bin");
  const std::string secretTga = Outside("secret.tga");
  const auto refused = [](const std::string& name) {
    return "the file refers to '" + name + kOutside;
  };
  const auto unopened = [](const std::string& uri) {
    return "not a valid .gltf file: GLTF: could not open referenced file \"" + uri + "\"";
  };
  const auto unreadImage = [](const std::string& name) {
    return "the texture '" + name +
           "' of material 'Tex' lies outside the scene's folder and is not read; its colour "
           "factor is used";
  };
  const std::vector<Case> cases = {
      {"up.gltf", Gltf("../x/secret.bin"), 2, refused("../x/secret.bin")},
      {"absolute.gltf", Gltf(secretBin), 2, refused(secretBin)},
      {"link.gltf", Gltf("link-out.bin"), 2, refused("link-out.bin")},
      {"deep.gltf", Gltf("sub/../../x/secret.bin"), 2, refused("sub/../../x/secret.bin")},
      // The importer does not decode a buffer's URI: these name no file.
      {"percent.gltf", Gltf("..%2Fx%2Fsecret.bin"), 2, unopened("..%2Fx%2Fsecret.bin")},
      {"scheme.gltf", Gltf("file://" + secretBin), 2, unopened("file://" + secretBin)},
      {"image-up.gltf", Gltf("in.bin", "../x/secret.tga"), 0, unreadImage("../x/secret.tga")},
      {"image-absolute.gltf", Gltf("in.bin", secretTga), 0, unreadImage(secretTga)},
      {"image-percent.gltf", Gltf("in.bin", "..%2Fx%2Fsecret.tga"), 0,
       unreadImage("..%2Fx%2Fsecret.tga")},
      {"image-scheme.gltf", Gltf("in.bin", "file://" + secretTga), 0,
       unreadImage("file://" + secretTga)},
      {"library-up.obj", Obj("../x/library.mtl"), 2, refused("../x/library.mtl")},
      {"library-absolute.obj", Obj(Outside("library.mtl")), 2, refused(Outside("library.mtl"))},
      {"map-up.obj", Obj("outside-image.mtl"), 0, unreadImage("../x/secret.tga")},
  };
  for (const Case& c : cases) Write(Scenes() / c.name, c.bytes);
  for (const Case& c : cases) {
    for (const bool fromScenes : {false, true}) {
      const std::string scene = fromScenes ? c.name : "scene/" + c.name;
      SCOPED_TRACE(scene);
      const ProgramRun run = RunProgram({"info", scene}, fromScenes ? Scenes() : root_);
      EXPECT_EQ(run.status, c.status) << run.err;
      if (c.status != 0) {
        EXPECT_EQ(run.err, "vexmark: " + scene + ": " + c.line + "\n");
      } else {
        EXPECT_TRUE(HasLineEndingWith(run, scene + ": " + c.line)) << run.err;
        // The colour is the material's own: the outside image's blue never
        // reaches it.
        EXPECT_NE(run.out.find("Tex: colour 1 1 1"), std::string::npos) << run.out;
      }
    }
  }
}

TEST_F(ProgramSceneFolderTest, CompanionsInsideTheFolderTreeLoad) {
  const std::string red = "Tex: colour 1 0 0";
  const std::vector<Case> cases = {
      {"beside.gltf", Gltf("in.bin", "sub/red.tga"), 0, red},
      {"below.gltf", Gltf("sub/in.bin"), 0, ""},
      {"round-about.gltf", Gltf("./sub/../in.bin"), 0, ""},
      {"link-inside.gltf", Gltf("link-in.bin"), 0, ""},
      {"embedded.gltf",
       Gltf(
           "data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA"),
       0, ""},
      {"library-beside.obj", Obj("inside.mtl"), 0, red},
      // A link to a scene elsewhere, whose companion is beside the link.
      {"linked-scene.gltf", "", 0, ""},
  };
  for (const Case& c : cases) {
    if (!c.bytes.empty()) Write(Scenes() / c.name, c.bytes);
  }
  for (const Case& c : cases) {
    for (const bool fromScenes : {false, true}) {
      const std::string scene = fromScenes ? c.name : "scene/" + c.name;
      SCOPED_TRACE(scene);
      const ProgramRun run = RunProgram({"info", scene}, fromScenes ? Scenes() : root_);
      EXPECT_EQ(run.status, 0) << run.err;
      EXPECT_EQ(run.err.find("outside"), std::string::npos) << run.err;
      EXPECT_EQ(run.err.find("could not be read"), std::string::npos) << run.err;
      EXPECT_NE(run.out.find("(mesh, 3 points, 1 polygons)"), std::string::npos) << run.out;
      EXPECT_NE(run.out.find(c.line), std::string::npos) << run.out;
    }
  }
}

}  // namespace
