#include "sdk/document.h"

#include "sdk/host_table.h"
#include "sdk/threads.h"

BaseDocument* GetActiveDocument() {
  return Host().docActive();
}

BaseDocument* CopyDocument(const BaseDocument* source) {
  if (source == nullptr) return nullptr;
  BaseDocument* copy = Host().docAlloc();
  if (copy == nullptr) return nullptr;
  if (!Host().docCopyInto(source, copy)) {
    Host().docFree(copy);
    return nullptr;
  }
  return copy;
}

void FreeDocument(BaseDocument* doc) {
  if (doc != nullptr) Host().docFree(doc);
}

BaseContainer GetDocumentData(const BaseDocument* doc, int32_t kind) {
  return BaseContainer::Adopt(doc != nullptr ? Host().docGetData(doc, kind) : nullptr);
}

bool SetDocumentData(BaseDocument* doc, int32_t kind, const BaseContainer& data) {
  return doc != nullptr && data.Valid() && Host().docSetData(doc, kind, data.Handle()) != 0;
}

void SetDocumentTime(BaseDocument* doc, const Time& time) {
  if (doc != nullptr) Host().docSetTime(doc, time);
}

void AnimateDocument(BaseDocument* doc, Thread* thread, int32_t flags1, int32_t flags2) {
  if (doc != nullptr)
    Host().docAnimate(doc, thread != nullptr ? thread->Handle() : nullptr, flags1, flags2);
}
