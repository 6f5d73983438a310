// Fuzzing the reading of scene files: every input is written to a file with
// the suffix this harness is built for (VEXMARK_FUZZ_SUFFIX) and read
// through the program's own entry, host::LoadScene: the header checks, the
// importer library, our conversion and, for .vxm, our native reader. The
// importer runs in this process (the program runs it in a child process),
// so that a fault in it or in our conversion shows as the crash it is.
//
// The input sits in a folder of its own, "scene", with companions it may
// name: inside.bin (a triangle), inside.mtl, and link.bin, a link to a file
// outside the folder. Outside, beside the folder, lie outside.bin and
// outside.mtl. The points of outside.bin are marker values: a loaded scene
// with a point made of them has read a file it must not, and the harness
// stops as on a crash. Seeds that name these files are in fuzz/seeds.
//
// Inputs of an odd size are read with a small triangle limit, so that the
// count of the triangles a scene expands to and its refusal are fuzzed too,
// and not only the reading of scenes under the limit.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "host/document.h"
#include "host/import/load_scene.h"
#include "host/runtime.h"

namespace {

namespace fs = std::filesystem;

// The coordinates of the points of outside.bin (exact in a float).
constexpr float kMarkers[] = {4242.5f, 1717.25f, 3131.75f};

fs::path Folder() {
  return fs::temp_directory_path() / ("vexmark-fuzz-" + std::to_string(::getpid()));
}

std::string InputPath() {
  return (Folder() / "scene" / (std::string("input") + VEXMARK_FUZZ_SUFFIX)).string();
}

void WriteFile(const fs::path& path, const void* data, size_t size) {
  std::ofstream(path, std::ios::binary).write(static_cast<const char*>(data), size);
}

void WriteFile(const fs::path& path, const std::string& text) {
  WriteFile(path, text.data(), text.size());
}

void MakeFolders() {
  const fs::path folder = Folder();
  fs::create_directories(folder / "scene");
  // Point k holds the markers turned by k places: points in threes that
  // make a triangle with area, which the import keeps.
  float outside[3 * 64];
  for (size_t i = 0; i < 3 * 64; ++i) outside[i] = kMarkers[(i % 3 + i / 3) % 3];
  WriteFile(folder / "outside.bin", outside, sizeof outside);
  WriteFile(folder / "outside.mtl", "newmtl Outside\nKd 0.25 0.5 0.75\nmap_Kd outside.bin\n");
  const float triangle[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  WriteFile(folder / "scene" / "inside.bin", triangle, sizeof triangle);
  WriteFile(folder / "scene" / "inside.mtl", "newmtl Inside\nKd 1 0 0\nmap_Kd ../outside.bin\n");
  std::error_code exists;
  fs::create_symlink("../outside.bin", folder / "scene" / "link.bin", exists);
}

bool IsMarker(float value) {
  for (const float marker : kMarkers) {
    if (std::fabs(value) == marker) return true;
  }
  return false;
}

// True when a point of the scene is made of outside.bin's values.
bool ReadOutside(const HostDocument& doc) {
  for (const auto& object : doc.scene.objects) {
    for (const HostVector& p : object->points) {
      if (IsMarker(p.x) && IsMarker(p.y) && IsMarker(p.z)) return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  host::ResetForTest();
  host::SetConsoleSink([](const std::string&) {});  // warnings of every input
  MakeFolders();
  std::atexit([] {
    std::error_code ignored;
    fs::remove_all(Folder(), ignored);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = InputPath();
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  std::string error;
  host::LoadSettings settings;
  settings.place = host::ImporterPlace::kThisProcess;
  if (size % 2 == 1) settings.maxTriangles = 16;
  const std::unique_ptr<HostDocument> doc(host::LoadScene(path, error, settings));
  std::remove(path.c_str());
  if (doc && ReadOutside(*doc)) {
    std::fprintf(stderr, "the scene read a file outside its folder\n");
    std::abort();
  }
  return 0;
}
