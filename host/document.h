// Host documents: the data containers a module reads (document settings,
// plug-in data, render settings) and the scene itself.
#pragma once

#include <cstdint>

#include "host/api/host_api.h"
#include "host/container.h"
#include "host/scene.h"

namespace host {

// Counts live documents for LiveDocuments(). A member rather than code in
// HostDocument's constructors, so that the document keeps its implicit
// (member-wise, deep) copy.
struct DocumentCounter {
  DocumentCounter();
  DocumentCounter(const DocumentCounter& other);
  DocumentCounter& operator=(const DocumentCounter&) { return *this; }
  ~DocumentCounter();
};

}  // namespace host

struct HostDocument {
  // Data containers by kind (HostDocumentData).
  HostContainer settings{kDocumentSettings};
  HostContainer pluginData{kDocumentPluginData};
  HostContainer renderSettings{kDocumentRenderSettings};

  // The object tree, materials, animation tracks and the view. It copies
  // deeply, so that copying a document stays a plain assignment.
  host::Scene scene;

  host::DocumentCounter counter;
};

namespace host {

// The container of `kind`, or null for an unknown kind.
HostContainer* DocumentData(HostDocument& doc, int32_t kind);
const HostContainer* DocumentData(const HostDocument& doc, int32_t kind);

// Copies everything `source` holds into `target`, replacing its contents.
void CopyDocument(const HostDocument& source, HostDocument& target);

// Applies the document's animation at its current time.
void EvaluateAnimation(HostDocument& doc);

}  // namespace host
