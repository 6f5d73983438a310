// drawObjectLines: release the captured polygons, collect the visible
// pieces, build the net, release the fragments, emit the stages of the
// drawing style.
#include "lines/object_lines.h"

#include "core/export_settings.h"
#include "host/api/vexmark_ids.h"
#include "lines/colour_group.h"
#include "lines/edge_emitters.h"
#include "lines/obj_netz.h"
#include "lines/visible_pieces.h"

namespace {

constexpr int32_t kNodesPerProgress = 1000;
constexpr int32_t kThinnestLine = 1;

using NodeEmitter = void (*)(const MeshNode& node, Stack<EdgeSegment>& out);

// One object's run: its net, where its lines go, and how it is stopped.
class ObjectDrawing {
 public:
  ObjectDrawing(BSPPolyObj& object, const ObjNetz& net, Stack<LineGroup>& elements, ExportJob& job)
      : object_(object), net_(net), elements_(elements), job_(job) {}

  // Runs the stages of the style. False when a stop request or a memory
  // failure ended the run between two stages; a memory failure within a
  // stage ends that stage.
  bool DrawStyle(int32_t style) {
    switch (style) {
      case kStyleAllEdges:
        HandOverAll(emitDrawnEdges, kDrawnEdgeKind);
        return true;
      case kStyleVisibleEdges:
        return DrawVisibleEdges();
      case kStyleEdgeLines:
        return DrawEdgeLines();
      case kStyleFilled:
        return DrawFilledRegions();
      default:
        return true;  // no lines in an unknown style
    }
  }

 private:
  bool DrawVisibleEdges() {
    HandOverAll(emitDrawnEdges, kDrawnEdgeKind);
    if (!object_.lineStyle.outlineLines) return true;
    if (Interrupted()) return false;
    HandOverAll(emitInnerPieces, kInnerEdgeKind);
    return true;
  }

  bool DrawEdgeLines() {
    Stack<ColourGroup> groups;
    CollectRegionEdges(net_, groups, &job_);
    for (int32_t g = 0; g < groups.Count(); ++g) {
      if (!HandOver(groups[g].segments, kInnerEdgeKind, kOpaqueWhite)) break;
    }
    return DrawCreases();
  }

  bool DrawFilledRegions() {
    Stack<ColourGroup> groups;
    CollectRegionEdges(net_, groups, &job_, emitFillEdges);
    const bool outlines = object_.lineStyle.outlineLines;
    const int32_t regionKind = outlines ? kFillKind | kDrawnEdgeKind : kFillKind;
    for (int32_t g = 0; g < groups.Count(); ++g) {
      const ColourGroup& group = groups[g];
      if (!HandOver(group.segments, regionKind, group.colour)) break;
      if (outlines && !HandOver(group.segments, kInnerEdgeKind, group.colour)) break;
      if (!HandOver(group.segments, kRegionEdgeKind, group.colour)) break;
    }
    return DrawCreases();
  }

  // The crease stage that ends styles 10036 and 10037.
  bool DrawCreases() {
    if (!object_.lineStyle.creaseLines) return true;
    if (Interrupted()) return false;
    HandOverAll(emitCreaseEdges, kCreaseKind);
    return true;
  }

  // The emitter's segments of all nodes, in node order, as one white list.
  void HandOverAll(NodeEmitter emit, int32_t kind) {
    Stack<EdgeSegment> segments;
    for (int32_t i = 0; i < net_.nodes.Count() && MemoryErrorFlag::Test() == 0; ++i) {
      if (i % kNodesPerProgress == 0) ReportProgressAgain(job_);
      emit(net_.nodes[i], segments);
    }
    HandOver(segments, kind, kOpaqueWhite);
  }

  // False on memory failure.
  bool HandOver(const Stack<EdgeSegment>& segments, int32_t kind, PageColour colour) {
    if (MemoryErrorFlag::Test() != 0) return false;
    return AddPolygon(elements_, segments, ObjectLineStyle(object_, kind, colour));
  }

  bool Interrupted() const { return MemoryErrorFlag::Test() != 0 || ExportCancelled(job_); }

  BSPPolyObj& object_;
  const ObjNetz& net_;
  Stack<LineGroup>& elements_;
  ExportJob& job_;
};

}  // namespace

LineGroupStyle ObjectLineStyle(const BSPPolyObj& object, int32_t kind, PageColour colour) {
  LineGroupStyle style;
  style.kind = kind;
  style.colour = colour;
  style.lineColour = object.lineStyle.linePageColour;
  const int32_t points = ClampLineWidth(object.lineStyle.lineWidth);
  style.lineWidth = points == 0 ? kThinnestLine : points * kTwentiethsPerPoint;
  style.object = &object;
  style.objectName = object.name.Text();
  return style;
}

bool drawObjectLines(BSPPolyObj& object, Stack<LineGroup>& elements, ExportJob& job) {
  // The captured polygons served the passes only; the fragments are needed
  // until the net is built. Each goes as early as it can, so that the net
  // and the lines do not come on top of them.
  object.ReleasePolygons();
  PiecesByPolygon pieces;
  if (!CollectVisiblePieces(object.fragments, object.mesh.polygonCount, pieces)) return false;
  if (!CancelAllInnerCuts(object, pieces, &job)) return false;

  ObjNetz net;
  // A filled region needs each piece on the edge that runs its way; the
  // line styles keep their drawings as they were.
  const OverlappingEdges overlapping = object.options->drawingStyle == kStyleFilled
                                           ? OverlappingEdges::kRunningItsWay
                                           : OverlappingEdges::kLast;
  buildNet(net, object, object.fragments, pieces, &job, overlapping);
  object.fragments.Clear();
  if (MemoryErrorFlag::Test() != 0 || ExportCancelled(job)) return false;

  ObjectDrawing drawing(object, net, elements, job);
  if (!drawing.DrawStyle(object.options->drawingStyle)) return false;
  return MemoryErrorFlag::Test() == 0;
}
