// Reading a host document into the captured scene, and corner welding.
#include "capture/captured_scene.h"

#include <algorithm>
#include <cmath>

#include "capture/capture.h"
#include "capture/export_tags.h"

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

// Finds, for one object at a time, the later objects (higher list index)
// whose boxes are within snap reach, without testing every pair: objects
// sorted by the low end of their x range, and only those whose x range can
// reach the object's are tested. Objects with x bounds that are not numbers
// are tested against every other, as a full test would.
class SnapNeighbours {
 public:
  bool Build(const Stack<BSPPolyObj*>& objects) {
    objects_ = &objects;
    for (int32_t i = 0; i < objects.Count(); ++i) {
      const BSPPolyObj& o = *objects[i];
      if (std::isfinite(o.boundsMin[0]) && std::isfinite(o.boundsMax[0])) {
        byLow_.Push(i);
        widest_ = std::max(widest_, o.boundsMax[0] - o.boundsMin[0]);
      } else {
        wild_.Push(i);
      }
    }
    std::sort(byLow_.Items(), byLow_.Items() + byLow_.Count(), [&objects](int32_t a, int32_t b) {
      return objects[a]->boundsMin[0] < objects[b]->boundsMin[0];
    });
    return MemoryErrorFlag::Test() == 0;
  }

  // The objects after `i` within snap reach of it, in list order.
  void Later(int32_t i, Stack<int32_t>& out) const {
    while (!out.Empty()) out.Pop();
    const Stack<BSPPolyObj*>& objects = *objects_;
    const BSPPolyObj& self = *objects[i];
    const auto offer = [&](int32_t k) {
      if (k > i && BoxesWithinSnapReach(self, *objects[k])) out.Push(k);
    };
    if (!std::isfinite(self.boundsMin[0]) || !std::isfinite(self.boundsMax[0])) {
      for (int32_t k = i + 1; k < objects.Count(); ++k) offer(k);
      return;
    }
    // A box within reach starts no earlier than this on x (no box is wider
    // than the widest), and no later than the other bound.
    const double from = self.boundsMin[0] - kSnapTolerance - widest_;
    const double to = self.boundsMax[0] + kSnapTolerance;
    const int32_t* begin = byLow_.Items();
    const int32_t* end = begin + byLow_.Count();
    const int32_t* first = std::lower_bound(
        begin, end, from, [&objects](int32_t k, double x) { return objects[k]->boundsMin[0] < x; });
    for (const int32_t* k = first; k != end && objects[*k]->boundsMin[0] <= to; ++k) offer(*k);
    for (int32_t w = 0; w < wild_.Count(); ++w) offer(wild_[w]);
    std::sort(out.Items(), out.Items() + out.Count());
  }

 private:
  const Stack<BSPPolyObj*>* objects_ = nullptr;
  Stack<int32_t> byLow_;
  Stack<int32_t> wild_;
  double widest_ = 0.0;
};

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

// An object still to visit and the visibility its parent passes on.
struct PendingObject {
  SceneObject* object = nullptr;
  int32_t inheritedVisibility = kVisibilityOn;
};

// Walks the object tree of the polygonised copy.
class DocumentCapture {
 public:
  DocumentCapture(const ExportSettings& options, CapturedScene& scene, ExportJob& job)
      : options_(options), scene_(scene), job_(job) {}

  // Captures the visible polygon objects of a sibling chain and below, in
  // depth-first order (an object, its children, then its next sibling).
  // The walk keeps its own list of what is left, so that a deep hierarchy
  // cannot exhaust the thread's stack. False when an object could not be
  // captured for lack of memory.
  bool WalkScene(SceneObject* first, int32_t inheritedVisibility) {
    Stack<PendingObject> pending;
    pending.Push(PendingObject{first, inheritedVisibility});
    while (!pending.Empty() && MemoryErrorFlag::Test() == 0) {
      const PendingObject next = pending.Pop();
      SceneObject* object = next.object;
      if (object == nullptr) continue;
      ReportProgressAgain(job_);
      int32_t visibility = ObjectVisibility(object);
      if (visibility == kVisibilityUndefined) visibility = next.inheritedVisibility;
      if (visibility == kVisibilityOn && ObjectType(object) == kObjectPolygon &&
          !CaptureObject(object)) {
        return false;
      }
      pending.Push(PendingObject{ObjectNext(object), next.inheritedVisibility});
      pending.Push(PendingObject{ObjectDown(object), visibility});
    }
    return MemoryErrorFlag::Test() == 0;
  }

 private:
  bool CaptureObject(SceneObject* object) {
    HostMeshSource* source = HostNew<HostMeshSource>(object);
    if (source == nullptr) return false;
    MeshInput input;
    if (!source->Load(object, input)) {
      HostDelete(source);
      return false;
    }
    // The source goes into its list first, so that Release frees it whatever
    // happens to the object.
    scene_.sources.Push(source);
    if (MemoryErrorFlag::Test() != 0) {
      HostDelete(source);
      return false;
    }
    LineStyle lineStyle = options_.lines;
    readExportTags(lineStyle, object);
    return AddCapturedObject(scene_, options_, lineStyle, input) != nullptr;
  }

  const ExportSettings& options_;
  CapturedScene& scene_;
  ExportJob& job_;
};

}  // namespace

void CapturedScene::Release() {
  for (int32_t i = 0; i < objects.Count(); ++i) HostDelete(objects[i]);
  for (int32_t i = 0; i < sources.Count(); ++i) HostDelete(sources[i]);
  objects.Clear();
  sources.Clear();
  FreeDocument(polygonDocument);
  polygonDocument = nullptr;
}

BSPPolyObj* AddCapturedObject(CapturedScene& scene, const ExportSettings& options,
                              const LineStyle& lineStyle, const MeshInput& mesh) {
  BSPPolyObj* captured = HostNew<BSPPolyObj>(options, lineStyle, mesh);
  if (captured == nullptr) return nullptr;
  captured->listIndex = scene.objects.Count();
  scene.objects.Push(captured);
  if (MemoryErrorFlag::Test() != 0) {
    HostDelete(captured);
    return nullptr;
  }
  CaptureWorldPoints(*captured);
  return captured;
}

bool CaptureDocument(BaseDocument* document, const ExportSettings& options, CapturedScene& scene,
                     ExportJob& job) {
  scene.polygonDocument = PolygonizeDocument(document);
  if (scene.polygonDocument == nullptr) {
    ReportNoMemory(kRendererSource, RendererReportLine::kPolygonDocument);
    return false;
  }
  SceneObject* camera = ViewLinkedCamera(document);
  if (camera == nullptr) camera = ViewCamera(document);
  if (camera == nullptr) {
    ReportNoMemory(kRendererSource, RendererReportLine::kCamera);
    return false;
  }
  scene.camera = ReadCamera(camera);
  if (!DocumentCapture(options, scene, job)
           .WalkScene(GetFirstObject(scene.polygonDocument), kVisibilityOn)) {
    ReportNoMemory(kRendererSource, RendererReportLine::kObject);
    // Without the object the drawing would pass for complete: the frame is
    // not written and the run ends after it.
    MemoryErrorFlag::Set();
  }
  NormaliseSceneScale(scene);
  return true;
}

double NormaliseSceneScale(CapturedScene& scene) {
  const Vector3d& eye = scene.camera.matrix.off;
  const double eyeAt[3] = {eye.x, eye.y, eye.z};
  double extent = 0.0;
  for (int32_t i = 0; i < scene.objects.Count(); ++i) {
    const BSPPolyObj& object = *scene.objects[i];
    if (!object.boundsValid) continue;
    for (int32_t axis = 0; axis < 3; ++axis) {
      extent = std::max(extent, std::fabs(object.boundsMin[axis] - eyeAt[axis]));
      extent = std::max(extent, std::fabs(object.boundsMax[axis] - eyeAt[axis]));
    }
  }
  if (!std::isfinite(extent) || extent == 0.0) return 1.0;
  // extent = m * 2^exponent with m in [0.5, 1).
  int32_t exponent = 0;
  std::frexp(extent, &exponent);
  double scale = 1.0;
  if (extent < kSmallestSceneExtent) {
    scale = std::ldexp(1.0, 4 - exponent);  // to [8, 16)
  } else if (extent > kLargestSceneExtent) {
    scale = std::ldexp(1.0, 12 - exponent);  // to [2048, 4096)
  }
  if (scale == 1.0) return scale;
  for (int32_t i = 0; i < scene.objects.Count(); ++i) {
    BSPPolyObj& object = *scene.objects[i];
    for (int32_t p = 0; p < object.points.Count(); ++p) {
      Point& point = object.points[p];
      point.x *= scale;
      point.y *= scale;
      point.z *= scale;
    }
    for (int32_t axis = 0; axis < 3; ++axis) {
      object.boundsMin[axis] *= scale;
      object.boundsMax[axis] *= scale;
    }
  }
  AffineMap& camera = scene.camera.matrix;
  camera.off = camera.off * scale;
  camera.v1 = camera.v1 * scale;
  camera.v2 = camera.v2 * scale;
  camera.v3 = camera.v3 * scale;
  return scale;
}

void SnapPoints(CapturedScene& scene, ExportJob& job) {
  Stack<BSPPolyObj*>& objects = scene.objects;
  const int32_t count = objects.Count();
  Stack<Stack<SnapEntry>> lists;
  if (lists.SetCount(count) != 0) return;
  for (int32_t i = 0; i < count; ++i) {
    ReportProgress(job, i, count, 10, 15);
    if (ExportCancelled(job)) return;
    Stack<Point>& points = objects[i]->points;
    Stack<SnapEntry>& list = lists[i];
    if (list.SetCount(points.Count()) != 0) return;
    for (int32_t p = 0; p < points.Count(); ++p)
      list[p] = SnapEntry{&points[p], points[p].x + points[p].y + points[p].z};
    std::sort(list.Items(), list.Items() + list.Count(), RundungsSort());
  }
  SnapNeighbours neighbours;
  if (!neighbours.Build(objects)) return;
  Stack<int32_t> later;
  for (int32_t i = 0; i < count; ++i) {
    ReportProgress(job, i, count, 15, 20);
    if (ExportCancelled(job)) return;
    neighbours.Later(i, later);
    if (MemoryErrorFlag::Test() != 0) return;
    for (int32_t k = 0; k < later.Count(); ++k) {
      ReportProgressAgain(job);
      if (ExportCancelled(job)) return;
      SnapPair(lists[i], lists[later[k]]);
    }
  }
}
