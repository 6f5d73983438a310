// The line-group collector: one group per distinct paint style, in the order
// in which the styles first occur.
#include "lines/line_group.h"

namespace {

bool StyleMatches(const LineGroup& group, const LineGroupStyle& style) {
  return group.kind == static_cast<uint32_t>(style.kind) && group.colour == style.colour &&
         group.lineColour == style.lineColour && group.lineWidth == style.lineWidth;
}

// Index of the last group painted in `style`, or -1.
int32_t FindGroup(const Stack<LineGroup>& elements, const LineGroupStyle& style) {
  for (int32_t i = elements.Count() - 1; i >= 0; --i) {
    if (StyleMatches(elements[i], style)) return i;
  }
  return -1;
}

}  // namespace

bool AddPolygon(Stack<LineGroup>& elements, const Stack<EdgeSegment>& segments,
                const LineGroupStyle& style) {
  if (segments.Empty()) return true;
  if (MemoryErrorFlag::Test() != 0) return false;

  int32_t groupIndex = FindGroup(elements, style);
  if (groupIndex < 0) {
    LineGroup group;
    group.kind = static_cast<uint32_t>(style.kind);
    group.colour = style.colour;
    group.lineColour = style.lineColour;
    group.lineWidth = style.lineWidth;
    group.object = style.object;
    elements.Push(group);
    if (MemoryErrorFlag::Test() != 0) return false;
    groupIndex = elements.Count() - 1;
  }

  EpsPolygon polygon;
  polygon.object = style.object;
  polygon.objectName = style.objectName;
  polygon.segments = segments;
  if (MemoryErrorFlag::Test() != 0) return false;
  elements[groupIndex].polygons.Push(polygon);
  return MemoryErrorFlag::Test() == 0;
}
