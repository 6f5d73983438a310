// BSPRenderer: one frame of an export, stage by stage.
//
//   capture     the scene's objects, their corners welded, become renderer
//               polygons clipped to the view (capture/capture_stage.h)
//   visibility  the passes leave every object its visible fragments
//               (visibility/passes.h)
//   lines       every object's lines of the drawing style, as line groups
//   drawing     the line groups projected onto the page and chained into the
//               compound paths of the style (lines/drawing.h)
//   plotter     laid out on the sheet and made into plotter paths when the
//               options ask for them (plotter/)
//   output      the files of the frame: the chosen one and each further one,
//               in the format each name asks for (output/frame_output.h)
//
// Each stage fills its band of the progress bar; the bands are one table in
// bsp_renderer.cpp. RenderFrame runs all of them on a host document;
// DrawFrame runs them up to the plotter and hands the drawing to the caller
// instead of writing files. Draw runs them from capture to the plotter on a
// scene captured already, so that tests and the benchmark drive the same
// sequence on generated meshes (AddCapturedObject).
//
// One renderer lives for one frame: construct, Prepare, Render (or fill the
// scene and Draw), Release.
#pragma once

#include <cstdint>

#include "capture/captured_scene.h"
#include "core/export_settings.h"
#include "core/job.h"
#include "lines/drawing.h"
#include "polygons/bsp_view.h"
#include "sdk/document.h"

// The last stage Draw runs.
enum class FrameStage : int32_t {
  kVisibility,  // objects hold their visible fragments
  kLines,       // `elements` holds the line groups in world space
  kDrawing,     // `drawing` holds the page, made for the plotter if asked
};

class BSPRenderer {
 public:
  BSPRenderer() = default;
  ~BSPRenderer();
  BSPRenderer(const BSPRenderer&) = delete;
  BSPRenderer& operator=(const BSPRenderer&) = delete;

  // Keeps the options and the job (both must outlive the renderer) and makes
  // the view; 0 when it cannot be allocated.
  int32_t Prepare(const ExportSettings& options, ExportJob& job);
  // Captures the document at its current time, draws it and writes frame
  // `frame`. Nothing is written when nothing is in view, when the run is
  // stopped or when memory runs out. Must not run after a failed Prepare.
  void Render(BaseDocument* document, int32_t frame);
  // The stages from capture to `last` on the captured scene. False when
  // nothing is in view, the camera cannot be set, or a stop request or a
  // memory failure cut a stage short.
  bool Draw(FrameStage last = FrameStage::kDrawing);
  // Releases the view, the captured scene and everything drawn.
  void Release();

  // The stages that Draw runs, in its order; each false when it was cut
  // short. Tests of one stage run those before it and inspect its input.
  //
  // The camera, the welded corners and every object's polygons, clipped to
  // the view into `clipped`; false also when nothing is in view.
  bool CaptureStage(Stack<BspPolygon>& clipped);
  // Visible fragments in every object (the clipped list is used up).
  bool VisibilityStage(Stack<BspPolygon>& clipped);
  // Every object's lines into `elements` (world space).
  bool LinesStage();
  // `elements` projected onto the page and `drawing` built from them.
  bool DrawingStage();
  // `drawing` laid out on paper and made into plotter paths as the options
  // say.
  bool PlotterStage();

  CapturedScene scene;
  BspView* view = nullptr;
  Stack<LineGroup> elements;
  Drawing drawing;

 private:
  bool Prepared() const;  // a successful Prepare, so the view exists
  bool Interrupted() const;

  const ExportSettings* options_ = nullptr;
  ExportJob* job_ = nullptr;
};

// Runs one frame through a renderer, as the export step does; the frame is
// skipped when the renderer or its view cannot be made.
void RenderFrame(BaseDocument* document, int32_t frame, const ExportSettings& options,
                 ExportJob& job);

// One frame drawn in memory: the document (at the frame's time) captured and
// drawn as RenderFrame does, and the drawing that its files would hold moved
// into `drawing`; no file is written, and no console line names one. False,
// with `drawing` untouched, when nothing is in view, the renderer cannot be
// made, or a stop request or a memory failure cut the frame short.
bool DrawFrame(BaseDocument* document, const ExportSettings& options, ExportJob& job,
               Drawing& drawing);
