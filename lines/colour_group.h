// ColourGroup: the region edges of all nodes of one fill colour. The
// colour-region styles (10036, 10037) hand each group over as one list, so
// the outline of a region of one colour is drawn, and filled, as a whole.
#pragma once

#include <cstdint>

#include "core/job.h"
#include "core/stack.h"
#include "lines/edge_emitters.h"
#include "lines/line_group.h"
#include "lines/obj_netz.h"

struct ColourGroup {
  PageColour colour = kOpaqueBlack;
  Stack<EdgeSegment> segments;
};

// Appends the segments to the group of exactly this colour (the groups are
// searched from the last to the first), or to a new group at the end when
// none matches. An empty list neither finds nor creates a group.
void AddToColourGroup(Stack<ColourGroup>& groups, PageColour colour,
                      const Stack<EdgeSegment>& segments);

// The emitter of a node's region edges (edge_emitters.h).
using RegionEmitter = void (*)(const MeshNode& node, Stack<EdgeSegment>& out);

// The region edges of every node, in node order, each into the group of the
// node's colour; the groups keep the order of their colours' first
// appearance. Refreshes the progress display every 1000 nodes.
void CollectRegionEdges(const ObjNetz& net, Stack<ColourGroup>& groups, ExportJob* job = nullptr,
                        RegionEmitter emit = emitRegionEdges);
