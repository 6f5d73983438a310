#include "app/scene_setup.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "app/diagnostic_lines.h"
#include "app/install_layout.h"
#include "app/option_values.h"
#include "host/api/vexmark_ids.h"
#include "host/import/load_scene.h"
#include "host/runtime.h"
#include "host/ui.h"

namespace app {
namespace {

namespace fs = std::filesystem;

HostObject* FindObject(host::Scene& scene, const std::string& name, int32_t type = -1) {
  for (const auto& object : scene.objects)
    if (object->name == name && (type < 0 || object->type == type)) return object.get();
  return nullptr;
}

std::string Names(const host::Scene& scene, int32_t type) {
  std::string names;
  for (const auto& object : scene.objects)
    if (object->type == type) names += (names.empty() ? "" : ", ") + object->name;
  return names.empty() ? "none" : names;
}

// Fills the tag dialog from key=value pairs and confirms it, as a user would.
bool EditTagLikeAUser(HostDialog* d, const TagRequest& request, std::string& error) {
  for (const auto& [key, value] : request.values) {
    bool on = false;
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    const bool isNumber = !value.empty() && *end == '\0' && std::isfinite(number);
    bool applied = false;
    if (key == "outline" && ParseSwitch(value, on))
      applied = host::UserSetCheck(d, kTagGadgetOutline, on);
    else if (key == "crease" && ParseSwitch(value, on))
      applied = host::UserSetCheck(d, kTagGadgetCrease, on);
    else if (key == "flat" && ParseSwitch(value, on))
      applied = host::UserSetCheck(d, kTagGadgetFlatEdges, on);
    else if (key == "angle" && isNumber)
      applied = host::UserSetReal(d, kTagGadgetCreaseAngle, number);
    else if (key == "width" && isNumber && number >= 0 && number <= 20 &&
             number == std::floor(number))
      applied = host::UserSetInt(d, kTagGadgetLineWidth, static_cast<int32_t>(number));
    else if (key == "brightness" && isNumber && number >= 0 && number <= 1) {
      double brightness = 1.0;
      const HostVector colour =
          host::GadgetColour(d, kTagGadgetLineColour, &brightness).value_or(HostVector{});
      applied = host::UserSetColour(d, kTagGadgetLineColour, colour, number);
    } else if (key == "color" && value.size() == 7 && value[0] == '#') {
      // Six hex digits and nothing else: strtol alone would take a sign.
      const bool hex = std::all_of(value.begin() + 1, value.end(),
                                   [](unsigned char c) { return std::isxdigit(c) != 0; });
      const long rgb = hex ? std::strtol(value.c_str() + 1, &end, 16) : 0;
      if (hex) {
        double brightness = 1.0;
        host::GadgetColour(d, kTagGadgetLineColour, &brightness);
        applied = host::UserSetColour(d, kTagGadgetLineColour,
                                      HostVector{((rgb >> 16) & 255) / 255.0f,
                                                 ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f},
                                      brightness);
      }
    }
    if (!applied) {
      error = "--tag " + request.object + ": cannot set " + key + "=" + value +
              " (keys: outline, crease, angle, width, flat, color, brightness)";
      host::UserClick(d, 2);
      return false;
    }
  }
  return host::UserClick(d, 1);
}

using NameMap = std::function<std::string(const std::string&)>;

// Maps the name under `key` of `c`, text or file name, keeping its type;
// `lines` when it holds one name a line.
void MapStoredName(HostContainer& c, int32_t key, const NameMap& map, bool lines = false) {
  const auto mapped = [&](const std::string& text) {
    if (!lines) return map(text);
    std::string result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
      result += (result.empty() ? "" : "\n") + (line.empty() ? line : map(line));
    return result;
  };
  if (const std::string* text = c.Find<std::string>(key)) c.Set(key, mapped(*text));
  if (const host::FileName* file = c.Find<host::FileName>(key))
    c.Set(key, host::FileName{mapped(file->path)});
}

// Maps every output name a document stores: the drawing and its further
// files in the export settings, and the render settings' file.
void MapStoredOutputs(HostDocument& doc, const NameMap& map) {
  if (const auto* nested = doc.pluginData.Find<host::NestedContainer>(kVexmarkCommandId)) {
    HostContainer settings = nested->Get();
    MapStoredName(settings, kSettingsFileName, map);
    MapStoredName(settings, kSettingsMoreFiles, map, true);
    doc.pluginData.Set(kVexmarkCommandId, host::NestedContainer(settings));
  }
  MapStoredName(doc.renderSettings, kRenderFile, map);
}

}  // namespace

std::string BundledExample(const std::string& programFolder) {
  for (const fs::path folder : ExampleFolders(programFolder))
    for (const char* name : {"still-life.vxm", "still-life.gltf"})
      if (fs::exists(folder / name)) return (folder / name).string();
  return "";
}

HostDocument* LoadSceneFile(const std::string& path, const Options& options, std::string& error,
                            int& exitStatus, std::ostream& err) {
  host::LoadSettings settings;
  if (options.maxTriangles) settings.maxTriangles = *options.maxTriangles;
  host::LoadFailure failure = host::LoadFailure::kNone;
  // What the importer says about the scene (data dropped or guessed, a
  // camera added) is shown like the module's diagnostics: each line once
  // with its count, or with --quiet only counted, in one line.
  DiagnosticLines warnings;
  host::SetConsoleSink([&warnings](const std::string& line) { warnings.Add(line); });
  HostDocument* doc = host::LoadScene(path, error, settings, &failure);
  host::SetConsoleSink(nullptr);
  if (options.quiet)
    warnings.FlushCount(err, path);
  else
    warnings.Flush(err);
  exitStatus = failure == host::LoadFailure::kOutOfMemory ? 1 : 2;
  if (doc == nullptr) return nullptr;
  // The document's folder and name decide where a drawing goes by default.
  const fs::path absolute = fs::absolute(path);
  // A relative output name stored in the scene is relative to the scene's
  // folder, wherever the program runs.
  MapStoredOutputs(*doc, [&](const std::string& name) {
    return fs::path(name).is_absolute()
               ? name
               : (absolute.parent_path() / name).lexically_normal().string();
  });
  if (doc->settings.Find<host::FileName>(kDocFolder) == nullptr)
    doc->settings.Set(kDocFolder, host::FileName{absolute.parent_path().string()});
  const std::string* name = doc->settings.Find<std::string>(kDocName);
  if (name == nullptr || name->empty()) doc->settings.Set(kDocName, absolute.stem().string());
  return doc;
}

bool SaveSceneFile(HostDocument& doc, const std::string& path, std::string& error) {
  // Output names inside the new scene's folder are stored relative to it, so
  // that they move with a scene moved with its folder; others as the system
  // resolves them (links and ".." resolved), since a path through the
  // scene's folder would break when it moves.
  std::error_code ignored;
  const fs::path folder = fs::weakly_canonical(fs::absolute(path).parent_path(), ignored);
  const HostContainer pluginData = doc.pluginData;
  const HostContainer renderSettings = doc.renderSettings;
  MapStoredOutputs(doc, [&](const std::string& name) {
    if (!fs::path(name).is_absolute()) return name;
    std::error_code error;
    const fs::path file = fs::weakly_canonical(name, error);
    if (error) return name;
    const fs::path inside = file.lexically_relative(folder);
    const bool below = !inside.empty() && inside != "." && *inside.begin() != "..";
    return below ? inside.string() : file.string();
  });
  const bool saved = host::SaveNativeDocument(doc, path, error);
  doc.pluginData = pluginData;
  doc.renderSettings = renderSettings;
  return saved;
}

bool ApplySceneOptions(const Options& options, HostDocument& doc, std::string& error) {
  if (!options.camera) return true;
  HostObject* camera = FindObject(doc.scene, *options.camera, kObjectCamera);
  if (camera == nullptr) {
    error = "--camera: the scene has no camera named '" + *options.camera +
            "' (cameras: " + Names(doc.scene, kObjectCamera) + ")";
    return false;
  }
  doc.scene.view.linkedCamera = camera->index;
  return true;
}

bool EditExportTag(HostObject& object, const TagRequest& request, std::string& error) {
  HostTag* tag = nullptr;
  for (HostTag& existing : object.tags)
    if (existing.type == kTagPlugin && existing.pluginId == kExportTagId) tag = &existing;
  if (tag == nullptr) {
    HostContainer settings(kExportTagId);
    if (!host::InitTagSettings(kExportTagId, &settings)) {
      error = "--tag: the module offers no export tag";
      return false;
    }
    tag = &host::AddTag(object, host::PluginTag(kExportTagId, settings));
  }
  bool applied = false;
  host::SetModalDialogDriver([&](HostDialog* d) { applied = EditTagLikeAUser(d, request, error); });
  const bool edited = host::EditTagSettings(kExportTagId, &tag->data);
  host::SetModalDialogDriver(nullptr);
  if (!applied || !edited) {
    if (error.empty()) error = "--tag " + request.object + ": the tag dialog did not open";
    return false;
  }
  return true;
}

bool ApplyTagOptions(const Options& options, HostDocument& doc, std::string& error) {
  for (const TagRequest& request : options.tags) {
    HostObject* object = FindObject(doc.scene, request.object);
    if (object == nullptr) {
      error = "--tag: the scene has no object named '" + request.object + "'";
      return false;
    }
    if (!EditExportTag(*object, request, error)) return false;
  }
  return true;
}

}  // namespace app
