// The studio's one thread that talks to the module: it draws the current
// frame with the current settings through the module's preview message, one
// drawing at a time. Requests for the drawing of the same state (the same
// key: settings, frame and scene revision) share one drawing and get the same
// answer; a request for another state stops the drawing in progress through
// its job's stop flag, and those waiting for it are answered "superseded".
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "host/document.h"
#include "host/module_loader.h"

namespace app::studio {

// An HTTP answer for GET /api/drawing.svg.
struct DrawingAnswer {
  int status = 200;
  std::string contentType = "image/svg+xml";
  std::string body;
  int64_t paths = 0;
  double inkLength = 0;  // points
  double milliseconds = 0;  // wall time of the drawing, to a tenth
};

// What one drawing starts from, taken on the worker thread when the drawing
// starts: the state's key and a copy of the document with the settings
// stored in it, at the frame and revision it shows.
struct DrawingStart {
  std::string key;
  std::unique_ptr<HostDocument> document;
  int32_t frame = 0;
  int64_t sceneRevision = 0;
};

class PreviewWorker {
 public:
  using StartDrawing = std::function<DrawingStart()>;

  // `start` runs on the worker thread, the only thread that calls the module
  // once the worker runs.
  PreviewWorker(host::LoadedModule& module, StartDrawing start);
  // Stops a drawing in progress and ends the thread.
  ~PreviewWorker();
  PreviewWorker(const PreviewWorker&) = delete;
  PreviewWorker& operator=(const PreviewWorker&) = delete;

  // The drawing of the state `key` (the current one when the request came);
  // waits until it is made or superseded.
  DrawingAnswer Draw(const std::string& key);

  // Whether a drawing is being made, and how far it got (0 to 1).
  bool Running() const { return running_; }
  double Fraction() const { return percent_ / 100.0; }
  // The progress the job reports through the host's status display.
  void ReportPercent(int32_t percent) { percent_ = percent < 0 ? 0 : percent; }

  // Stops the drawing in progress; no drawing starts after it.
  void Shut();

 private:
  struct Job;
  void Loop();
  void RunJob(Job& job);
  static DrawingAnswer Refusal(int status, const std::string& error);

  host::LoadedModule& module_;
  StartDrawing start_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::shared_ptr<Job> pending_;  // the newest request not yet started
  std::shared_ptr<Job> current_;  // the drawing being made
  std::shared_ptr<Job> last_;     // the latest finished drawing
  bool shut_ = false;
  std::atomic<bool> running_{false};
  std::atomic<int32_t> percent_{0};
  std::thread thread_;
};

}  // namespace app::studio
