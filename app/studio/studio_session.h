// What the studio holds while it serves: the imported document (imported
// once, never again for a redraw), the module and its open export dialog,
// the frame shown and the scene's revision. Every handler works on it under
// its one lock; the preview worker takes its drawings' starting state from
// it (StartDrawing), on the worker's thread.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "app/options.h"
#include "app/studio/preview_worker.h"
#include "app/studio/settings_json.h"
#include "host/document.h"
#include "host/module_loader.h"
#include "host/runtime.h"
#include "host/ui.h"

namespace app::studio {

// An answer to a request: its status and JSON body.
struct JsonAnswer {
  int status = 200;
  Json body;
};
JsonAnswer JsonError(int status, const std::string& error);

class StudioSession {
 public:
  // Loads the scene, starts the module, opens its export dialog and sets it
  // from the command line as an export would; false with one line in
  // `error` and the program's exit status in `exitStatus`.
  bool Open(const Options& options, const std::filesystem::path& programFolder, std::string& error,
            int& exitStatus);
  // Closes the dialog and ends the module.
  void Close();

  std::mutex& Lock() { return mutex_; }
  host::LoadedModule& Module() { return *module_; }
  HostDocument& Document() { return *host::ActiveDocument(); }
  HostDialog* Dialog() const { return dialog_; }
  const std::string& ScenePath() const { return scenePath_; }
  std::filesystem::path SceneFolder() const;

  // The caller holds Lock() for each of these (the document, the dialog and
  // the module's tag dialog are shared by every request).
  //
  // Every setting as the command line spells it (GET /api/settings).
  Json Settings() const;
  // PUT /api/settings: the whole set checked by the command line's parser,
  // the changed values set in the dialog; 400 and nothing changed otherwise.
  JsonAnswer PutSettings(const Json& partial);
  // PUT /api/frame: a frame within the scene's frames.
  JsonAnswer PutFrame(const Json& request);
  // {"first": F, "last": L, "fps": R}: the scene's frames.
  Json FrameRange() const;
  // The document at the shown frame, its animation applied.
  void ShowFrame();
  // The key of the drawing the current state gives.
  std::string DrawingKey() const;
  // The scene's objects, tags or camera changed.
  void SceneChanged() { ++sceneRevision_; }
  int32_t Frame() const { return frame_; }

  // The dialog's settings stored in the document, as an export stores them
  // (so that a saved scene keeps them); false when they could not be.
  bool StoreDialogSettings();

  // On the worker thread, taking the lock: the settings stored and a copy
  // of the document to draw.
  DrawingStart StartDrawing();

 private:
  std::string ApplySettings(const Json& settings);

  mutable std::mutex mutex_;
  std::string scenePath_;
  std::unique_ptr<host::LoadedModule> module_;
  HostDialog* dialog_ = nullptr;
  int32_t frame_ = 0;
  int64_t sceneRevision_ = 0;
};

}  // namespace app::studio
