// The frame driver: the stages of one frame in order.
#include "shell/bsp_renderer.h"

#include <utility>

#include "capture/capture_stage.h"
#include "lines/object_lines.h"
#include "lines/page_projection.h"
#include "output/frame_output.h"
#include "plotter/paper_layout.h"
#include "plotter/plotter_paths.h"
#include "visibility/passes.h"

namespace {

// The progress bar of one frame: the band of each stage, in percent. The
// capture's welding runs before its polygons are built, and the visibility
// stage starts the bar again from 0 (its passes are the long part).
constexpr struct {
  ProgressBand welding{10, 20};
  ProgressBand polygons{0, 10};
  ProgressBand visibility{0, 50};
  ProgressBand lines{50, 75};
  ProgressBand drawing{75, 100};
  ProgressBand output{100, 100};  // each file put in place shows the bar full
} kFrameProgress;

}  // namespace

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
  if (!Draw()) {
    // Not cut short, yet nothing to draw: the frame has no file, and the
    // console says which file that is.
    if (!Interrupted()) {
      const String fileName = FrameFileName(FrameFileOf(*options_, job_), frame);
      ConsolePrint((String(kNothingInViewLine) + fileName).Text());
    }
    return;
  }
  WriteFrameFiles(drawing, *options_, frame, *job_, kFrameProgress.output);
}

bool BSPRenderer::Draw(FrameStage last) {
  // A capture cut short by memory leaves nothing worth drawing.
  if (!Prepared() || Interrupted()) return false;
  Stack<BspPolygon> clipped;
  if (!CaptureStage(clipped)) return false;
  if (!VisibilityStage(clipped) || last == FrameStage::kVisibility) return !Interrupted();
  if (!LinesStage() || last == FrameStage::kLines) return !Interrupted();
  if (!DrawingStage()) return false;
  return PlotterStage();
}

bool BSPRenderer::Prepared() const {
  return view != nullptr && options_ != nullptr;
}

bool BSPRenderer::Interrupted() const {
  return ExportCancelled(*job_) || MemoryErrorFlag::Test() != 0;
}

bool BSPRenderer::CaptureStage(Stack<BspPolygon>& clipped) {
  if (!Prepared()) return false;
  return CapturePolygonsInView(scene, *view, clipped, *job_,
                               CaptureBands{kFrameProgress.welding, kFrameProgress.polygons});
}

// Style 10034 hands every clipped polygon back; the others run both passes.
bool BSPRenderer::VisibilityStage(Stack<BspPolygon>& clipped) {
  if (!Prepared()) return false;
  const bool hiddenSurfaces = options_->drawingStyle != kStyleAllEdges;
  return FindVisibleFragments(*view, clipped, scene.objects, hiddenSurfaces, *job_,
                              kFrameProgress.visibility);
}

bool BSPRenderer::LinesStage() {
  if (!Prepared()) return false;
  Stack<BSPPolyObj*>& objects = scene.objects;
  for (int32_t i = 0; i < objects.Count(); ++i) {
    ReportProgress(*job_, i, objects.Count(), kFrameProgress.lines);
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
  return BuildDrawing(elements, options_->drawingStyle, drawing, job_, kFrameProgress.drawing);
}

bool BSPRenderer::PlotterStage() {
  if (!Prepared()) return false;
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

bool DrawFrame(BaseDocument* document, const ExportSettings& options, ExportJob& job,
               Drawing& drawing) {
  BSPRenderer* renderer = HostNew<BSPRenderer>();
  if (renderer == nullptr) {
    MemoryErrorFlag::Set();
    return false;
  }
  const bool drawn = renderer->Prepare(options, job) != 0 &&
                     CaptureDocument(document, options, renderer->scene, job) && renderer->Draw();
  if (drawn) drawing = std::move(renderer->drawing);
  renderer->Release();
  HostDelete(renderer);
  return drawn;
}
