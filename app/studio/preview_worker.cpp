#include "app/studio/preview_worker.h"

#include <chrono>
#include <cmath>
#include <future>
#include <nlohmann/json.hpp>

#include "host/api/module_entry.h"
#include "host/api/preview_messages.h"
#include "host/drawing_files.h"

namespace app::studio {

struct PreviewWorker::Job {
  explicit Job(std::string k) : key(std::move(k)), answer(promise.get_future().share()) {}
  std::string key;
  volatile int32_t stop = 0;
  std::promise<DrawingAnswer> promise;
  std::shared_future<DrawingAnswer> answer;
};

namespace {

// What the module's drawing is made into while its description lives.
struct DrawingReceiver {
  DrawingAnswer answer;
  bool written = false;
};

double PathLength(const HostDrawingPath& path) {
  double length = 0;
  for (int32_t k = 1; k < path.count; ++k)
    length +=
        std::hypot(path.xy[2 * k] - path.xy[2 * k - 2], path.xy[2 * k + 1] - path.xy[2 * k - 1]);
  return length;
}

// The SVG the command line writes for the same drawing, and its measures.
void TakeDrawing(void* context, const HostDrawing* drawing) {
  auto& receiver = *static_cast<DrawingReceiver*>(context);
  DrawingAnswer& answer = receiver.answer;
  for (int32_t p = 0; p < drawing->partCount; ++p) {
    const HostDrawingPart& part = drawing->parts[p];
    answer.paths += part.pathCount;
    if ((part.paint & kHostPaintStroke) != 0)
      for (int32_t k = 0; k < part.pathCount; ++k) answer.inkLength += PathLength(part.paths[k]);
  }
  receiver.written = host::WriteSvgDrawing(*drawing, [&answer](const void* data, size_t bytes) {
                       answer.body.append(static_cast<const char*>(data), bytes);
                       return true;
                     }) == 0;
}

}  // namespace

PreviewWorker::PreviewWorker(host::LoadedModule& module, StartDrawing start)
    : module_(module), start_(std::move(start)), thread_([this] { Loop(); }) {}

PreviewWorker::~PreviewWorker() {
  Shut();
  thread_.join();
}

void PreviewWorker::Shut() {
  std::lock_guard<std::mutex> lock(mutex_);
  shut_ = true;
  if (current_ != nullptr) current_->stop = 1;
  if (pending_ != nullptr) pending_->promise.set_value(Refusal(503, "the studio is ending"));
  pending_ = nullptr;
  wake_.notify_all();
}

DrawingAnswer PreviewWorker::Draw(const std::string& key) {
  std::shared_future<DrawingAnswer> answer;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (shut_) return Refusal(503, "the studio is ending");
    if (last_ != nullptr && last_->key == key) return last_->answer.get();
    if (current_ != nullptr && current_->key == key && current_->stop == 0) {
      answer = current_->answer;
    } else if (pending_ != nullptr && pending_->key == key) {
      answer = pending_->answer;
    } else {
      // A newer state: what is being made or waits for its turn is of no use.
      if (current_ != nullptr) current_->stop = 1;
      if (pending_ != nullptr) pending_->promise.set_value(Refusal(409, "superseded"));
      pending_ = std::make_shared<Job>(key);
      answer = pending_->answer;
      wake_.notify_all();
    }
  }
  return answer.get();
}

void PreviewWorker::Loop() {
  for (;;) {
    std::shared_ptr<Job> job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return shut_ || pending_ != nullptr; });
      if (shut_) return;
      job = current_ = std::move(pending_);
    }
    running_ = true;
    percent_ = 0;
    RunJob(*job);
    running_ = false;
    std::lock_guard<std::mutex> lock(mutex_);
    current_ = nullptr;
    if (job->answer.get().status == 200) last_ = job;
  }
}

void PreviewWorker::RunJob(Job& job) {
  const auto began = std::chrono::steady_clock::now();
  DrawingStart start = start_();
  if (start.key != job.key || start.document == nullptr) {
    // The state changed between the request and now: a newer request follows.
    job.promise.set_value(Refusal(409, "superseded"));
    return;
  }
  DrawingReceiver receiver;
  HostPreviewRequest request{start.document.get(), start.frame, start.sceneRevision, &job.stop,
                             &TakeDrawing,         &receiver};
  const int32_t result = module_.Call(
      kModuleMessage, reinterpret_cast<void*>(static_cast<intptr_t>(kMessageDrawPreview)), &request,
      nullptr);
  DrawingAnswer answer = receiver.answer;
  if (result == kPreviewStopped || job.stop != 0)
    answer = Refusal(409, "superseded");
  else if (result == kPreviewNothingInView)
    answer = Refusal(422, "nothing of the scene is in view");
  else if (result == kPreviewNoMemory)
    answer = Refusal(500, "not enough memory for the drawing");
  else if (result != kPreviewDrawn || !receiver.written)
    answer = Refusal(500, "the module did not draw the frame");
  answer.milliseconds =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
  job.promise.set_value(std::move(answer));
}

DrawingAnswer PreviewWorker::Refusal(int status, const std::string& error) {
  DrawingAnswer answer;
  answer.status = status;
  answer.contentType = "application/json";
  answer.body = nlohmann::json{{"error", error}}.dump();
  return answer;
}

}  // namespace app::studio
