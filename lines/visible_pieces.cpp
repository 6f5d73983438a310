// Gathering the fragment edges by host polygon and cancelling inner cuts.
#include "lines/visible_pieces.h"

#include "lines/host_polygon.h"
#include "lines/inner_cuts.h"

namespace {

constexpr int32_t kPolygonsPerProgress = 1000;

bool BelongsToObject(const BspPolygon& fragment, int32_t polygonCount) {
  return fragment.polygonIndex >= 0 && fragment.polygonIndex < polygonCount;
}

}  // namespace

bool CollectVisiblePieces(const Stack<BspPolygon>& fragments, int32_t polygonCount,
                          PiecesByPolygon& pieces) {
  int32_t largest = -1;
  for (int32_t f = 0; f < fragments.Count(); ++f) {
    const BspPolygon& fragment = fragments[f];
    if (BelongsToObject(fragment, polygonCount) && fragment.polygonIndex > largest) {
      largest = fragment.polygonIndex;
    }
  }
  if (largest < 0) return true;
  if (pieces.SetCount(largest + 1) != 0) return false;

  for (int32_t f = 0; f < fragments.Count(); ++f) {
    const BspPolygon& fragment = fragments[f];
    if (!BelongsToObject(fragment, polygonCount)) continue;
    Stack<EdgePiece>& list = pieces[fragment.polygonIndex];
    list.ReserveGrowing(list.Count() + fragment.edges.Count());
    for (int32_t e = 0; e < fragment.edges.Count(); ++e) {
      const BspEdge& edge = fragment.edges[e];
      list.Push(EdgePiece{AsVector(edge.start), AsVector(edge.end), edge.flags});
    }
    if (MemoryErrorFlag::Test() != 0) return false;
  }
  return true;
}

bool CancelAllInnerCuts(const BSPPolyObj& object, PiecesByPolygon& pieces, ExportJob* job) {
  for (int32_t polygon = 0; polygon < pieces.Count(); ++polygon) {
    if (polygon % kPolygonsPerProgress == 0) {
      ReportProgressAgain(job);
      if (ExportCancelled(job)) return false;
    }
    if (pieces[polygon].Empty()) continue;
    HostPolygonOutline outline;
    if (!ReadHostPolygon(object, polygon, outline)) continue;
    cancelInnerCuts(pieces[polygon], outline.corners, outline.cornerCount, job);
    if (MemoryErrorFlag::Test() != 0) return false;
  }
  return true;
}
