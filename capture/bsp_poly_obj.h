// BSPPolyObj: one captured host polygon object for one frame: its settings,
// its points in world space, the renderer polygons built from its host
// polygons, the marks of the polygons involved in any occlusion and, after
// the visibility passes, its visible fragments.
//
// The renderer owns one per visible polygon object. Capture (capture.h)
// fills it from a MeshInput, the plain view of the host object that the
// host-reading layer provides.
#pragma once

#include <cstdint>

#include "capture/edge_neighbours.h"
#include "core/colour.h"
#include "core/export_settings.h"
#include "core/geometry.h"
#include "core/stack.h"
#include "polygons/bsp_polygon.h"
#include "sdk/scene.h"

// Source name of the object's "NO MEMORY" reports.
inline constexpr char kPolyObjSource[] = "BSPPolyObj";

// The fill colour of each host polygon, from its material.
class PolygonColours {
 public:
  // Red, green and blue of host polygon `polygon` in 0..1; false when no
  // material applies (the polygon is then grey).
  virtual bool ColourOf(int32_t polygon, Colour& colour) const = 0;

 protected:
  ~PolygonColours() = default;
};

// What capture reads of one host polygon object. Every pointer stays valid
// while the object is rendered.
struct MeshInput {
  const HostVector* points = nullptr;  // in object space, as the host gives them
  int32_t pointCount = 0;
  const PolygonCorners* polygons = nullptr;
  int32_t polygonCount = 0;
  AffineMap matrix;  // the object's global matrix
  // Null when the neighbour structure could not be built: edges then have
  // no neighbours.
  const PolygonNeighbours* neighbours = nullptr;
  const PolygonColours* colours = nullptr;  // null: every polygon grey
};

// One mark per host polygon; an object whose marks could not be allocated
// has none (Exists() is false).
class PolygonSelection {
 public:
  bool Create(int32_t polygonCount);
  bool Exists() const { return exists_; }
  void Select(int32_t polygon);
  bool IsSelected(int32_t polygon) const;

 private:
  Stack<uint8_t> marks_;
  bool exists_ = false;
};

struct BSPPolyObj {
  // The frame's export options (back faces, drawing style) and the object's
  // line settings: the options' defaults or those of its export tag.
  const ExportSettings* options = nullptr;
  LineStyle lineStyle;
  MeshInput mesh;
  Stack<BspPolygon> fragments;  // visible fragments after the passes
  Stack<BspPolygon*> polygons;  // captured polygons, owned
  Stack<Point> points;          // host points in world space
  double boundsMin[3] = {kBoundsUnset, kBoundsUnset, kBoundsUnset};
  double boundsMax[3] = {-kBoundsUnset, -kBoundsUnset, -kBoundsUnset};
  bool boundsValid = false;
  PolygonSelection selection;  // host polygons involved in any occlusion
  int32_t listIndex = 0;       // position in the renderer's object list
  String name;                 // the scene object's name, which the drawing groups its lines by

  // `options` must outlive the object.
  BSPPolyObj(const ExportSettings& frameOptions, const LineStyle& style, const MeshInput& input);
  ~BSPPolyObj();
  BSPPolyObj(const BSPPolyObj&) = delete;
  BSPPolyObj& operator=(const BSPPolyObj&) = delete;

  // Deletes the captured polygons and empties the list.
  void ReleasePolygons();
};
