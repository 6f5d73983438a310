// SVG 1.1 of a drawing, written as text. Parts go into layers, one per kind
// of line and colour ("edges #000000", "fills #c08040"), as groups that
// Inkscape and plotter tools take for layers; the layers come in the order
// their first part is painted, and keep their parts in order; inside a layer
// the parts of one object sit in a plain group labelled with its name. cairo's SVG
// output has no named groups, and for straight-line paths the text is short.
#include <cerrno>
#include <cmath>
#include <string>
#include <vector>

#include "host/api/vexmark_ids.h"
#include "host/drawing_files.h"

namespace host {
namespace {

bool Fills(const HostDrawingPart& part) {
  return (part.paint & kHostPaintFill) != 0;
}
bool Strokes(const HostDrawingPart& part) {
  return (part.paint & kHostPaintStroke) != 0;
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

// A page length in physical units, so that tools do not take the view box's
// numbers for CSS pixels (1/96 inch): millimetres for a sheet of paper.
// Millimetres take three decimals, cut rather than rounded, so that a tool
// that rounds the size up to whole pixels still finds the page's points.
std::string PageLength(int32_t points, int32_t unit) {
  if (unit != kHostUnitMillimetres) return std::to_string(points) + "pt";
  return DrawingNumber(std::floor(points / kPointsPerMm * 1000) / 1000) + "mm";
}

// Text for an attribute: markup characters as entities, control characters,
// which XML does not allow, as spaces.
std::string AttributeText(const char* text) {
  std::string out;
  for (const char* c = text; *c != '\0'; ++c) {
    switch (*c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += static_cast<unsigned char>(*c) < 0x20 ? ' ' : *c;
    }
  }
  return out;
}

const char* ObjectOf(const HostDrawingPart& part) {
  return part.object != nullptr && part.object[0] != '\0' ? part.object : nullptr;
}

// A layer's parts, each run of parts of one object in a plain group named
// after it (a person selects one object's lines by it).
std::string LayerBody(const HostDrawing& drawing, const std::vector<int32_t>& members) {
  std::string body;
  const char* open = nullptr;  // the object whose group is open
  for (const int32_t i : members) {
    const char* object = ObjectOf(drawing.parts[i]);
    if (open != nullptr && (object == nullptr || std::string(object) != open)) body += "</g>\n";
    if (object != nullptr && (open == nullptr || std::string(object) != open))
      body += "<g inkscape:label=\"" + AttributeText(object) + "\">\n";
    open = object;
    body += PathElement(drawing.parts[i]);
  }
  return open != nullptr ? body + "</g>\n" : body;
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
      PageLength(drawing.width, drawing.sizeUnit) + "\" height=\"" +
      PageLength(drawing.height, drawing.sizeUnit) + "\" viewBox=\"0 0 " + width + " " + height +
      "\">\n";
  if (!sink(text.data(), text.size())) return EIO;

  // Layers by name, in the order of their first part.
  std::vector<std::string> names;
  std::vector<std::vector<int32_t>> members;
  for (int32_t i = 0; i < drawing.partCount; ++i) {
    if (!HasPoints(drawing.parts[i])) continue;
    const std::string name = DrawingLayerName(drawing.parts[i]);
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
    text += LayerBody(drawing, members[k]) + "</g>\n";
    if (!sink(text.data(), text.size())) return EIO;
  }
  text = "</svg>\n";
  return sink(text.data(), text.size()) ? 0 : EIO;
}

}  // namespace host
