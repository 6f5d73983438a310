// Capture of a host polygon object into a BSPPolyObj: the points in world
// space, then the renderer polygons with plane, edge flags and colour, the
// frustum and back-face tests, the quadrangle splitter and the edge planes.
//
// Capture reads only the object's MeshInput, so tests and benchmarks feed it
// generated meshes; the host-reading layer fills the MeshInput from a host
// polygon object.
#pragma once

#include <cstdint>

#include "capture/bsp_poly_obj.h"
#include "core/job.h"
#include "polygons/bsp_view.h"

// Report lines of the object's failures.
struct PolyObjReportLine {
  static constexpr int32_t kPointTable = 38;
  static constexpr int32_t kSelection = 46;
  static constexpr int32_t kNormalTable = 92;
  static constexpr int32_t kNeighbours = 97;
};

// Everything a quadrangle splitter is given about one quadrangle.
struct QuadrangleSplitRequest {
  const BSPPolyObj* object = nullptr;
  const BspView* view = nullptr;
  const BspPolygon* quadrangle = nullptr;
  int32_t polygonIndex = -1;
  const PolygonCorners* polygons = nullptr;       // the object's host polygons
  const PolygonNeighbours* neighbours = nullptr;  // may be null
  const Plane* facePlanes = nullptr;              // unit-normal plane of every host polygon
};

// Replaces a non-planar quadrangle by two triangles: true when it filled
// `first` and `second`, false when the quadrangle stays whole.
using QuadrangleSplitter = bool (*)(const QuadrangleSplitRequest& request, BspPolygon& first,
                                    BspPolygon& second);

// Transforms the object's points to world space, grows its bounding box and
// creates its polygon marks. False when the point table could not be sized
// (report 38); the object then builds no polygons. A failed mark table is
// reported (46) and leaves the object without marks.
bool CaptureWorldPoints(BSPPolyObj& object);

// Builds the object's polygons with their edge planes (see capture.cpp).
// Every quadrangle is offered to `splitter` (null: quadrangles stay whole).
// Stops early on a cancelled export or the memory-error flag; what was built
// stays.
void BuildPolygons(BSPPolyObj& object, const BspView& view, QuadrangleSplitter splitter,
                   ExportJob& job);
