// The frame driver: the stages of one frame in order.
#include "shell/bsp_renderer.h"

#include <utility>

#include "capture/capture.h"
#include "capture/quadrangle_split.h"
#include "eps/drawing_file.h"
#include "eps/eps_document.h"
#include "host/api/vexmark_ids.h"
#include "lines/object_lines.h"
#include "lines/page_projection.h"
#include "lines/paper_layout.h"
#include "lines/plotter_paths.h"
#include "visibility/beam_tree.h"
#include "visibility/passes.h"

BSPRenderer::~BSPRenderer() {
  Release();
}

int32_t BSPRenderer::Prepare(const ExportSettings& options, ExportJob& job) {
  options_ = &options;
  job_ = &job;
  view = HostNew<BspView>();
  if (view == nullptr) {
    ReportNoMemory(kRendererSource, RendererReportLine::kView);
    MemoryErrorFlag::Set();
    return 0;
  }
  MakeView(*view, options.width, options.height);
  return 1;
}

void BSPRenderer::Render(BaseDocument* document, int32_t frame) {
  if (!Prepared()) return;
  if (!CaptureDocument(document, *options_, scene, *job_)) return;
  EpsPage page;
  page.fileName = options_->fileName;
  page.fromFrame = options_->fromFrame;
  page.toFrame = options_->toFrame;
  page.job = job_;
  if (!Draw()) {
    // Not cut short, yet nothing to draw: the frame has no file, and the
    // console says which file that is.
    if (!Interrupted()) {
      ConsolePrint((String(kNothingInViewLine) + EpsFileName(page, frame)).Text());
    }
    return;
  }
  page.drawing = std::move(drawing);
  page.pixelsPerPoint = options_->pngDpi / static_cast<double>(kDefaultPngDpi);
  WriteDrawingFile(page, frame);
  // The same drawing in each further file.
  String more;
  for (int32_t at = 0; NextListedFile(options_->moreFiles, at, more);) {
    if (Interrupted()) return;
    page.fileName = more;
    WriteDrawingFile(page, frame);
  }
}

bool BSPRenderer::Draw(FrameStage last) {
  // A capture cut short by memory leaves nothing worth drawing.
  if (!Prepared() || Interrupted()) return false;
  Stack<BspPolygon> clipped;
  if (!CaptureStage(clipped)) return false;
  if (!VisibilityStage(clipped) || last == FrameStage::kVisibility) return !Interrupted();
  if (!LinesStage() || last == FrameStage::kLines) return !Interrupted();
  return DrawingStage();
}

bool BSPRenderer::Prepared() const {
  return view != nullptr && options_ != nullptr;
}

bool BSPRenderer::Interrupted() const {
  return ExportCancelled(*job_) || MemoryErrorFlag::Test() != 0;
}

bool BSPRenderer::CaptureStage(Stack<BspPolygon>& clipped) {
  if (!Prepared()) return false;
  if (!SetCamera(*view, scene.camera)) {
    ReportNoMemory(kRendererSource, RendererReportLine::kCamera);
    return false;
  }
  if (!ExportCancelled(*job_)) SnapPoints(scene, *job_);
  Stack<BSPPolyObj*>& objects = scene.objects;
  if (!ExportCancelled(*job_)) {
    for (int32_t i = 0; i < objects.Count(); ++i) {
      ReportProgress(*job_, i, objects.Count(), 0, 10);
      if (Interrupted()) return false;
      BuildPolygons(*objects[i], *view, &splitQuadrangle, *job_);
      ClipToFrustum(*view, *objects[i], clipped);
    }
  }
  return !clipped.Empty() && !Interrupted();
}

// Style 10034 hands every clipped polygon back; the others run both passes.
bool BSPRenderer::VisibilityStage(Stack<BspPolygon>& clipped) {
  if (!Prepared()) return false;
  if (options_->drawingStyle == kStyleAllEdges) {
    if (!HandBackWithoutHiddenSurfaceRemoval(*view, clipped, *job_)) return false;
  } else {
    BeamTree tree;
    const bool occluded = RunOcclusionPass(*view, tree, clipped, *job_);
    const bool visible = occluded && RunVisibilityPass(*view, tree, scene.objects, *job_);
    DestroyBeamTree(tree);
    if (!visible) return false;
  }
  return MemoryErrorFlag::Test() == 0;
}

bool BSPRenderer::LinesStage() {
  if (!Prepared()) return false;
  Stack<BSPPolyObj*>& objects = scene.objects;
  for (int32_t i = 0; i < objects.Count(); ++i) {
    ReportProgress(*job_, i, objects.Count(), 50, 75);
    drawObjectLines(*objects[i], elements, *job_);
    if (Interrupted()) return false;
  }
  return true;
}

bool BSPRenderer::DrawingStage() {
  if (!Prepared()) return false;
  ProjectPage(elements, view->cameraFromWorld, PageScale(*view), view->perspective, view->width,
              view->height, job_);
  drawing.width = options_->width;
  drawing.height = options_->height;
  if (!BuildDrawing(elements, options_->drawingStyle, drawing, job_)) return false;
  // On the sheet first, so that the plotter's lengths are lengths on paper.
  LayOutOnPaper(drawing, options_->paper);
  if (options_->plotter.on) return MakePlotterPaths(drawing, options_->plotter, job_);
  return true;
}

void BSPRenderer::Release() {
  HostDelete(view);
  view = nullptr;
  scene.Release();
  elements.Clear();
  drawing.parts.Clear();
}

void RenderFrame(BaseDocument* document, int32_t frame, const ExportSettings& options,
                 ExportJob& job) {
  // Without a renderer or its view the frame has no file: the memory flag
  // ends the run and tells the program it is incomplete.
  BSPRenderer* renderer = HostNew<BSPRenderer>();
  if (renderer == nullptr) {
    MemoryErrorFlag::Set();
    return;
  }
  if (renderer->Prepare(options, job) != 0) renderer->Render(document, frame);
  renderer->Release();
  HostDelete(renderer);
}
