// SVG 1.1 of a drawing, written as text. Parts go into layers, one per kind
// of line and colour ("edges #000000", "fills #c08040"), as groups that
// Inkscape and plotter tools take for layers; the layers come in the order
// their first part is painted, and keep their parts in order. cairo's SVG
// output has no named groups, and for straight-line paths the text is short.
#include <cctype>
#include <cerrno>
#include <string>
#include <vector>

#include "host/drawing_files.h"

namespace host {
namespace {

bool Fills(const HostDrawingPart& part) {
  return (part.paint & kHostPaintFill) != 0;
}
bool Strokes(const HostDrawingPart& part) {
  return (part.paint & kHostPaintStroke) != 0;
}

// The colour a layer is known by: the fill of filled parts, else the stroke.
std::string LayerColour(const HostDrawingPart& part) {
  return DrawingColour(Fills(part) ? part.fill : part.stroke);
}

std::string LayerName(const HostDrawingPart& part) {
  const std::string kind = part.layer != nullptr && part.layer[0] != '\0' ? part.layer : "lines";
  std::string safe;  // the name goes into an attribute and an id
  for (char c : kind) safe += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '-';
  return safe + " " + LayerColour(part);
}

std::string PathData(const HostDrawingPart& part) {
  std::string d;
  for (int32_t p = 0; p < part.pathCount; ++p) {
    const HostDrawingPath& path = part.paths[p];
    for (int32_t i = 0; i < path.count; ++i) {
      d += d.empty() ? "" : " ";
      d += (i == 0 ? "M" : "L") + DrawingNumber(path.xy[2 * i]) + " " +
           DrawingNumber(path.xy[2 * i + 1]);
    }
    if (path.count > 0 && Fills(part)) d += " Z";
  }
  return d;
}

std::string PathElement(const HostDrawingPart& part) {
  std::string element = "<path d=\"" + PathData(part) + "\"";
  element += Fills(part) ? " fill=\"" + DrawingColour(part.fill) + "\"" : " fill=\"none\"";
  if (Strokes(part)) {
    element += " stroke=\"" + DrawingColour(part.stroke) + "\" stroke-miterlimit=\"10\"";
    // The thinnest line: one pixel at any zoom.
    element += part.lineWidth > 0
                   ? " stroke-width=\"" + DrawingNumber(part.lineWidth) + "\""
                   : std::string(" stroke-width=\"1\" vector-effect=\"non-scaling-stroke\"");
  }
  return element + "/>\n";
}

bool HasPoints(const HostDrawingPart& part) {
  for (int32_t p = 0; p < part.pathCount; ++p)
    if (part.paths[p].count > 0) return true;
  return false;
}

}  // namespace

int WriteSvgDrawing(const HostDrawing& drawing, const DrawingSink& sink) {
  const std::string width = std::to_string(drawing.width);
  const std::string height = std::to_string(drawing.height);
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" "
      "xmlns:inkscape=\"http://www.inkscape.org/namespaces/inkscape\" version=\"1.1\" width=\"" +
      width + "\" height=\"" + height + "\" viewBox=\"0 0 " + width + " " + height + "\">\n";
  if (!sink(text.data(), text.size())) return EIO;

  // Layers by name, in the order of their first part.
  std::vector<std::string> names;
  std::vector<std::vector<int32_t>> members;
  for (int32_t i = 0; i < drawing.partCount; ++i) {
    if (!HasPoints(drawing.parts[i])) continue;
    const std::string name = LayerName(drawing.parts[i]);
    size_t k = 0;
    while (k < names.size() && names[k] != name) ++k;
    if (k == names.size()) {
      names.push_back(name);
      members.emplace_back();
    }
    members[k].push_back(i);
  }
  for (size_t k = 0; k < names.size(); ++k) {
    std::string id = "layer-";
    for (const char c : names[k])
      if (c != '#') id += c == ' ' ? '-' : c;
    text =
        "<g id=\"" + id + "\" inkscape:groupmode=\"layer\" inkscape:label=\"" + names[k] + "\">\n";
    for (const int32_t i : members[k]) text += PathElement(drawing.parts[i]);
    text += "</g>\n";
    if (!sink(text.data(), text.size())) return EIO;
  }
  text = "</svg>\n";
  return sink(text.data(), text.size()) ? 0 : EIO;
}

}  // namespace host
