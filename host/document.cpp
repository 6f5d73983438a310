// Documents: the active document, the doc* entries of the table and the
// record of animate calls.
#include "host/document.h"

#include <atomic>
#include <mutex>
#include <new>
#include <vector>

#include "host/api/vexmark_ids.h"
#include "host/exact_time.h"
#include "host/runtime.h"
#include "host/services.h"
#include "host/threads.h"

namespace {
std::atomic<int64_t> gLiveDocuments{0};
}  // namespace

namespace host {

DocumentCounter::DocumentCounter() {
  ++gLiveDocuments;
}
DocumentCounter::DocumentCounter(const DocumentCounter&) {
  ++gLiveDocuments;
}
DocumentCounter::~DocumentCounter() {
  --gLiveDocuments;
}

namespace {

constexpr int64_t kDefaultWidth = 320;
constexpr int64_t kDefaultHeight = 240;

std::mutex gMutex;
HostDocument* gActive = nullptr;
std::vector<AnimateCall> gAnimateCalls;

HostDocument* DocActive() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gActive;
}

HostDocument* DocAlloc() {
  try {
    return NewDocument();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

int32_t DocCopyInto(const HostDocument* source, HostDocument* target) {
  if (source == nullptr || target == nullptr) return 0;
  try {
    CopyDocument(*source, *target);
  } catch (const std::bad_alloc&) {
    return 0;  // the target keeps what it had or a part of the copy; the caller frees it
  }
  return 1;
}

// The active document belongs to the host; a module freeing it is refused.
void DocFree(HostDocument* doc) {
  if (doc == nullptr || doc == DocActive()) return;
  delete doc;
}

HostContainer* DocGetData(const HostDocument* doc, int32_t kind) {
  const HostContainer* data = doc != nullptr ? DocumentData(*doc, kind) : nullptr;
  return data != nullptr ? NewContainer(*data) : nullptr;
}

int32_t DocSetData(HostDocument* doc, int32_t kind, const HostContainer* data) {
  HostContainer* target = doc != nullptr ? DocumentData(*doc, kind) : nullptr;
  if (target == nullptr || data == nullptr) return 0;
  *target = *data;
  return 1;
}

void DocSetTime(HostDocument* doc, HostTime time) {
  if (doc != nullptr) doc->settings.Set(kDocTime, ReduceTime(time));
}

HostTime DocGetTime(const HostDocument* doc) {
  const HostTime* time = doc != nullptr ? doc->settings.Find<HostTime>(kDocTime) : nullptr;
  return time != nullptr ? *time : HostTime{0, 1};
}

void DocAnimate(HostDocument* doc, HostThread* thread, int32_t /*flags1*/, int32_t /*flags2*/) {
  if (doc == nullptr) return;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    gAnimateCalls.push_back(AnimateCall{doc, DocGetTime(doc), thread});
  }
  if (thread != nullptr && ThreadBreakTest(thread)) return;
  EvaluateAnimation(*doc);
}

}  // namespace

HostContainer* DocumentData(HostDocument& doc, int32_t kind) {
  switch (kind) {
    case kDocumentSettings:
      return &doc.settings;
    case kDocumentPluginData:
      return &doc.pluginData;
    case kDocumentRenderSettings:
      return &doc.renderSettings;
    default:
      return nullptr;
  }
}

const HostContainer* DocumentData(const HostDocument& doc, int32_t kind) {
  return DocumentData(const_cast<HostDocument&>(doc), kind);
}

void CopyDocument(const HostDocument& source, HostDocument& target) {
  if (&source != &target) target = source;
}

void EvaluateAnimation(HostDocument& doc) {
  const HostTime time = DocGetTime(&doc);
  AnimateScene(doc.scene, static_cast<double>(time.num) / static_cast<double>(time.den));
}

HostDocument* NewDocument() {
  auto* doc = new HostDocument;
  doc->settings.Set(kDocTime, HostTime{0, 1});
  doc->settings.Set(kDocFps, int64_t{kDefaultDocumentFps});
  doc->settings.Set(kDocStartTime, HostTime{0, 1});
  doc->renderSettings.Set(kRenderWidth, kDefaultWidth);
  doc->renderSettings.Set(kRenderHeight, kDefaultHeight);
  doc->renderSettings.Set(kRenderFrom, HostTime{0, 1});
  doc->renderSettings.Set(kRenderTo, HostTime{0, 1});
  doc->renderSettings.Set(kRenderFps, int64_t{kDefaultDocumentFps});
  return doc;
}

HostDocument* ActiveDocument() {
  return DocActive();
}

void SetActiveDocument(HostDocument* doc) {
  HostDocument* previous = nullptr;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    if (doc == gActive) return;
    previous = gActive;
    gActive = doc;
  }
  delete previous;
}

int64_t LiveDocuments() {
  return gLiveDocuments;
}

std::vector<AnimateCall> AnimateCalls() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gAnimateCalls;
}

void FillDocumentEntries(HostApi& table) {
  table.docActive = &DocActive;
  table.docAlloc = &DocAlloc;
  table.docCopyInto = &DocCopyInto;
  table.docFree = &DocFree;
  table.docGetData = &DocGetData;
  table.docSetData = &DocSetData;
  table.docSetTime = &DocSetTime;
  table.docGetTime = &DocGetTime;
  table.docAnimate = &DocAnimate;
}

void ResetDocuments() {
  SetActiveDocument(nullptr);
  std::lock_guard<std::mutex> lock(gMutex);
  gAnimateCalls.clear();
}

}  // namespace host
