// The capture stage: camera, welding, polygons, clipping.
#include "capture/capture_stage.h"

#include "capture/capture.h"
#include "capture/quadrangle_split.h"

namespace {

bool Interrupted(const ExportJob& job) {
  return ExportCancelled(job) || MemoryErrorFlag::Test() != 0;
}

}  // namespace

bool CapturePolygonsInView(CapturedScene& scene, BspView& view, Stack<BspPolygon>& clipped,
                           ExportJob& job, CaptureBands bands) {
  if (!SetCamera(view, scene.camera)) {
    ReportNoMemory(kRendererSource, RendererReportLine::kCamera);
    return false;
  }
  if (!ExportCancelled(job)) SnapPoints(scene, job, bands.snap);
  Stack<BSPPolyObj*>& objects = scene.objects;
  if (!ExportCancelled(job)) {
    for (int32_t i = 0; i < objects.Count(); ++i) {
      ReportProgress(job, i, objects.Count(), bands.polygons);
      if (Interrupted(job)) return false;
      BuildPolygons(*objects[i], view, &splitQuadrangle, job);
      ClipToFrustum(view, *objects[i], clipped);
    }
  }
  return !clipped.Empty() && !Interrupted(job);
}
