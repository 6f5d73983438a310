#include "shell/bsp_renderer.h"

#include <algorithm>
#include <cmath>

#include "visibility/beam_tree.h"
#include "capture/capture.h"
#include "visibility/passes.h"
#include "eps/eps_document.h"
#include "eps/eps_page.h"
#include "lines/page_projection.h"
#include "capture/export_tags.h"
#include "lines/object_lines.h"
#include "capture/quadrangle_split.h"
#include "core/progress.h"

namespace {


// One corner of an object in the snapping order: the corner and x + y + z.
struct SnapEntry {
  Point* point = nullptr;
  double key = 0.0;
};

// The rounding sort: snap entries in ascending key order.
struct RundungsSort {
  bool operator()(const SnapEntry& a, const SnapEntry& b) const { return a.key < b.key; }
};

// Whether two objects may hold corners to weld: their bounding boxes,
// grown by the snapping distance, overlap. Without the margin, corners that
// nearly touch across a gap between the boxes would stay apart.
bool BoxesWithinSnapReach(const BSPPolyObj& a, const BSPPolyObj& b) {
  for (int axis = 0; axis < 3; ++axis)
    if (a.boundsMax[axis] + kSnapTolerance < b.boundsMin[axis] ||
        b.boundsMax[axis] + kSnapTolerance < a.boundsMin[axis])
      return false;
  return true;
}

double SquaredDistance(const Point& p, const Point& q) {
  const double dx = p.x - q.x, dy = p.y - q.y, dz = p.z - q.z;
  return dx * dx + dy * dy + dz * dz;
}

// Moves corners of `second` that lie within the tolerance of a corner of
// `first` to their common midpoint. Both lists are sorted by key.
void SnapPair(const Stack<SnapEntry>& first, const Stack<SnapEntry>& second) {
  int32_t cursor = 0;
  for (int32_t b = 0; b < first.Count(); ++b) {
    const double key = first[b].key;
    while (cursor < second.Count() && second[cursor].key + kSnapTolerance < key) ++cursor;
    if (cursor >= second.Count()) return;
    for (int32_t c = cursor; c < second.Count() && std::fabs(second[c].key - key) < kSnapTolerance;
         ++c) {
      Point& p = *first[b].point;
      Point& q = *second[c].point;
      if (SquaredDistance(p, q) >= kSnapTolerance * kSnapTolerance) continue;
      const Point mid{(p.x + q.x) / 2.0, (p.y + q.y) / 2.0, (p.z + q.z) / 2.0, 1.0};
      p = mid;
      q = mid;
    }
  }
}

CameraMatrix PageCamera(const WorldMatrix& m) {
  return CameraMatrix{Vec3{m.off.x, m.off.y, m.off.z}, Vec3{m.v1.x, m.v1.y, m.v1.z},
                      Vec3{m.v2.x, m.v2.y, m.v2.z}, Vec3{m.v3.x, m.v3.y, m.v3.z}};
}

}  // namespace

BSPRenderer::~BSPRenderer() {
  Release();
  objects_.Clear();
  sources_.Clear();
}

int32_t BSPRenderer::Prepare(ExportSettings* settings) {
  settings_ = settings;
  view_ = HostNew<BspView>();
  if (view_ == nullptr) {
    ReportNoMemory(kRendererSource, RendererReportLine::kView);
    return 0;
  }
  MakeView(*view_, settings->width, settings->height, settings);
  SetQuadrangleSplitter(&splitQuadrangle);
  return 1;
}

bool BSPRenderer::Cancelled() const { return ExportCancelled(settings_); }

void BSPRenderer::Render(BaseDocument* document, int32_t frame) {
  if (view_ == nullptr || settings_ == nullptr) return;
  EpsPage page;
  page.settings = *settings_;
  document_ = document;
  polygonDocument_ = PolygonizeDocument(document);
  if (polygonDocument_ == nullptr) {
    ReportNoMemory(kRendererSource, RendererReportLine::kPolygonDocument);
    return;
  }

  SceneObject* camera = ViewLinkedCamera(document);
  if (camera == nullptr) camera = ViewCamera(document);
  if (camera == nullptr || !SetCamera(*view_, ReadCamera(camera))) {
    ReportNoMemory(kRendererSource, RendererReportLine::kCamera);
    return;
  }

  WalkScene(GetFirstObject(polygonDocument_), kVisibilityOn);
  if (!Cancelled()) SnapPoints();

  Stack<BspPolygon> pass1;
  Stack<BspPolygon> clipped;
  if (!Cancelled()) {
    for (int32_t i = 0; i < objects_.Count(); ++i) {
      ReportProgress(i, objects_.Count(), 0, 10);
      if (Cancelled() || MemoryErrorFlag::Test() != 0) return;
      BuildPolygons(*objects_[i], *view_, pass1);
      ClipToFrustum(*view_, pass1, clipped);
    }
  }
  // Nothing in view: no file for this frame.
  if (clipped.Empty() || Cancelled() || MemoryErrorFlag::Test() != 0) return;

  const int32_t style = settings_->drawingStyle;
  if (style == kStyleAllEdges) {
    if (!HandBackWithoutHiddenSurfaceRemoval(*view_, clipped)) return;
  } else {
    BeamTree tree;
    const bool occluded = RunOcclusionPass(*view_, tree, clipped);
    const bool visible = occluded && RunVisibilityPass(*view_, tree, objects_);
    DestroyBeamTree(tree);
    if (!visible) return;
  }
  if (MemoryErrorFlag::Test() != 0) return;

  for (int32_t i = 0; i < objects_.Count(); ++i) {
    ReportProgress(i, objects_.Count(), 50, 75);
    drawObjectLines(*objects_[i], page.elements);
    if (Cancelled() || MemoryErrorFlag::Test() != 0) return;
  }
  ProjectPage(page.elements, PageCamera(view_->inverse), view_->focalScale, view_->width,
              view_->height);
  WriteEpsFile(page, style, frame);
}

// Captures the visible polygon objects of a sibling chain and below; `off`
// and `undefined` objects pass their state on to their children.
void BSPRenderer::WalkScene(SceneObject* first, int32_t inheritedVisibility) {
  for (SceneObject* object = first; object != nullptr; object = ObjectNext(object)) {
    ReportProgressAgain();
    int32_t visibility = ObjectVisibility(object);
    if (visibility == kVisibilityUndefined) visibility = inheritedVisibility;
    if (visibility == kVisibilityOn && ObjectType(object) == kObjectPolygon &&
        !CaptureObject(object)) {
      ReportNoMemory(kRendererSource, RendererReportLine::kObject);
      // Without the object the drawing would pass for complete: the frame
      // is not written and the run ends after it.
      MemoryErrorFlag::Set();
      return;
    }
    WalkScene(ObjectDown(object), visibility);
  }
}

bool BSPRenderer::CaptureObject(SceneObject* object) {
  HostMeshSource* source = HostNew<HostMeshSource>(object);
  if (source == nullptr) return false;
  MeshInput input;
  if (!source->Load(object, input)) {
    HostDelete(source);
    return false;
  }
  ExportSettings objectSettings = *settings_;
  readExportTags(objectSettings, object);
  BSPPolyObj* captured = HostNew<BSPPolyObj>(objectSettings, input);
  if (captured == nullptr) {
    HostDelete(source);
    return false;
  }
  // The source goes into its list first, so that Release frees it whatever
  // happens to the object.
  sources_.Push(source);
  if (MemoryErrorFlag::Test() != 0) {
    HostDelete(captured);
    HostDelete(source);
    return false;
  }
  captured->listIndex = objects_.Count();
  objects_.Push(captured);
  if (MemoryErrorFlag::Test() != 0) {
    HostDelete(captured);
    return false;
  }
  CaptureWorldPoints(*captured);
  return true;
}

// Welds corners of different objects that lie within 0.003 of each other.
void BSPRenderer::SnapPoints() {
  Selection overlapping;
  if (!overlapping.Create()) {
    ReportNoMemory(kRendererSource, RendererReportLine::kSnapSelection);
    return;
  }
  const int32_t count = objects_.Count();
  Stack<Stack<SnapEntry>> lists;
  if (lists.SetCount(count) != 0) return;
  for (int32_t i = 0; i < count; ++i) {
    ReportProgress(i, count, 10, 15);
    if (Cancelled()) return;
    Stack<Point>& points = objects_[i]->points;
    Stack<SnapEntry>& list = lists[i];
    if (list.SetCount(points.Count()) != 0) return;
    for (int32_t p = 0; p < points.Count(); ++p)
      list[p] = SnapEntry{&points[p], points[p].x + points[p].y + points[p].z};
    std::sort(list.Items(), list.Items() + list.Count(), RundungsSort());
  }
  for (int32_t i = 0; i < count; ++i) {
    ReportProgress(i, count, 15, 20);
    if (Cancelled()) return;
    overlapping.DeselectAll();
    for (int32_t k = i + 1; k < count; ++k)
      if (BoxesWithinSnapReach(*objects_[i], *objects_[k])) overlapping.Select(k);
    for (int32_t l = i + 1; l < count; ++l) {
      if (!overlapping.IsSelected(l)) continue;
      ReportProgressAgain();
      if (Cancelled()) return;
      SnapPair(lists[i], lists[l]);
    }
  }
}

void BSPRenderer::Release() {
  HostDelete(view_);
  view_ = nullptr;
  for (int32_t i = 0; i < objects_.Count(); ++i) HostDelete(objects_[i]);
  for (int32_t i = 0; i < sources_.Count(); ++i) HostDelete(sources_[i]);
  objects_.Clear();
  sources_.Clear();
  FreeDocument(polygonDocument_);
  polygonDocument_ = nullptr;
}

void RenderFrame(BaseDocument* document, int32_t frame, ExportSettings* settings) {
  BSPRenderer* renderer = HostNew<BSPRenderer>();
  if (renderer == nullptr) return;  // the frame is skipped
  if (renderer->Prepare(settings) != 0) renderer->Render(document, frame);
  renderer->Release();
  HostDelete(renderer);
}
