// Sorting region edges into colour groups.
#include "lines/colour_group.h"

#include "lines/edge_emitters.h"

namespace {

constexpr int32_t kNodesPerProgress = 1000;

int32_t FindColourGroup(const Stack<ColourGroup>& groups, PageColour colour) {
  for (int32_t g = groups.Count() - 1; g >= 0; --g) {
    if (groups[g].colour == colour) return g;
  }
  return -1;
}

}  // namespace

void AddToColourGroup(Stack<ColourGroup>& groups, PageColour colour,
                      const Stack<EdgeSegment>& segments) {
  if (segments.Empty()) return;
  int32_t g = FindColourGroup(groups, colour);
  if (g < 0) {
    ColourGroup group;
    group.colour = colour;
    groups.Push(group);
    if (MemoryErrorFlag::Test() != 0) return;
    g = groups.Count() - 1;
  }
  Stack<EdgeSegment>& target = groups[g].segments;
  for (int32_t i = 0; i < segments.Count() && MemoryErrorFlag::Test() == 0; ++i) {
    target.Push(segments[i]);
  }
}

void CollectRegionEdges(const ObjNetz& net, Stack<ColourGroup>& groups, ExportJob* job,
                        RegionEmitter emit) {
  Stack<EdgeSegment> nodeEdges;
  for (int32_t i = 0; i < net.nodes.Count() && MemoryErrorFlag::Test() == 0; ++i) {
    if (i % kNodesPerProgress == 0) ReportProgressAgain(job);
    while (!nodeEdges.Empty()) nodeEdges.Pop();
    emit(net.nodes[i], nodeEdges);
    AddToColourGroup(groups, net.nodes[i].colour, nodeEdges);
  }
}
