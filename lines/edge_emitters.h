// The per-node emitters of the drawing styles. Each appends the segments
// that one node of the object net contributes to `out`:
//  - emitDrawnEdges: the pieces flagged EdgeDrawn, shared edges once;
//  - emitCreaseEdges: the pieces flagged EdgeCrease, shared edges once;
//  - emitInnerPieces: the surviving cuts inside the polygon;
//  - emitRegionEdges: the cuts and every edge piece, except where a
//    neighbour of the same colour shows the same stretch;
//  - emitFillEdges: the same for the outline of a filled region, where in
//    addition a piece that lies wholly within the covering tolerance of
//    one of the neighbour's pieces counts as shown by it: a piece shorter
//    than the tolerance at the end of the neighbour's piece, which the
//    overlap cases cannot take, would be a stray stub of outline.
//
// Shared edges: of two nodes that list each other across an edge, the one
// with the larger polygon index emits all its pieces there and the other
// only what its neighbour does not show, so a stretch that both show is
// emitted once.
#pragma once

#include <cstdint>

#include "core/stack.h"
#include "lines/line_group.h"
#include "lines/obj_netz.h"

void emitDrawnEdges(const MeshNode& node, Stack<EdgeSegment>& out);
void emitInnerPieces(const MeshNode& node, Stack<EdgeSegment>& out);
void emitCreaseEdges(const MeshNode& node, Stack<EdgeSegment>& out);
void emitRegionEdges(const MeshNode& node, Stack<EdgeSegment>& out);
void emitFillEdges(const MeshNode& node, Stack<EdgeSegment>& out);

// The edge of the neighbour across edge k of `node` that leads back to the
// node: the one with the same two corners when there is one, else the first
// that lists the node; -1 when there is no neighbour or it does not list the
// node.
int32_t SharedEdgeIndex(const MeshNode& node, int32_t k);
