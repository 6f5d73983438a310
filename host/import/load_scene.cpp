#include "host/import/load_scene.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>

#include "host/api/vexmark_ids.h"
#include "host/file_names.h"
#include "host/import/assimp_import.h"
#include "host/import/child_import.h"
#include "host/import/default_camera.h"
#include "host/import/large_stack.h"
#include "host/import/native_format.h"
#include "host/import/size_claims.h"
#include "host/runtime.h"

namespace host {
namespace {

namespace fs = std::filesystem;
using import::ImportReport;

std::string Lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Why the file cannot be read at all, or empty when it can.
std::string Unreadable(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) return "no such file";
  if (fs::is_directory(status)) return "a folder, not a scene file";
  if (!fs::is_regular_file(status)) return "not a regular file";
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string("cannot be read (") + std::strerror(errno) + ")";
  if (in.peek() == std::ifstream::traits_type::eof()) return "the file is empty";
  return "";
}

std::unique_ptr<HostDocument> ReadSceneFile(const std::string& path, int64_t maxTriangles,
                                            ImportReport& report) {
  const std::string suffix = Lowercase(Suffix(path));
  if (suffix == import::kNativeSuffix) {
    std::string reason;
    std::unique_ptr<HostDocument> doc = import::LoadNativeFile(path, reason);
    if (!doc) report.Fail(reason);
    return doc;
  }
  if (suffix.empty()) {
    report.Fail("the file has no suffix to tell its format");
    return nullptr;
  }
  if (!import::AssimpReadsSuffix(path)) {
    report.Fail("unsupported file type '." + suffix +
                "' (Vexmark reads .vxm, .gltf, .glb, .obj, .fbx, .dae, .ply, .stl, .3ds and "
                "the other formats of Assimp)");
    return nullptr;
  }
  // Counts the header claims are checked before the importer reserves
  // memory for them.
  const std::string damage = import::CheckClaimedSizes(path);
  if (!damage.empty()) {
    report.Fail("not a valid ." + suffix + " file: " + damage);
    return nullptr;
  }
  return import::ImportWithAssimp(path, maxTriangles, report);
}

int64_t PolygonCount(const Scene& scene) {
  int64_t count = 0;
  for (const auto& object : scene.objects) {
    if (object->type == kObjectPolygon) count += static_cast<int64_t>(object->polygons.size());
  }
  return count;
}

bool HasCamera(const Scene& scene) {
  for (const auto& object : scene.objects) {
    if (object->type == kObjectCamera) return true;
  }
  return false;
}

double PictureAspect(const HostDocument& doc) {
  const int64_t* width = doc.renderSettings.Find<int64_t>(kRenderWidth);
  const int64_t* height = doc.renderSettings.Find<int64_t>(kRenderHeight);
  if (width == nullptr || height == nullptr || *width <= 0 || *height <= 0) return 4.0 / 3.0;
  return static_cast<double>(*width) / static_cast<double>(*height);
}

void Print(const std::string& line) {
  Table()->consolePrint(line.c_str());
}

HostDocument* ReadScene(const std::string& path, std::string& error, const LoadSettings& settings,
                        LoadFailure& failure) {
  failure = LoadFailure::kRefused;
  const std::string unreadable = Unreadable(path);
  if (!unreadable.empty()) {
    error = path + ": " + unreadable;
    return nullptr;
  }
  ImportReport report;
  std::unique_ptr<HostDocument> doc;
  const int64_t maxTriangles = settings.maxTriangles;
  const import::ImportWork read = [&path, maxTriangles](ImportReport& readReport) {
    std::unique_ptr<HostDocument> read;
    // Importers may recurse once per hierarchy level: give them room.
    import::RunOnLargeStack([&] { read = ReadSceneFile(path, maxTriangles, readReport); });
  return read;
};
// Our own reader of the native format runs here; only the library's
// importers need a process of their own.
const bool native = Lowercase(Suffix(path)) == import::kNativeSuffix;
try {
  doc = settings.place == ImporterPlace::kChildProcess && !native
            ? import::ImportInChildProcess(read, report, import::ImporterMemoryBytes(maxTriangles))
            : read(report);
} catch (const std::bad_alloc&) {
  doc.reset();
  report.FailForMemory();
} catch (const std::exception& e) {
  report.Fail(std::string("the file could not be read (") + e.what() + ")");
}
if (!doc || report.Failed()) {
  if (report.outOfMemory) failure = LoadFailure::kOutOfMemory;
  error = path + ": " + (report.Failed() ? report.error : "the file could not be read");
  return nullptr;
}
if (PolygonCount(doc->scene) == 0) {
  // What was dropped may be why nothing is left: say so on the same line.
  std::string dropped;
  for (const std::string& warning : report.warnings) {
    dropped += (dropped.empty() ? " (" : "; ") + warning;
  }
  error =
      path + ": the scene is empty: it holds no polygons" + (dropped.empty() ? "" : dropped + ")");
  return nullptr;
}
// The native format holds every triangle it expands to, so its count
// comes after the reading, which costs no more than the file's text; the
// library's formats were counted before their objects were built.
const int64_t triangles = import::SceneTriangles(doc->scene);
if (triangles > maxTriangles) {
  error = path + ": " + import::TooManyTriangles(triangles, maxTriangles);
  return nullptr;
}
for (const std::string& warning : report.warnings) Print(path + ": " + warning);

if (!native && !HasCamera(doc->scene)) {
  import::AddFramingCamera(doc->scene, PictureAspect(*doc));
  Print(path + ": the scene has no camera; added one that frames the whole scene");
}
std::error_code ignored;
const std::string absolute = fs::absolute(path, ignored).string();
doc->settings.Set(kDocFolder, FileName{FolderPart(absolute)});
doc->settings.Set(kDocName, FilePart(absolute));
EvaluateAnimation(*doc);
failure = LoadFailure::kNone;
return doc.release();
}

}  // namespace

HostDocument* LoadScene(const std::string& path, std::string& error, const LoadSettings& settings,
                        LoadFailure* failure) {
  error.clear();
  LoadFailure why = LoadFailure::kNone;
  HostDocument* doc = nullptr;
  try {
    doc = ReadScene(path, error, settings, why);
  } catch (const std::bad_alloc&) {
    // Whatever the reading held is released by now: the line has room.
    why = LoadFailure::kOutOfMemory;
    error = path + ": " + import::kNotEnoughMemoryToRead;
  }
  if (failure != nullptr) *failure = why;
  return doc;
}

HostDocument* LoadScene(const std::string& path, std::string& error, ImporterPlace place) {
  LoadSettings settings;
  settings.place = place;
  return LoadScene(path, error, settings);
}

bool SaveNativeDocument(const HostDocument& doc, const std::string& path, std::string& error) {
  std::string reason;
  if (import::SaveNativeFile(doc, path, reason)) return true;
  error = path + ": " + reason;
  return false;
}

}  // namespace host
