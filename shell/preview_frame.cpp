#include "shell/preview_frame.h"

#include <utility>

#include "shell/bsp_renderer.h"

namespace {

// The last frame's capture and visible fragments, with the settings and the
// job its renderer and objects point to.
struct KeptPreview {
  BSPRenderer* renderer = nullptr;
  ExportSettings settings;
  ExportJob job;
  Stack<Stack<BspPolygon>> fragments;  // per object, as visibility left them
  int32_t frame = 0;
  int64_t sceneRevision = 0;
};

KeptPreview* gKept = nullptr;

// What the lines of every object take from the settings at capture.
bool SameLineStyle(const LineStyle& a, const LineStyle& b) {
  return a.outlineLines == b.outlineLines && a.creaseLines == b.creaseLines &&
         a.creaseAngle == b.creaseAngle && a.lineWidth == b.lineWidth &&
         a.skipCoplanarEdges == b.skipCoplanarEdges && a.linePageColour == b.linePageColour;
}

// Whether the kept capture and fragments are those `frame` asks for.
bool KeptFits(const KeptPreview& kept, const PreviewFrame& frame) {
  const ExportSettings& a = kept.settings;
  const ExportSettings& b = *frame.settings;
  return kept.renderer != nullptr && kept.frame == frame.frame &&
         kept.sceneRevision == frame.sceneRevision && a.width == b.width && a.height == b.height &&
         a.backFaces == b.backFaces &&
         (a.drawingStyle == kStyleAllEdges) == (b.drawingStyle == kStyleAllEdges) &&
         SameLineStyle(a.lines, b.lines);
}

void DropCapture(KeptPreview& kept) {
  if (kept.renderer != nullptr) kept.renderer->Release();
  HostDelete(kept.renderer);
  kept.renderer = nullptr;
  kept.fragments.Clear();
}

// Capture and visibility of the frame into the kept renderer; false when
// nothing is in view, or a stop or a memory failure cut it short.
bool CaptureFrame(KeptPreview& kept, const PreviewFrame& frame) {
  DropCapture(kept);
  kept.renderer = HostNew<BSPRenderer>();
  if (kept.renderer == nullptr) {
    MemoryErrorFlag::Set();
    return false;
  }
  BSPRenderer& renderer = *kept.renderer;
  Stack<BspPolygon> clipped;
  if (renderer.Prepare(kept.settings, kept.job) == 0 ||
      !CaptureDocument(frame.document, kept.settings, renderer.scene, kept.job) ||
      !renderer.CaptureStage(clipped) || !renderer.VisibilityStage(clipped) ||
      MemoryErrorFlag::Test() != 0 || ExportCancelled(kept.job))
    return false;
  for (int32_t i = 0; i < renderer.scene.objects.Count(); ++i)
    kept.fragments.Push(renderer.scene.objects[i]->fragments);
  kept.frame = frame.frame;
  kept.sceneRevision = frame.sceneRevision;
  return MemoryErrorFlag::Test() == 0;
}

// The lines, drawing and plotter stages on the kept fragments (the line
// stage uses up the fragments it is handed: it gets copies), or on those
// visibility has just left in the objects.
bool DrawKeptFragments(KeptPreview& kept, bool justCaptured) {
  BSPRenderer& renderer = *kept.renderer;
  Stack<BSPPolyObj*>& objects = renderer.scene.objects;
  if (!justCaptured)
    for (int32_t i = 0; i < objects.Count(); ++i) objects[i]->fragments = kept.fragments[i];
  renderer.elements.Clear();
  renderer.drawing.parts.Clear();
  if (MemoryErrorFlag::Test() != 0) return false;
  return renderer.LinesStage() && renderer.DrawingStage() && renderer.PlotterStage();
}

PreviewOutcome OutcomeOf(const KeptPreview& kept) {
  if (MemoryErrorFlag::Test() != 0) return PreviewOutcome::kNoMemory;
  if (ExportCancelled(kept.job)) return PreviewOutcome::kStopped;
  return PreviewOutcome::kNothingInView;
}

}  // namespace

PreviewOutcome DrawPreviewFrame(const PreviewFrame& frame, Drawing& drawing) {
  if (gKept == nullptr && (gKept = HostNew<KeptPreview>()) == nullptr) {
    MemoryErrorFlag::Set();
    return PreviewOutcome::kNoMemory;
  }
  KeptPreview& kept = *gKept;
  const bool fits = KeptFits(kept, frame);
  // The renderer and the captured objects read the settings from here.
  kept.settings = *frame.settings;
  kept.job = ExportJob{};
  kept.job.document = frame.document;
  kept.job.stopFlag = frame.stop;
  JobBinding binding(kept.job);
  MemoryErrorFlag::Clear();
  ResetProgress(kept.job);
  if (!fits && !CaptureFrame(kept, frame)) {
    const PreviewOutcome outcome = OutcomeOf(kept);
    DropCapture(kept);
    return outcome;
  }
  if (!DrawKeptFragments(kept, !fits)) {
    const PreviewOutcome outcome = OutcomeOf(kept);
    if (outcome == PreviewOutcome::kNoMemory) DropCapture(kept);
    return outcome;
  }
  drawing = std::move(kept.renderer->drawing);
  return PreviewOutcome::kDrawn;
}

void ReleaseKeptPreview() {
  if (gKept == nullptr) return;
  DropCapture(*gKept);
  HostDelete(gKept);
  gKept = nullptr;
}
