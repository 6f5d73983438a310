// Sorting region edges into colour groups.
#include "lines/color_group.h"

#include <cstring>

#include "lines/edge_emitters.h"

namespace {

constexpr int32_t kNodesPerProgress = 1000;

int32_t FindColorGroup(const Stack<ColorGroup>& groups, const uint8_t color[4]) {
  for (int32_t g = groups.Count() - 1; g >= 0; --g) {
    if (std::memcmp(groups[g].color, color, sizeof groups[g].color) == 0) return g;
  }
  return -1;
}

}  // namespace

void AddToColorGroup(Stack<ColorGroup>& groups, const uint8_t color[4],
                     const Stack<EdgeSegment>& segments) {
  if (segments.Empty()) return;
  int32_t g = FindColorGroup(groups, color);
  if (g < 0) {
    ColorGroup group;
    std::memcpy(group.color, color, sizeof group.color);
    groups.Push(group);
    if (MemoryErrorFlag::Test() != 0) return;
    g = groups.Count() - 1;
  }
  Stack<EdgeSegment>& target = groups[g].segments;
  for (int32_t i = 0; i < segments.Count() && MemoryErrorFlag::Test() == 0; ++i) {
    target.Push(segments[i]);
  }
}

void CollectRegionEdges(const ObjNetz& net, Stack<ColorGroup>& groups, ExportJob* job,
                        RegionEmitter emit) {
  Stack<EdgeSegment> nodeEdges;
  for (int32_t i = 0; i < net.nodes.Count() && MemoryErrorFlag::Test() == 0; ++i) {
    if (i % kNodesPerProgress == 0) ReportProgressAgain(job);
    while (!nodeEdges.Empty()) nodeEdges.Pop();
    emit(net.nodes[i], nodeEdges);
    AddToColorGroup(groups, net.nodes[i].color, nodeEdges);
  }
}
