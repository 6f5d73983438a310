// The line records between the edge-line stage and the drawing: segments,
// the paint style handed with every segment list, and the line groups of a
// page (one per distinct paint style) that AddPolygon collects.
#pragma once

#include <cstdint>

#include "core/colour.h"
#include "core/geometry.h"
#include "core/stack.h"

// A line segment from a (start) to b (end). World coordinates when the
// edge-line stage emits it; page units after the projection (x right, y down
// from the top edge, z the camera depth).
struct EdgeSegment {
  Vector3d a;
  Vector3d b;
};

// Paint kinds. A group is filled when bit kFillKind is set and stroked when
// any of the line kinds is set; 3 is a filled region with its outline.
constexpr uint32_t kFillKind = 1;
constexpr uint32_t kDrawnEdgeKind = 2;
constexpr uint32_t kRegionEdgeKind = 4;
constexpr uint32_t kCreaseKind = 8;
constexpr uint32_t kInnerEdgeKind = 16;
constexpr uint32_t kLineKinds = kDrawnEdgeKind | kRegionEdgeKind | kCreaseKind | kInnerEdgeKind;

// The paint style of one segment list.
struct LineGroupStyle {
  int32_t kind = 0;
  PageColour colour = kOpaqueWhite;         // fill colour
  PageColour lineColour = kOpaqueBlack;     // stroke colour
  int32_t lineWidth = 1;                    // twentieths of a point; 0 and 1: thinnest
  const void* object = nullptr;             // the scene object; compared only by identity
  const char* objectName = nullptr;         // its name; null: none
};

// The segments of one polygon (or one emitted list) and the object they
// belong to.
struct EpsPolygon {
  const void* object = nullptr;
  const char* objectName = nullptr;  // lives as long as the object
  Stack<EdgeSegment> segments;
};

// All polygons painted in one style.
struct LineGroup {
  uint32_t kind = 0;
  PageColour colour;
  PageColour lineColour;
  int32_t lineWidth = 0;
  const void* object = nullptr;  // the object of the polygon that opened the group
  Stack<EpsPolygon> polygons;
};

// A chained run of points; first and last may coincide.
struct EpsPath {
  Stack<Vector3d> points;
};

// Adds one segment list with its style to the element list: appended as a new
// polygon to the last group of an equal style (kind, both colours, width),
// or as a new group. An empty list changes nothing. False when memory ran out.
bool AddPolygon(Stack<LineGroup>& elements, const Stack<EdgeSegment>& segments,
                const LineGroupStyle& style);
