// The captured scene of one frame: the camera and every visible polygon object
// as a BSPPolyObj with its points in world space, read from a host document
// (CaptureDocument) or added one mesh at a time (AddCapturedObject, for
// generated meshes), and the welding of nearly coincident corners of
// different objects (SnapPoints).
#pragma once

#include <cstdint>

#include "capture/bsp_poly_obj.h"
#include "capture/host_capture.h"
#include "core/export_settings.h"
#include "core/job.h"
#include "polygons/bsp_view.h"
#include "sdk/document.h"

// Source name of the frame driver's "NO MEMORY" reports and their lines.
inline constexpr char kRendererSource[] = "BSPRenderer";
struct RendererReportLine {
  static constexpr int32_t kView = 34;
  static constexpr int32_t kPolygonDocument = 81;
  static constexpr int32_t kCamera = 91;
  static constexpr int32_t kObject = 235;
};

// Corners of different objects closer than this are moved to their midpoint.
inline constexpr double kSnapTolerance = 0.003;

struct CapturedScene {
  CameraInput camera;
  Stack<BSPPolyObj*> objects;               // owned, in capture order
  Stack<HostMeshSource*> sources;           // what the objects' MeshInputs point into, owned
  BaseDocument* polygonDocument = nullptr;  // the polygonised copy they were read from

  CapturedScene() = default;
  ~CapturedScene() { Release(); }
  CapturedScene(const CapturedScene&) = delete;
  CapturedScene& operator=(const CapturedScene&) = delete;

  // Frees the objects, their sources and the polygonised copy.
  void Release();
};

// Captures one mesh: a BSPPolyObj with the frame's options and this line
// style, appended to the scene with its points in world space. The mesh's
// data must outlive the scene. Null when memory ran out (the object is not
// in the scene then).
BSPPolyObj* AddCapturedObject(CapturedScene& scene, const ExportSettings& options,
                              const LineStyle& lineStyle, const MeshInput& mesh);

// Reads the document at its current time: a polygonised copy, the camera of
// the view (or the document's), and every visible polygon object of the
// object tree with the line style of its nearest export tag (`off` and
// `undefined` objects pass their state on to their children). False, with a
// report, when the copy or the camera is missing; an object that cannot be
// captured for lack of memory also sets the memory-error flag, so that no
// drawing without it passes for complete.
bool CaptureDocument(BaseDocument* document, const ExportSettings& options, CapturedScene& scene,
                     ExportJob& job);

// The extent of the captured scene around the camera, as the largest
// coordinate difference between a captured point and the eye, within which
// the passes' fixed tolerances are sound: a scene outside it is scaled into
// it by NormaliseSceneScale.
inline constexpr double kSmallestSceneExtent = 8.0;
inline constexpr double kLargestSceneExtent = 4096.0;

// Scales the captured points, their bounds and the camera by a power of two
// when the scene's extent around the camera lies outside the range above,
// so that a model drawn in millimetres or kilometres meets the tolerances
// at the size a model in ordinary units does. A power of two scales exactly,
// and the camera's own coordinates, and so the page, do not change. Returns
// the factor (1 when the scene is left as it is).
double NormaliseSceneScale(CapturedScene& scene);

// Welds corners of different objects that lie within kSnapTolerance of each
// other: both move to their midpoint. Sorting each object's corners fills
// the first half of `band`, matching them the second.
void SnapPoints(CapturedScene& scene, ExportJob& job, ProgressBand band);
