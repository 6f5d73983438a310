// A one-page PDF of a drawing, written as text: the page is the picture
// size in points and its content paints the parts with the same operators
// as the EPS body. Written here rather than with cairo, whose version in
// Debian drops strokes of width 0, the thinnest line that widths 0 and 1 ask
// for; PDF's own "0 w" is that line.
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

// The page's content: y flipped once, so that the paths keep their
// downward y; then each part as one compound path.
std::string Content(const HostDrawing& drawing) {
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
    if (paths.empty() || (!fills && !strokes)) continue;
    if (fills) c += Colour(part.fill, "rg");
    if (strokes) c += Colour(part.stroke, "RG") + DrawingNumber(part.lineWidth) + " w\n";
    c += paths + (fills ? (strokes ? "B\n" : "f\n") : "S\n");
  }
  return c;
}

}  // namespace

int WritePdfDrawing(const HostDrawing& drawing, const DrawingSink& sink) {
  const std::string content = Content(drawing);
  const std::string size = std::to_string(drawing.width) + " " + std::to_string(drawing.height);
  const std::vector<std::string> objects = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + size +
          "] /Resources << >> /Contents 4 0 R >>",
      "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
      "<< /Producer (Vexmark) >>",
  };
  std::string head = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
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
