// The PNG of a drawing: an antialiased picture on white, drawn with cairo at
// `pixelsPerPoint` pixels per point of the page. The file records that
// resolution in a pHYs chunk, which cairo does not write, so that layout
// programs place the picture at the size of the page.
#include <cairo.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <string>

#include "host/drawing_files.h"

namespace host {
namespace {

void SetColour(cairo_t* cr, const uint8_t rgba[4]) {
  cairo_set_source_rgb(cr, rgba[0] / 255.0, rgba[1] / 255.0, rgba[2] / 255.0);
}

void PaintPart(cairo_t* cr, const HostDrawingPart& part, double pixelsPerPoint) {
  const bool fills = (part.paint & kHostPaintFill) != 0;
  const bool strokes = (part.paint & kHostPaintStroke) != 0;
  cairo_new_path(cr);
  for (int32_t p = 0; p < part.pathCount; ++p) {
    const HostDrawingPath& path = part.paths[p];
    for (int32_t i = 0; i < path.count; ++i) {
      (i == 0 ? cairo_move_to : cairo_line_to)(cr, path.xy[2 * i], path.xy[2 * i + 1]);
    }
    if (path.count > 0 && fills) cairo_close_path(cr);
  }
  if (fills) {
    SetColour(cr, part.fill);
    cairo_fill_preserve(cr);
  }
  if (strokes) {
    SetColour(cr, part.stroke);
    // The thinnest line is one pixel wide.
    cairo_set_line_width(cr, part.lineWidth > 0 ? part.lineWidth : 1.0 / pixelsPerPoint);
    cairo_stroke_preserve(cr);
  }
  cairo_new_path(cr);
}

// The PNG signature and the IHDR chunk, which comes first: the pHYs chunk
// follows it.
constexpr size_t kSignatureAndHeader = 8 + 4 + 4 + 13 + 4;

void PutBigEndian(std::string& bytes, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((value >> shift) & 0xff);
}

// The pHYs chunk: pixels per metre on both axes.
std::string ResolutionChunk(double pixelsPerPoint) {
  const double perMetre = std::round(pixelsPerPoint * 72.0 / 0.0254);
  std::string chunk = "pHYs";
  PutBigEndian(chunk, static_cast<uint32_t>(perMetre));
  PutBigEndian(chunk, static_cast<uint32_t>(perMetre));
  chunk += '\1';  // the unit is the metre
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), chunk.size());
  std::string bytes;
  PutBigEndian(bytes, 9);
  bytes += chunk;
  PutBigEndian(bytes, static_cast<uint32_t>(crc));
  return bytes;
}

// Passes cairo's bytes on to the sink, with the pHYs chunk put in after the
// header.
struct PngStream {
  const DrawingSink& sink;
  std::string resolution;
  size_t passed = 0;

  bool Write(const unsigned char* data, size_t bytes) {
    if (passed < kSignatureAndHeader && passed + bytes >= kSignatureAndHeader) {
      const size_t head = kSignatureAndHeader - passed;
      passed += bytes;
      return sink(data, head) && sink(resolution.data(), resolution.size()) &&
             sink(data + head, bytes - head);
    }
    passed += bytes;
    return sink(data, bytes);
  }
};

cairo_status_t WriteTo(void* closure, const unsigned char* data, unsigned int bytes) {
  PngStream& stream = *static_cast<PngStream*>(closure);
  return stream.Write(data, bytes) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

int WritePngDrawing(const HostDrawing& drawing, const DrawingSink& sink) {
  const double scale = drawing.pixelsPerPoint > 0 ? drawing.pixelsPerPoint : 1.0;
  const double width = std::max(1.0, std::round(drawing.width * scale));
  const double height = std::max(1.0, std::round(drawing.height * scale));
  if (!(width <= kMaxPngSide && height <= kMaxPngSide)) return EFBIG;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(width),
                                                        static_cast<int>(height));
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_scale(cr, scale, scale);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  cairo_set_miter_limit(cr, 10);
  for (int32_t k = 0; k < drawing.partCount && cairo_status(cr) == CAIRO_STATUS_SUCCESS; ++k)
    PaintPart(cr, drawing.parts[k], scale);
  cairo_status_t status = cairo_status(cr);
  cairo_destroy(cr);
  if (status == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(surface);
    PngStream stream{sink, ResolutionChunk(scale)};
    status = cairo_surface_write_to_png_stream(surface, &WriteTo, &stream);
  }
  cairo_surface_destroy(surface);
  if (status == CAIRO_STATUS_SUCCESS) return 0;
  return status == CAIRO_STATUS_WRITE_ERROR ? EIO : ENOMEM;
}

}  // namespace host
