// A one-page PDF of a drawing, written as text: the page is the picture
// size in points and its content paints the parts with the same operators
// as the EPS body. Written here rather than with cairo, whose version in
// Debian drops strokes of width 0, the thinnest line that widths 0 and 1 ask
// for; PDF's own "0 w" is that line.
//
// The content stream is compressed (Flate). Each layer of the SVG is an
// optional content group of the same name, and each part is marked as
// content of its group, so that viewers and editors list the layers.
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "host/drawing_files.h"

namespace host {
namespace {

std::string Component(uint8_t byte) {
  char text[16];
  std::snprintf(text, sizeof text, "%.5f", byte / 255.0);
  std::string number = text;
  number.erase(number.find_last_not_of('0') + 1);
  if (number.back() == '.') number.pop_back();
  return number;
}

std::string Colour(const uint8_t rgba[4], const char* op) {
  return Component(rgba[0]) + " " + Component(rgba[1]) + " " + Component(rgba[2]) + " " + op + "\n";
}

bool Painted(const HostDrawingPart& part) {
  if ((part.paint & (kHostPaintFill | kHostPaintStroke)) == 0) return false;
  for (int32_t p = 0; p < part.pathCount; ++p)
    if (part.paths[p].count > 0) return true;
  return false;
}

// The layers of the painted parts in the order of their first part.
std::vector<std::string> Layers(const HostDrawing& drawing) {
  std::vector<std::string> layers;
  for (int32_t k = 0; k < drawing.partCount; ++k) {
    if (!Painted(drawing.parts[k])) continue;
    const std::string name = DrawingLayerName(drawing.parts[k]);
    if (std::find(layers.begin(), layers.end(), name) == layers.end()) layers.push_back(name);
  }
  return layers;
}

// The name the page's resources give layer `index`.
std::string LayerResource(size_t index) {
  return "/L" + std::to_string(index);
}

// The page's content: y flipped once, so that the paths keep their
// downward y; then each part as one compound path, marked as content of
// its layer.
std::string Content(const HostDrawing& drawing, const std::vector<std::string>& layers) {
  std::string c = "1 0 0 -1 0 " + std::to_string(drawing.height) + " cm\n0 J 0 j 10 M []0 d\n";
  for (int32_t k = 0; k < drawing.partCount; ++k) {
    const HostDrawingPart& part = drawing.parts[k];
    const bool fills = (part.paint & kHostPaintFill) != 0;
    const bool strokes = (part.paint & kHostPaintStroke) != 0;
    std::string paths;
    for (int32_t p = 0; p < part.pathCount; ++p) {
      const HostDrawingPath& path = part.paths[p];
      for (int32_t i = 0; i < path.count; ++i)
        paths += DrawingNumber(path.xy[2 * i]) + " " + DrawingNumber(path.xy[2 * i + 1]) +
                 (i == 0 ? " m\n" : " l\n");
      if (path.count > 0 && fills) paths += "h\n";
    }
    if (!Painted(part)) continue;
    const size_t layer =
        std::find(layers.begin(), layers.end(), DrawingLayerName(part)) - layers.begin();
    c += "/OC " + LayerResource(layer) + " BDC\n";
    if (fills) c += Colour(part.fill, "rg");
    if (strokes) c += Colour(part.stroke, "RG") + DrawingNumber(part.lineWidth) + " w\n";
    c += paths + (fills ? (strokes ? "B\n" : "f\n") : "S\n") + "EMC\n";
  }
  return c;
}

// The content stream object, Flate-compressed; empty when there was no
// memory for it.
std::string CompressedStream(const std::string& content) {
  uLongf size = compressBound(content.size());
  std::string packed(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &size,
                reinterpret_cast<const Bytef*>(content.data()), content.size(),
                Z_BEST_COMPRESSION) != Z_OK)
    return "";
  packed.resize(size);
  return "<< /Length " + std::to_string(size) + " /Filter /FlateDecode >>\nstream\n" + packed +
         "\nendstream";
}

// A PDF text string: backslash, parentheses and bytes outside printable
// ASCII escaped.
std::string PdfString(const std::string& text) {
  std::string out = "(";
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '(' || c == ')' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 32 || byte > 126) {
      char octal[8];
      std::snprintf(octal, sizeof octal, "\\%03o", byte);
      out += octal;
    } else {
      out += c;
    }
  }
  return out + ")";
}

// The document's objects, numbered from 1: catalog, page tree, page,
// content, information, then one optional content group per layer.
std::vector<std::string> Objects(const HostDrawing& drawing) {
  const std::vector<std::string> layers = Layers(drawing);
  const std::string stream = CompressedStream(Content(drawing, layers));
  if (stream.empty()) return {};
  std::string groups;
  std::string properties;
  for (size_t i = 0; i < layers.size(); ++i) {
    const std::string reference = std::to_string(6 + i) + " 0 R";
    groups += (i == 0 ? "" : " ") + reference;
    properties += LayerResource(i) + " " + reference + " ";
  }
  const std::string size = std::to_string(drawing.width) + " " + std::to_string(drawing.height);
  const std::string layerList =
      layers.empty() ? ""
                     : " /OCProperties << /OCGs [" + groups + "] /D << /Order [" + groups + "] >> >>";
  std::vector<std::string> objects = {
      "<< /Type /Catalog /Pages 2 0 R" + layerList + " >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + size + "] /Resources << /Properties << " +
          properties + ">> >> /Contents 4 0 R >>",
      stream,
      "<< /Producer (Vexmark) >>",
  };
  for (const std::string& layer : layers)
    objects.push_back("<< /Type /OCG /Name " + PdfString(layer) + " >>");
  return objects;
}

}  // namespace

int WritePdfDrawing(const HostDrawing& drawing, const DrawingSink& sink) {
  const std::vector<std::string> objects = Objects(drawing);
  if (objects.empty()) return ENOMEM;
  std::string head = "%PDF-1.5\n%\xE2\xE3\xCF\xD3\n";
  size_t offset = 0;
  std::vector<size_t> offsets;
  const auto put = [&](const std::string& text) {
    offset += text.size();
    return sink(text.data(), text.size());
  };
  if (!put(head)) return EIO;
  for (size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(offset);
    if (!put(std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n")) return EIO;
  }
  const size_t table = offset;
  std::string xref = "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (const size_t at : offsets) {
    char line[24];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", at);
    xref += line;
  }
  xref += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
          " /Root 1 0 R /Info 5 0 R >>\nstartxref\n" + std::to_string(table) + "\n%%EOF\n";
  return put(xref) ? 0 : EIO;
}

}  // namespace host
