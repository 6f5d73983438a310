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

// Finds, for one object at a time, the later objects (higher list index)
// whose boxes are within snap reach, without testing every pair: the boxes,
// each grown by the snapping distance at its upper end, are entered into the
// cells of a uniform grid that they overlap, and two boxes within reach share
// a cell. The cell size is the median box size, so that ordinary objects
// cover a few cells; a box that would cover very many cells (a ground plane
// among small parts), and a box whose bounds are not numbers, is tested
// against every other object, as a full test would. The result is the exact
// pair test's, in list order. An object's query visits the cells it was
// entered into, so each of its entries remembers where its cell's run of
// entries starts: a query searches nothing, and the pair tests read a compact
// copy of the boxes instead of the scattered objects.
class SnapNeighbours {
 public:
  bool Build(const Stack<BSPPolyObj*>& objects) {
    objects_ = &objects;
    if (boxes_.SetCount(objects.Count()) != 0) return false;
    Stack<double> sizes;
    for (int32_t i = 0; i < objects.Count() && MemoryErrorFlag::Test() == 0; ++i) {
      const BSPPolyObj& o = *objects[i];
      for (int axis = 0; axis < 3; ++axis) {
        boxes_[i].low[axis] = o.boundsMin[axis];
        boxes_[i].high[axis] = o.boundsMax[axis];
      }
      if (!FiniteBox(o)) {
        everywhere_.Push(i);
        continue;
      }
      double size = 0.0;
      for (int axis = 0; axis < 3; ++axis) {
        low_[axis] = std::min(low_[axis], o.boundsMin[axis]);
        high_[axis] = std::max(high_[axis], o.boundsMax[axis] + kSnapTolerance);
        size = std::max(size, o.boundsMax[axis] - o.boundsMin[axis]);
      }
      sizes.Push(size);
    }
    if (sizes.Empty()) return MemoryErrorFlag::Test() == 0;
    std::nth_element(sizes.Items(), sizes.Items() + sizes.Count() / 2,
                     sizes.Items() + sizes.Count());
    cell_ = std::max(sizes[sizes.Count() / 2] + kSnapTolerance, kSnapTolerance);
    for (int axis = 0; axis < 3; ++axis) {
      cell_ = std::max(cell_, (high_[axis] - low_[axis]) / kMostCellsPerAxis);
    }
    for (int axis = 0; axis < 3; ++axis) {
      cells_[axis] = CellOf(axis, high_[axis]) + 1;
    }
    for (int32_t i = 0; i < objects.Count() && MemoryErrorFlag::Test() == 0; ++i) {
      const BSPPolyObj& o = *objects[i];
      if (!FiniteBox(o)) continue;
      int32_t from[3], to[3];
      if (!CellRange(o, from, to)) {
        everywhere_.Push(i);
        continue;
      }
      for (int32_t x = from[0]; x <= to[0]; ++x)
        for (int32_t y = from[1]; y <= to[1]; ++y)
          for (int32_t z = from[2]; z <= to[2]; ++z) entries_.Push(CellEntry{Key(x, y, z), i});
    }
    std::sort(entries_.Items(), entries_.Items() + entries_.Count(),
              [](const CellEntry& a, const CellEntry& b) {
                return a.cell != b.cell ? a.cell < b.cell : a.object < b.object;
              });
    std::sort(everywhere_.Items(), everywhere_.Items() + everywhere_.Count());
    return IndexRuns(objects.Count()) && MemoryErrorFlag::Test() == 0;
  }

  // The objects after `i` within snap reach of it, in list order.
  void Later(int32_t i, Stack<int32_t>& out) const {
    while (!out.Empty()) out.Pop();
    const Stack<BSPPolyObj*>& objects = *objects_;
    const Box& self = boxes_[i];
    const auto offer = [&](int32_t k) {
      if (k > i && WithinSnapReach(self, boxes_[k])) out.Push(k);
    };
    int32_t from[3], to[3];
    if (!FiniteBox(*objects[i]) || !CellRange(*objects[i], from, to)) {
      for (int32_t k = i + 1; k < objects.Count(); ++k) offer(k);
      return;
    }
    const int32_t count = entries_.Count();
    for (int32_t own = ownFrom_[i]; own < ownFrom_[i + 1]; ++own) {
      const int32_t run = runOf_[own];
      for (int32_t e = run; e < count && entries_[e].cell == entries_[run].cell; ++e) {
        offer(entries_[e].object);
      }
    }
    for (int32_t w = 0; w < everywhere_.Count(); ++w) offer(everywhere_[w]);
    std::sort(out.Items(), out.Items() + out.Count());
    out.SetCount(
        static_cast<int32_t>(std::unique(out.Items(), out.Items() + out.Count()) - out.Items()));
  }

 private:
  struct CellEntry {
    int64_t cell = 0;
    int32_t object = 0;
  };

  struct Box {
    double low[3] = {0.0, 0.0, 0.0};
    double high[3] = {0.0, 0.0, 0.0};
  };

  // Whether two objects may hold corners to weld: their bounding boxes,
  // grown by the snapping distance, overlap. Without the margin, corners
  // that nearly touch across a gap between the boxes would stay apart.
  static bool WithinSnapReach(const Box& a, const Box& b) {
    for (int axis = 0; axis < 3; ++axis)
      if (a.high[axis] + kSnapTolerance < b.low[axis] ||
          b.high[axis] + kSnapTolerance < a.low[axis])
        return false;
    return true;
  }

  // For every object, the first entries of the runs of the cells it was
  // entered into (runOf_ from ownFrom_[i] up to ownFrom_[i + 1]), gathered
  // by a counting sort over the sorted entries.
  bool IndexRuns(int32_t objectCount) {
    const int32_t count = entries_.Count();
    if (ownFrom_.SetCount(objectCount + 1) != 0 || runOf_.SetCount(count) != 0) return false;
    for (int32_t e = 0; e < count; ++e) ++ownFrom_[entries_[e].object + 1];
    for (int32_t i = 0; i < objectCount; ++i) ownFrom_[i + 1] += ownFrom_[i];
    Stack<int32_t> next;
    if (next.SetCount(objectCount) != 0) return false;
    for (int32_t i = 0; i < objectCount; ++i) next[i] = ownFrom_[i];
    int32_t run = 0;
    for (int32_t e = 0; e < count; ++e) {
      if (entries_[e].cell != entries_[run].cell) run = e;
      runOf_[next[entries_[e].object]++] = run;
    }
    return true;
  }

  // Cells per axis at most, and cells a box may cover before it is tested
  // against every object instead.
  static constexpr double kMostCellsPerAxis = 1024.0;
  static constexpr int64_t kMostCellsPerBox = 64;

  static bool FiniteBox(const BSPPolyObj& o) {
    for (int axis = 0; axis < 3; ++axis) {
      if (!std::isfinite(o.boundsMin[axis]) || !std::isfinite(o.boundsMax[axis])) return false;
    }
    return true;
  }

  int32_t CellOf(int axis, double value) const {
    const double cell = std::floor((value - low_[axis]) / cell_);
    return static_cast<int32_t>(std::min(std::max(cell, 0.0), kMostCellsPerAxis));
  }

  int64_t Key(int32_t x, int32_t y, int32_t z) const {
    return (static_cast<int64_t>(x) * cells_[1] + y) * cells_[2] + z;
  }

  // The cells of the object's box grown by the snapping distance at its
  // upper end; false when they are too many.
  bool CellRange(const BSPPolyObj& o, int32_t from[3], int32_t to[3]) const {
    int64_t covered = 1;
    for (int axis = 0; axis < 3; ++axis) {
      from[axis] = CellOf(axis, o.boundsMin[axis]);
      to[axis] = CellOf(axis, o.boundsMax[axis] + kSnapTolerance);
      covered *= to[axis] - from[axis] + 1;
    }
    return covered <= kMostCellsPerBox;
  }

  const Stack<BSPPolyObj*>* objects_ = nullptr;
  Stack<CellEntry> entries_;
  Stack<int32_t> everywhere_;
  Stack<Box> boxes_;
  Stack<int32_t> ownFrom_;
  Stack<int32_t> runOf_;
  double low_[3] = {INFINITY, INFINITY, INFINITY};
  double high_[3] = {-INFINITY, -INFINITY, -INFINITY};
  double cell_ = 1.0;
  int32_t cells_[3] = {1, 1, 1};
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
    BSPPolyObj* captured = AddCapturedObject(scene_, options_, lineStyle, input);
    if (captured != nullptr) captured->name = ObjectName(object);
    return captured != nullptr;
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

void SnapPoints(CapturedScene& scene, ExportJob& job, ProgressBand band) {
  const ProgressBand sorting = SubBand(band, 0, 50);
  const ProgressBand matching = SubBand(band, 50, 100);
  Stack<BSPPolyObj*>& objects = scene.objects;
  const int32_t count = objects.Count();
  Stack<Stack<SnapEntry>> lists;
  if (lists.SetCount(count) != 0) return;
  for (int32_t i = 0; i < count; ++i) {
    ReportProgress(job, i, count, sorting);
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
    ReportProgress(job, i, count, matching);
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
