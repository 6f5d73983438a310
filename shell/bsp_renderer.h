// BSPRenderer: turns the document at its current time into one EPS page. It
// takes a polygonised copy of the document, finds the camera, captures every
// visible polygon object, welds nearly coincident corners of different
// objects, builds and clips the polygons, runs the visibility passes, hands
// the visible fragments to the edge-line stage of the drawing style, and
// lets the EPS writer project and write the page.
//
// One renderer lives for one frame: construct, Prepare, Render, Release.
#pragma once

#include <cstdint>

#include "capture/bsp_poly_obj.h"
#include "polygons/bsp_view.h"
#include "capture/host_capture.h"
#include "sdk/host_sdk.h"

inline constexpr char kRendererSource[] = "BSPRenderer";

struct RendererReportLine {
  static constexpr int32_t kView = 34;
  static constexpr int32_t kPolygonDocument = 81;
  static constexpr int32_t kCamera = 91;
  static constexpr int32_t kObject = 235;
  static constexpr int32_t kSnapSelection = 260;
};

// Corners of different objects closer than this are moved to their midpoint.
inline constexpr double kSnapTolerance = 0.003;

class BSPRenderer {
 public:
  BSPRenderer() = default;
  ~BSPRenderer();
  BSPRenderer(const BSPRenderer&) = delete;
  BSPRenderer& operator=(const BSPRenderer&) = delete;

  // Stores the settings and makes the view; 0 when it cannot be allocated.
  int32_t Prepare(ExportSettings* settings);
  // Renders the document at its current time and writes frame `frame`.
  // Must not run after a failed Prepare.
  void Render(BaseDocument* document, int32_t frame);
  // Releases the view, the captured objects and the polygonised copy.
  void Release();

  // The captured objects of the last Render (tests).
  const Stack<BSPPolyObj*>& Objects() const { return objects_; }

 private:
  void WalkScene(SceneObject* first, int32_t inheritedVisibility);
  bool CaptureObject(SceneObject* object);
  void SnapPoints();
  bool Cancelled() const;

  BspView* view_ = nullptr;
  BaseDocument* document_ = nullptr;
  BaseDocument* polygonDocument_ = nullptr;
  Stack<BSPPolyObj*> objects_;
  Stack<HostMeshSource*> sources_;  // what each object's MeshInput points into
  ExportSettings* settings_ = nullptr;
};

// Runs one frame through a renderer, as the export step does; the frame is
// skipped when the renderer or its view cannot be made.
void RenderFrame(BaseDocument* document, int32_t frame, ExportSettings* settings);
