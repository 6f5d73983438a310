// The capture stage of a frame on a captured scene (capture/captured_scene.h):
// the camera set on the view, nearly coincident corners of different objects
// welded (SnapPoints), every object's polygons built (quadrangles split by
// splitQuadrangle, edge planes through the eye) and clipped to the view
// frustum into one list for the whole scene.
#pragma once

#include "capture/bsp_poly_obj.h"
#include "capture/captured_scene.h"
#include "core/job.h"
#include "core/stack.h"
#include "polygons/bsp_view.h"

// The progress bands of the stage's two steps.
struct CaptureBands {
  ProgressBand snap;      // welding the corners
  ProgressBand polygons;  // building and clipping every object's polygons
};

// Fills `clipped` with the scene's polygons as they lie in the view. False
// when the camera cannot be set, nothing is in view, or a stop request or a
// memory failure cut the stage short.
bool CapturePolygonsInView(CapturedScene& scene, BspView& view, Stack<BspPolygon>& clipped,
                           ExportJob& job, CaptureBands bands);

// Clips the object's captured polygons, last first, to the whole frustum
// and appends what remains to `clipped`, each piece's origin pointing at its
// captured polygon; a polygon wholly inside appends a record without edges
// (see OutlineOf). Stops on memory failure.
void ClipToFrustum(const BspView& view, const BSPPolyObj& object, Stack<BspPolygon>& clipped);
