// ObjNetz, the object net: one node per host polygon of a captured object,
// with its edges, the polygon across each edge, its fill colour and the
// visible pieces of each edge. The drawing styles (object_lines.h) emit
// their lines from it; the emitters (edge_emitters.h) read one node and its
// neighbours at a time.
#pragma once

#include <cstdint>

#include "core/job.h"
#include "core/stack.h"
#include "lines/segment_pool.h"
#include "lines/visible_pieces.h"
#include "polygons/bsp_polygon.h"
#include "polygons/edge_piece.h"

struct BSPPolyObj;

// Source name and report lines of the net's "NO MEMORY" reports.
inline constexpr char kObjNetzSource[] = "ObjNetz";
struct ObjNetzReportLine {
  static constexpr int32_t kNeighbourService = 23;
  static constexpr int32_t kNodeArray = 27;
};

// One host polygon. A polygon that cannot be drawn (first two point indices
// equal, or a corner that is no point of the object) keeps vertexCount 0:
// no edges, no pieces, no lines.
struct MeshNode {
  int32_t vertexCount = 0;  // 3 for a triangle, 4 for a quadrangle
  int32_t polygonIndex = -1;
  PageColour colour = kOpaqueBlack;
  int32_t cornerPoints[4] = {0, 0, 0, 0};  // indices into `points`
  const Point* points = nullptr;           // the object's world points
  Stack<EdgePiece> innerPieces;            // surviving cuts inside the polygon
  Stack<EdgePiece> edgePieces[4];          // visible pieces lying on edge k
  MeshNode* neighbours[4] = {nullptr, nullptr, nullptr, nullptr};  // across edge k

  // Corner k and edge k (from corner k to corner k + 1) in world space.
  // Read from the object's points when asked rather than stored: a net
  // holds a node per host polygon, and stored corners or edges were most of
  // its size.
  Vector3d Corner(int32_t k) const { return AsVector(points[cornerPoints[k]]); }
  Segment3D Edge(int32_t k) const {
    return MakeSegment3D(Corner(k), Corner((k + 1) % vertexCount), 0, 0);
  }
};

// The nodes, indexed by host polygon index. Nodes point at each other, so
// the net is never copied.
struct ObjNetz {
  Stack<MeshNode> nodes;

  ObjNetz() = default;
  ObjNetz(const ObjNetz&) = delete;
  ObjNetz& operator=(const ObjNetz&) = delete;
};

// Where a piece goes that lies on two edges running over each other, as
// the two long edges of a triangle with two corners in one point do: onto
// the last of them, or onto the one that runs the piece's way. A fragment's
// outline keeps the polygon's turn, so only the second puts each piece
// where the neighbour across that edge looks for it; the line styles keep
// the first.
enum class OverlappingEdges { kLast, kRunningItsWay };

// Builds the net of `object`: a node per host polygon with its edges from
// the object's world points and its neighbours from the object's neighbour
// service (one is built from the polygon list when the object has none);
// then the colour of each node from `fragments`, the object's visible
// renderer polygons, and the pieces of `pieces` distributed onto the edges
// they lie on (pieces with EdgeOriginal) or into innerPieces (the others).
// Refreshes the progress display every 1000 polygons. Memory failures are
// reported (lines 23 and 27) and leave the memory-error flag set.
void buildNet(ObjNetz& net, const BSPPolyObj& object, const Stack<BspPolygon>& fragments,
              PiecesByPolygon& pieces, ExportJob* job = nullptr,
              OverlappingEdges overlapping = OverlappingEdges::kLast);
