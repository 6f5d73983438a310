#include "output/drawing_file.h"

#include "core/export_settings.h"
#include "eps/eps_document.h"

namespace {

// A page colour as the host's description carries it: RGBA bytes.
void ToWireColour(PageColour colour, uint8_t (&rgba)[4]) {
  rgba[0] = colour.r;
  rgba[1] = colour.g;
  rgba[2] = colour.b;
  rgba[3] = colour.a;
}

// The drawing as the host's plain description; its arrays live as long as
// this record.
class HostDescription {
 public:
  ~HostDescription() {
    HostDeleteArray(parts_);
    HostDeleteArray(paths_);
    HostDeleteArray(xy_);
  }

  // False when memory ran out or the drawing is too large to describe.
  bool Make(const Drawing& drawing, double pixelsPerPoint) {
    const Stack<DrawingPart>& parts = drawing.parts;
    int64_t pathCount = 0;
    int64_t pointCount = 0;
    for (int32_t i = 0; i < parts.Count(); ++i) {
      pathCount += parts[i].paths.Count();
      for (int32_t p = 0; p < parts[i].paths.Count(); ++p)
        pointCount += parts[i].paths[p].points.Count();
    }
    if (pathCount > kMaxCount || pointCount > kMaxCount / 2) return false;
    description_.width = drawing.width;
    description_.height = drawing.height;
    description_.pixelsPerPoint = pixelsPerPoint;
    description_.sizeUnit = drawing.onPaper ? kHostUnitMillimetres : kHostUnitPoints;
    description_.partCount = parts.Count();
    if (parts.Count() == 0) return true;
    parts_ = HostNewArray<HostDrawingPart>(parts.Count());
    paths_ =
        pathCount > 0 ? HostNewArray<HostDrawingPath>(static_cast<int32_t>(pathCount)) : nullptr;
    xy_ = pointCount > 0 ? HostNewArray<double>(static_cast<int32_t>(2 * pointCount)) : nullptr;
    if (parts_ == nullptr || (pathCount > 0 && paths_ == nullptr) ||
        (pointCount > 0 && xy_ == nullptr))
      return false;
    HostDrawingPath* path = paths_;
    double* xy = xy_;
    for (int32_t i = 0; i < parts.Count(); ++i) {
      const DrawingPart& from = parts[i];
      HostDrawingPart& to = parts_[i];
      Describe(from.paint, to);
      to.object = from.object.Empty() ? nullptr : from.object.Text();
      to.paths = path;
      to.pathCount = from.paths.Count();
      for (int32_t p = 0; p < from.paths.Count(); ++p, ++path) {
        const Stack<Vector3d>& points = from.paths[p].points;
        path->xy = xy;
        path->count = points.Count();
        for (int32_t k = 0; k < points.Count(); ++k) {
          *xy++ = points[k].x;
          *xy++ = points[k].y;
        }
      }
    }
    description_.parts = parts_;
    return true;
  }

  const HostDrawing& Get() const { return description_; }

 private:
  static constexpr int64_t kMaxCount = 0x3fffffff;

  static void Describe(const PathPaint& paint, HostDrawingPart& part) {
    part.paint = ((paint.kind & kFillKind) != 0 ? kHostPaintFill : 0) |
                 ((paint.kind & kLineKinds) != 0 ? kHostPaintStroke : 0);
    ToWireColour(paint.colour, part.fill);
    ToWireColour(paint.lineColour, part.stroke);
    // Widths 0 and 1 are the thinnest line, as in the EPS body.
    part.lineWidth = paint.lineWidth > 1 ? paint.lineWidth / double{kTwentiethsPerPoint} : 0.0;
    part.layer = LayerOf(paint);
  }

  HostDrawing description_{};
  HostDrawingPart* parts_ = nullptr;
  HostDrawingPath* paths_ = nullptr;
  double* xy_ = nullptr;
};

// What the contents of a file need besides the writer and the name.
struct FileContext {
  const FrameFile& file;
  const Drawing& drawing;
  const HostDrawing* description;  // null for EPS
};

void HostDrawnContents(HostFileWriter* writer, const String&, const void* context) {
  const FileContext& c = *static_cast<const FileContext*>(context);
  if (!ExportCancelled(c.file.job))
    writer->WriteDrawing(HostFormatOf(c.file.fileName), *c.description);
}

void EpsContents(HostFileWriter* writer, const String& fileName, const void* context) {
  const FileContext& c = *static_cast<const FileContext*>(context);
  const EpsPage page{c.drawing, DrawingSuffix(c.file.fileName) == "eps", c.file.job};
  WriteEpsDocument(page, writer, FilenameFilePart(fileName));
}

bool WriteHostDrawnFile(const FrameFile& file, const Drawing& drawing, int32_t frame) {
  if (!HostDrawsDrawings()) {
    const String fileName = FrameFileName(file, frame);
    ConsolePrint((String("Not written: ") + fileName + ": this host cannot write ." +
                  DrawingSuffix(fileName) + " files (it needs host interface 7900)")
                     .Text());
    return false;
  }
  HostDescription description;
  if (!description.Make(drawing, file.pixelsPerPoint)) {
    MemoryErrorFlag::Set();  // the frame has no file: the run must not pass for complete
    return false;
  }
  const FileContext context{file, drawing, &description.Get()};
  return WriteFrameFile(file, frame, &HostDrawnContents, &context);
}

}  // namespace

int32_t HostFormatOf(const String& fileName) {
  const String suffix = DrawingSuffix(fileName);
  if (suffix == "svg") return kHostDrawingSvg;
  if (suffix == "pdf") return kHostDrawingPdf;
  if (suffix == "png") return kHostDrawingPng;
  return 0;
}

const char* LayerOf(const PathPaint& paint) {
  if ((paint.kind & kFillKind) != 0) return "fills";
  if ((paint.kind & kCreaseKind) != 0) return "creases";
  if ((paint.kind & (kRegionEdgeKind | kInnerEdgeKind)) != 0) return "region-lines";
  return "edges";
}

bool WriteDrawingFile(const FrameFile& file, const Drawing& drawing, int32_t frame) {
  if (HostFormatOf(file.fileName) != 0) return WriteHostDrawnFile(file, drawing, frame);
  const FileContext context{file, drawing, nullptr};
  return WriteFrameFile(file, frame, &EpsContents, &context);
}

bool DescribeDrawing(const Drawing& drawing, double pixelsPerPoint,
                     void (*take)(void* context, const HostDrawing* description), void* context) {
  HostDescription description;
  if (!description.Make(drawing, pixelsPerPoint)) return false;
  take(context, &description.Get());
  return true;
}
