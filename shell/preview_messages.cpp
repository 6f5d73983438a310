#include "shell/preview_messages.h"

#include "host/api/preview_messages.h"
#include "host/api/vexmark_ids.h"
#include "output/drawing_file.h"
#include "sdk/exact_time.h"
#include "shell/preview_frame.h"
#include "shell/settings_storage.h"
#include "shell/vexmark_dialog.h"

namespace {

// The document at the start of document frame `frame`, animated as the
// conversion thread animates its copy.
void ShowFrame(BaseDocument* doc, int32_t frame) {
  const BaseContainer docSettings = GetDocumentData(doc, kDocumentSettings);
  int32_t fps =
      docSettings.Valid() ? docSettings.GetInt(kDocFps, kDefaultDocumentFps) : kDefaultDocumentFps;
  if (fps < 1) fps = kDefaultDocumentFps;
  SetDocumentTime(doc, Time::FromFrame(frame, fps));
  AnimateDocument(doc, nullptr, kAnimateFull, kAnimateFull);
}

int32_t DrawPreview(const HostPreviewRequest& request) {
  BaseDocument* doc = request.document;
  ExportSettings settings;
  if (doc == nullptr || request.takeDrawing == nullptr || !LoadSettingsFrom(doc, settings))
    return kPreviewRefused;
  ShowFrame(doc, request.frame);
  const PreviewFrame frame{doc, request.frame, request.sceneRevision, &settings, request.stop};
  Drawing drawing;
  switch (DrawPreviewFrame(frame, drawing)) {
    case PreviewOutcome::kDrawn:
      return DescribeDrawing(drawing, 1.0, request.takeDrawing, request.context) ? kPreviewDrawn
                                                                                 : kPreviewNoMemory;
    case PreviewOutcome::kNothingInView:
      return kPreviewNothingInView;
    case PreviewOutcome::kStopped:
      return kPreviewStopped;
    default:
      return kPreviewNoMemory;
  }
}

}  // namespace

int32_t HandleModuleMessage(intptr_t id, void* record, VexmarkDialog* dialog) {
  if (id != kMessageStoreDialogSettings && id != kMessageDrawPreview) return 2;
  if (record == nullptr) return 0;
  switch (id) {
    case kMessageStoreDialogSettings: {
      const auto& request = *static_cast<const HostSettingsRequest*>(record);
      return dialog != nullptr && dialog->StoreShownSettings(request.document) ? 1 : 0;
    }
    case kMessageDrawPreview:
      return DrawPreview(*static_cast<const HostPreviewRequest*>(record));
    default:
      return 2;
  }
}

void ReleasePreviews() {
  ReleaseKeptPreview();
}
