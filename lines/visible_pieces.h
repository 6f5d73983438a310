// The visible pieces of an object's host polygons: the edges of every
// fragment that the renderer left, gathered by the host polygon the fragment
// comes from, with the cuts that the renderer made inside each polygon
// cancelled where two of its pieces share them.
#pragma once

#include <cstdint>

#include "polygons/bsp_polygon.h"
#include "core/job.h"
#include "core/stack.h"
#include "polygons/edge_piece.h"

struct BSPPolyObj;
struct ExportSettings;

// One list of pieces per host polygon index.
using PiecesByPolygon = Stack<Stack<EdgePiece>>;

// Sizes `pieces` to the largest host polygon index among the fragments plus
// one and appends every fragment edge to the list of its host polygon.
// Fragments that name no host polygon below `polygonCount` belong to no
// polygon of the object and are left out. False on memory failure.
bool CollectVisiblePieces(const Stack<BspPolygon>& fragments, int32_t polygonCount,
                          PiecesByPolygon& pieces);

// Cancels the inner cuts of every host polygon that has pieces. Refreshes
// the progress display and makes the stop test of `job` every 1000 host
// polygons. False when stopped or on memory failure.
bool CancelAllInnerCuts(const BSPPolyObj& object, PiecesByPolygon& pieces,
                        ExportJob* job);
