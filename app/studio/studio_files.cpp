#include "app/studio/studio_files.h"

#include <condition_variable>

#include "app/dialog_options.h"
#include "app/export_files.h"
#include "app/output_clash.h"
#include "app/scene_setup.h"
#include "host/api/module_entry.h"
#include "host/api/preview_messages.h"
#include "host/api/vexmark_ids.h"
#include "host/runtime.h"
#include "host/temporary_files.h"

namespace app::studio {
namespace {

namespace fs = std::filesystem;

// The request's names and its replace flag; false with `error` set when the
// request is not of that form.
bool ReadOutputRequest(const Json& request, std::vector<std::string>& names, bool& replace,
                       std::string& error) {
  if (!request.is_object() || !request.contains("output")) {
    error = "expected {\"output\": NAME or [NAME, ...], \"replace\": false}";
    return false;
  }
  for (const auto& [key, value] : request.items())
    if (key != "output" && key != "replace") {
      error = "unknown key '" + key + "'";
      return false;
    }
  const Json& output = request["output"];
  const Json list = output.is_array() ? output : Json::array({output});
  for (const Json& name : list) {
    if (!name.is_string()) {
      error = "a file name must be a string";
      return false;
    }
    names.push_back(name.get<std::string>());
  }
  const Json flag = request.value("replace", Json(false));
  if (!flag.is_boolean() || names.empty()) {
    error = names.empty() ? "no file named" : "replace must be true or false";
    return false;
  }
  replace = flag.get<bool>();
  return true;
}

// Waits for the end-of-job event that the main thread delivers.
class ExportEnd {
 public:
  ExportEnd() {
    token_ = host::AddEventListener([this](const host::SpecialEvent& e) {
      if (e.id != kVexmarkCommandId) return;
      std::lock_guard<std::mutex> lock(mutex_);
      ended_ = true;
      changed_.notify_all();
    });
  }
  ~ExportEnd() { host::RemoveEventListener(token_); }
  void Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return ended_; });
  }

 private:
  int32_t token_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool ended_ = false;
};

// The files the export would write, and the refusal when one is in the way.
JsonAnswer CheckDrawings(StudioSession& session, const std::vector<std::string>& paths,
                         bool replace) {
  const bool range = ExportsFrameRange(session.Dialog());
  std::vector<PlannedFile> planned;
  for (const std::string& path : paths) planned.push_back({DrawingPath(path), range});
  const std::string shared =
      SharedOutput(planned, FramesToWrite(session.Dialog(), session.Document()));
  if (!shared.empty()) return JsonError(400, SharedOutputError(shared));
  std::vector<std::string> existing;
  for (const std::string& path : paths)
    for (const std::string& file : ExistingDrawings(path, range)) existing.push_back(file);
  if (!existing.empty() && !replace) {
    JsonAnswer answer = JsonError(409, existing[0] + " exists; not replaced");
    answer.body["existing"] = existing;
    return answer;
  }
  for (const std::string& file : existing) host::AllowReplacing(file);
  return JsonAnswer{};
}

// Presses export with `paths` as its files and waits for its end.
JsonAnswer RunExport(StudioSession& session, const std::vector<std::string>& paths, bool replace) {
  Options options;
  options.outputs = paths;
  std::string error;
  if (!ApplyDialogOptions(options, session.Dialog(), error)) return JsonError(400, error);
  // The dialog asks before it replaces its chosen files: the request said.
  host::SetMessageBoxAnswer([replace](const std::string&, int32_t) {
    return replace ? kMessageAnswerYes : kMessageAnswerNo;
  });
  const size_t writtenBefore = host::WrittenFiles().size();
  const size_t failuresBefore = host::FileFailures().size();
  const int64_t failedAllocations = host::GetMemoryStats().failedAllocations;
  ExportEnd end;
  if (!PressExport(session.Dialog())) return JsonError(500, "the export did not start");
  end.Wait();
  const std::vector<std::string> all = host::WrittenFiles();
  const std::vector<std::string> written(
      all.begin() + static_cast<std::ptrdiff_t>(std::min(writtenBefore, all.size())), all.end());
  const std::string trouble =
      ExportTrouble(written, host::GetMemoryStats().failedAllocations > failedAllocations, false, 0,
                    failuresBefore);
  if (!trouble.empty()) return JsonError(500, trouble);
  return JsonAnswer{200, Json{{"written", written}}};
}

}  // namespace

bool PathInFolder(const fs::path& folder, const std::string& name, fs::path& path,
                  std::string& error) {
  const fs::path given(name);
  if (name.empty() || name.find_first_of(std::string("\n\0", 2)) != std::string::npos) {
    error = "not a file name";
    return false;
  }
  if (given.is_absolute()) {
    error = name + ": an absolute name; give a name inside the scene's folder";
    return false;
  }
  for (const fs::path& part : given)
    if (part == "..") {
      error = name + ": leaves the scene's folder";
      return false;
    }
  std::error_code ignored;
  const fs::path home = fs::weakly_canonical(folder, ignored);
  path = (home / given).lexically_normal();
  const fs::path parent = fs::weakly_canonical(path.parent_path(), ignored);
  const std::string inside = parent.string() + "/";
  if (inside.rfind(home.string() + "/", 0) != 0) {
    error = name + ": leaves the scene's folder";
    return false;
  }
  return OutputFolderUsable(path.string(), error);
}

JsonAnswer ExportFiles(StudioSession& session, const Json& request) {
  std::vector<std::string> names;
  bool replace = false;
  std::string error;
  if (!ReadOutputRequest(request, names, replace, error)) return JsonError(400, error);
  std::vector<std::string> paths;
  for (const std::string& name : names) {
    fs::path path;
    if (!PathInFolder(session.SceneFolder(), name, path, error)) return JsonError(400, error);
    paths.push_back(path.string());
  }
  JsonAnswer refusal = CheckDrawings(session, paths, replace);
  if (refusal.status != 200) return refusal;
  return RunExport(session, paths, replace);
}

JsonAnswer SaveScene(StudioSession& session, const Json& request) {
  std::vector<std::string> names;
  bool replace = false;
  std::string error;
  if (!ReadOutputRequest(request, names, replace, error)) return JsonError(400, error);
  if (names.size() != 1) return JsonError(400, "a scene is saved to one file");
  fs::path path;
  if (!PathInFolder(session.SceneFolder(), names[0], path, error)) return JsonError(400, error);
  bool exists = false;
  const std::string refusal = SceneSaveRefusal(session.ScenePath(), path.string(), exists);
  if (!refusal.empty()) return JsonError(409, refusal);
  if (exists && !replace) return JsonError(409, path.string() + " exists; not replaced");
  if (exists) host::AllowReplacing(path.string());
  if (!session.StoreDialogSettings()) return JsonError(500, "the settings could not be stored");
  if (!SaveSceneFile(session.Document(), path.string(), error)) return JsonError(500, error);
  return JsonAnswer{200, Json{{"written", Json::array({path.string()})}}};
}

}  // namespace app::studio
