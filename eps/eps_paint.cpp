// Paint and path lines of the EPS body.
#include "eps/eps_paint.h"

#include "core/export_settings.h"
#include "eps/eps_line.h"

namespace {

constexpr double kColourDivisor = 255.0;

bool Fills(uint32_t kind) {
  return (kind & kFillKind) != 0;
}
bool Strokes(uint32_t kind) {
  return (kind & kLineKinds) != 0;
}

int32_t WriteColour(HostFileWriter* file, PageColour colour, const char* operatorName) {
  const String text = FormatColourComponent(colour.r) + " " + FormatColourComponent(colour.g) +
                      " " + FormatColourComponent(colour.b) + " " + operatorName;
  return WriteLine(file, text, true);
}

String PointLine(const EpsPage& page, const Vector3d& p, const char* operatorName) {
  const double flippedY = static_cast<double>(page.drawing.height) - p.y;
  return FormatCoordinate(p.x) + " " + FormatCoordinate(flippedY) + " " + operatorName;
}

bool AnyPoints(const Stack<EpsPath>& paths) {
  for (int32_t i = 0; i < paths.Count(); ++i) {
    if (!paths[i].points.Empty()) return true;
  }
  return false;
}

}  // namespace

String FormatCoordinate(double value) {
  return String::FromReal(static_cast<float>(value), -1, -1, false, '0');
}

String FormatColourComponent(uint8_t byte) {
  const float fraction = static_cast<float>(byte / kColourDivisor);
  return String::FromReal(fraction, 1, 5, false, '0');
}

int32_t WriteFillColour(const EpsPage&, HostFileWriter* file, PageColour colour) {
  return WriteColour(file, colour, "Xa");
}

int32_t WriteStrokeColour(const EpsPage&, HostFileWriter* file, PageColour colour) {
  return WriteColour(file, colour, "XA");
}

int32_t WriteLineWidth(const EpsPage&, HostFileWriter* file, int32_t width) {
  const double points = width > 1 ? width / double{kTwentiethsPerPoint} : 0.0;
  return WriteLine(file, FormatCoordinate(points) + " w", true);
}

int32_t WritePath(const EpsPage& page, HostFileWriter* file, const EpsPath& path,
                  const PathPaint& element) {
  const Stack<Vector3d>& points = path.points;
  if (points.Empty()) return 1;
  WriteLine(file, PointLine(page, points[0], "m"), true);
  for (int32_t i = 1; i < points.Count(); ++i)
    WriteLine(file, PointLine(page, points[i], "l"), true);
  const char* paint = Fills(element.kind) ? (Strokes(element.kind) ? "b" : "f") : "S";
  WriteLine(file, paint, true);
  return 1;
}

int32_t WritePathGroup(const EpsPage& page, HostFileWriter* file, const Stack<EpsPath>& paths,
                       const PathPaint& element) {
  if (!AnyPoints(paths)) return 1;
  WriteLine(file, "*u", true);
  WriteLine(file, "0 XR", true);
  WriteLine(file, "[] 0 d", true);
  if (Fills(element.kind)) WriteFillColour(page, file, element.colour);
  if (Strokes(element.kind)) {
    WriteStrokeColour(page, file, element.lineColour);
    WriteLineWidth(page, file, element.lineWidth);
  }
  for (int32_t i = 0; i < paths.Count(); ++i) WritePath(page, file, paths[i], element);
  WriteLine(file, "*U", true);
  return 1;
}
