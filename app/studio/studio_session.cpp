#include "app/studio/studio_session.h"

#include <cmath>
#include <iostream>

#include "app/dialog_options.h"
#include "app/export_checks.h"
#include "app/module_start.h"
#include "app/scene_setup.h"
#include "host/api/module_entry.h"
#include "host/api/preview_messages.h"
#include "host/api/vexmark_ids.h"
#include "host/runtime.h"
#include "host/temporary_files.h"

namespace app::studio {
namespace {

int64_t DocumentFps(const HostDocument& doc) {
  const int64_t* stored = doc.settings.Find<int64_t>(kDocFps);
  return stored != nullptr && *stored > 0 ? *stored : kDefaultDocumentFps;
}

int64_t FrameAt(const HostTime* time, int64_t fps) {
  if (time == nullptr || time->den == 0) return 0;
  return static_cast<int64_t>(std::floor(static_cast<double>(time->num) * fps / time->den));
}

// The command line's parser on `args`, as if they followed the program's name.
bool ParseArguments(const std::vector<std::string>& args, Options& options, std::string& error) {
  std::vector<std::string> words = {"vexmark"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  return ParseOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

}  // namespace

JsonAnswer JsonError(int status, const std::string& error) {
  return JsonAnswer{status, Json{{"error", error}}};
}

bool StudioSession::Open(const Options& options, const std::filesystem::path& programFolder,
                         std::string& error, int& exitStatus) {
  scenePath_ = options.scene.empty() ? BundledExample(programFolder.string()) : options.scene;
  exitStatus = 2;
  if (scenePath_.empty()) {
    error = "no scene given and the bundled example is not installed";
    return false;
  }
  HostDocument* doc = LoadSceneFile(scenePath_, options, error, exitStatus, std::cerr);
  if (doc == nullptr) return false;
  host::SetActiveDocument(doc);
  // Nothing is replaced unless the request that writes it says so.
  host::SetReplaceAllowed(false);
  if (!ApplySceneOptions(options, *doc, error)) return false;
  if (options.threads) host::SetParallelThreads(*options.threads);
  exitStatus = 1;
  module_ = StartModule(programFolder, error);
  if (module_ == nullptr) return false;
  exitStatus = 2;
  if (!ApplyTagOptions(options, *doc, error)) return false;
  if (!host::ExecuteCommand(kVexmarkCommandId) ||
      (dialog_ = host::FindOpenDialog(kVexmarkCommandId)) == nullptr) {
    error = "the export dialog did not open";
    return false;
  }
  if (!ApplyDialogOptions(options, dialog_, error)) return false;
  if (error = SettingsTrouble(dialog_); !error.empty()) return false;
  frame_ = host::GadgetInt(dialog_, kGadgetFromFrame).value_or(0);
  return true;
}

void StudioSession::Close() {
  if (dialog_ != nullptr) host::UserClose(dialog_);
  dialog_ = nullptr;
  if (module_ != nullptr) module_->End();
}

std::filesystem::path StudioSession::SceneFolder() const {
  return std::filesystem::absolute(scenePath_).parent_path();
}

Json StudioSession::Settings() const {
  return ReadSettings(dialog_, *host::ActiveDocument());
}

// Sets every setting of `settings` through the command line's parser and
// the dialog, as the command line sets them; the error line, or "".
std::string StudioSession::ApplySettings(const Json& settings) {
  Options options;
  std::string error;
  if (!ParseArguments(SettingArguments(settings), options, error)) return error;
  if (!ApplySceneOptions(options, Document(), error)) return error;
  if (!ApplyDialogOptions(options, dialog_, error)) return error;
  return SettingsTrouble(dialog_);
}

JsonAnswer StudioSession::PutSettings(const Json& partial) {
  if (!partial.is_object()) return JsonError(400, "the settings must be a JSON object");
  const Json before = Settings();
  Json merged = before;
  Json changed = Json::object();
  Json previous = Json::object();
  for (const auto& [name, value] : partial.items()) {
    if (FindSetting(name) == nullptr) return JsonError(400, "unknown setting '" + name + "'");
    if (!value.is_string() && !value.is_number())
      return JsonError(400, "the value of '" + name + "' must be a string");
    changed[name] = merged[name] = value.is_string() ? value.get<std::string>() : value.dump();
    previous[name] = before[name];
  }
  // The whole set is checked as the command line checks it (a first frame
  // after the last, say); only what changed is set.
  Options all;
  std::string error;
  if (!ParseArguments(SettingArguments(merged), all, error)) return JsonError(400, error);
  error = ApplySettings(changed);
  if (!error.empty()) {
    ApplySettings(previous);  // everything back as it was
    return JsonError(400, error);
  }
  if (changed.contains("camera")) SceneChanged();  // the view looks through another camera
  return JsonAnswer{200, Settings()};
}

Json StudioSession::FrameRange() const {
  const HostDocument& doc = *host::ActiveDocument();
  const int64_t fps = DocumentFps(doc);
  return Json{{"first", FrameAt(doc.renderSettings.Find<HostTime>(kRenderFrom), fps)},
              {"last", FrameAt(doc.renderSettings.Find<HostTime>(kRenderTo), fps)},
              {"fps", fps}};
}

JsonAnswer StudioSession::PutFrame(const Json& request) {
  if (!request.is_object() || !request.contains("frame") || !request["frame"].is_number_integer())
    return JsonError(400, "expected {\"frame\": N}");
  const Json range = FrameRange();
  const int64_t frame = request["frame"].get<int64_t>();
  if (frame < range["first"].get<int64_t>() || frame > range["last"].get<int64_t>())
    return JsonError(400, "frame " + std::to_string(frame) + " is outside the scene's frames " +
                              range["first"].dump() + " to " + range["last"].dump());
  frame_ = static_cast<int32_t>(frame);
  return JsonAnswer{200, Json{{"frame", frame_}}};
}

std::string StudioSession::DrawingKey() const {
  return Settings().dump() + "|" + std::to_string(frame_) + "|" + std::to_string(sceneRevision_);
}

void StudioSession::ShowFrame() {
  HostDocument& doc = Document();
  doc.settings.Set(kDocTime, HostTime{frame_, DocumentFps(doc)});
  host::EvaluateAnimation(doc);
}

bool StudioSession::StoreDialogSettings() {
  HostSettingsRequest request{&Document()};
  return module_->Call(kModuleMessage,
                       reinterpret_cast<void*>(static_cast<intptr_t>(kMessageStoreDialogSettings)),
                       &request, nullptr) == 1;
}

DrawingStart StudioSession::StartDrawing() {
  std::lock_guard<std::mutex> lock(mutex_);
  DrawingStart start;
  if (!StoreDialogSettings()) return start;
  start.key = DrawingKey();
  start.document = std::make_unique<HostDocument>(Document());
  start.frame = frame_;
  start.sceneRevision = sceneRevision_;
  return start;
}

}  // namespace app::studio
