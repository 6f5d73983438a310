// Building the object net: nodes with edges and neighbours, colours, and the
// visible pieces put onto the edges they lie on.
#include "lines/obj_netz.h"

#include "capture/bsp_poly_obj.h"
#include "capture/edge_neighbours.h"
#include "lines/host_polygon.h"
#include "lines/segment_overlap.h"

namespace {

constexpr int32_t kPolygonsPerProgress = 1000;
// A piece lies on an edge when both its ends are within this of the edge.
constexpr double kOnEdgeTolerance = 0.0001;

// The object's own neighbour service, or else one built here over its
// polygon list; null (after the line-23 report) when that fails.
const PolygonNeighbours* NeighbourService(const BSPPolyObj& object, EdgeNeighbourTable& built) {
  const MeshInput& mesh = object.mesh;
  if (mesh.neighbours != nullptr) return mesh.neighbours;
  if (mesh.polygons != nullptr && built.Build(mesh.polygons, mesh.polygonCount)) return &built;
  ReportNoMemory(kObjNetzSource, ObjNetzReportLine::kNeighbourService);
  return nullptr;
}

void FillNode(MeshNode& node, const HostPolygonOutline& outline, const Point* points) {
  const int32_t n = outline.cornerCount;
  node.vertexCount = n;
  node.points = points;
  for (int32_t k = 0; k < n; ++k) node.cornerPoints[k] = outline.pointIndices[k];
}

void LinkNeighbours(ObjNetz& net, int32_t polygon, const HostPolygonOutline& outline,
                    const PolygonNeighbours& service) {
  MeshNode& node = net.nodes[polygon];
  const int32_t n = outline.cornerCount;
  for (int32_t k = 0; k < n; ++k) {
    const int32_t across =
        PolygonAcross(service, polygon, outline.pointIndices[k], outline.pointIndices[(k + 1) % n]);
    if (across >= 0 && across < net.nodes.Count()) node.neighbours[k] = &net.nodes[across];
  }
}

// A later fragment of the same host polygon overwrites an earlier colour.
void CopyColours(ObjNetz& net, const Stack<BspPolygon>& fragments) {
  for (int32_t f = 0; f < fragments.Count(); ++f) {
    const BspPolygon& fragment = fragments[f];
    if (fragment.polygonIndex < 0 || fragment.polygonIndex >= net.nodes.Count()) continue;
    net.nodes[fragment.polygonIndex].colour = fragment.colour;
  }
}

bool EndLiesOnEdge(const Vector3d& p, const Segment3D& edge) {
  return SameWithin(p, edge.p0, kOnEdgeTolerance) || SameWithin(p, edge.p1, kOnEdgeTolerance) ||
         Inside(ViewOf(edge), p, kOnEdgeTolerance);
}

bool PieceLiesOnEdge(const EdgePiece& piece, const Segment3D& edge) {
  return EndLiesOnEdge(piece.start, edge) && EndLiesOnEdge(piece.end, edge);
}

// The edge the piece lies on, searched from the last edge down; -1 for none.
// `overlapping` chooses among edges that run over each other.
int32_t EdgeOfPiece(const MeshNode& node, const EdgePiece& piece, OverlappingEdges overlapping) {
  int32_t first = -1;
  for (int32_t k = node.vertexCount - 1; k >= 0; --k) {
    const Segment3D edge = node.Edge(k);
    if (!PieceLiesOnEdge(piece, edge)) continue;
    if (overlapping == OverlappingEdges::kLast) return k;
    if (first < 0) first = k;
    if (Dot(piece.end - piece.start, edge.dir) > 0.0) return k;
  }
  return first;
}

// Moves the pieces of one host polygon into its node. Pieces of a polygon
// without a node, and original pieces on none of its edges, are dropped.
void DistributePieces(MeshNode& node, Stack<EdgePiece>& pieces, OverlappingEdges overlapping) {
  for (int32_t i = 0; i < pieces.Count() && node.vertexCount > 0; ++i) {
    const EdgePiece& piece = pieces[i];
    if ((piece.flags & EdgeOriginal) == 0) {
      node.innerPieces.Push(piece);
      continue;
    }
    const int32_t k = EdgeOfPiece(node, piece, overlapping);
    if (k >= 0) node.edgePieces[k].Push(piece);
  }
  pieces.Clear();
}

}  // namespace

void buildNet(ObjNetz& net, const BSPPolyObj& object, const Stack<BspPolygon>& fragments,
              PiecesByPolygon& pieces, ExportJob* job, OverlappingEdges overlapping) {
  EdgeNeighbourTable builtNeighbours;
  const PolygonNeighbours* service = NeighbourService(object, builtNeighbours);
  // Without memory the object ends anyway; sizing the nodes would only
  // report a second failure.
  if (MemoryErrorFlag::Test() != 0) return;

  const int32_t polygonCount = object.mesh.polygonCount;
  if (polygonCount <= 0) return;
  if (net.nodes.SetCount(polygonCount) != 0) {
    ReportNoMemory(kObjNetzSource, ObjNetzReportLine::kNodeArray);
    return;
  }

  for (int32_t polygon = 0; polygon < polygonCount; ++polygon) {
    if (polygon % kPolygonsPerProgress == 0) ReportProgressAgain(job);
    MeshNode& node = net.nodes[polygon];
    node.polygonIndex = polygon;
    HostPolygonOutline outline;
    if (!ReadHostPolygon(object, polygon, outline)) continue;
    if (service != nullptr) LinkNeighbours(net, polygon, outline, *service);
    FillNode(node, outline, object.points.Items());
  }

  CopyColours(net, fragments);

  for (int32_t polygon = 0; polygon < pieces.Count() && polygon < polygonCount; ++polygon) {
    DistributePieces(net.nodes[polygon], pieces[polygon], overlapping);
    if (MemoryErrorFlag::Test() != 0) return;
  }
}
