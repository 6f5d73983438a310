// Host documents: their data containers, their time and their animation.
// Document and render setting keys: host/api/vexmark_ids.h.
#pragma once

#include <cstdint>

#include "host/api/host_api.h"
#include "sdk/container.h"
#include "sdk/exact_time.h"

class Thread;

// Documents are host objects; the module holds plain pointers to them.
using BaseDocument = HostDocument;

BaseDocument* GetActiveDocument();
BaseDocument* CopyDocument(const BaseDocument* source);  // new copy, or null
void FreeDocument(BaseDocument* doc);
// The document's data container of a kind; invalid when it has none.
BaseContainer GetDocumentData(const BaseDocument* doc, int32_t kind);
bool SetDocumentData(BaseDocument* doc, int32_t kind, const BaseContainer& data);
void SetDocumentTime(BaseDocument* doc, const Time& time);

// Evaluates the document's animation at its current time for `thread`
// (flags: kAnimateFull).
void AnimateDocument(BaseDocument* doc, Thread* thread, int32_t flags1, int32_t flags2);
