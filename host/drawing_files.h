// The formats the host draws a module's drawing in (fileWriteDrawing in
// host/api/host_api.h): SVG and PDF written as text here, PNG drawn with
// cairo. Each writer paints the parts as the module's EPS body does: one
// compound path per part, filled by the non-zero rule with every path
// closed, then stroked (butt ends, mitred corners, limit 10); a line width
// of 0 is the thinnest line the output can show.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "host/api/host_api.h"

namespace host {

// Takes the bytes of the file in order; false when they could not be kept.
using DrawingSink = std::function<bool(const void* data, size_t bytes)>;

// The largest side of a PNG picture in pixels (cairo's limit for an image).
constexpr double kMaxPngSide = 32767;

// Each returns 0 when the whole drawing went to `sink`, else an errno value
// (EIO when the sink failed, ENOMEM or EFBIG when it could not be drawn).
int WriteSvgDrawing(const HostDrawing& drawing, const DrawingSink& sink);
int WritePdfDrawing(const HostDrawing& drawing, const DrawingSink& sink);
int WritePngDrawing(const HostDrawing& drawing, const DrawingSink& sink);

// A number for a text format: at most three decimals, no trailing zeros.
std::string DrawingNumber(double value);
// "#rrggbb" of the first three bytes.
std::string DrawingColour(const uint8_t rgba[4]);
// The layer a part belongs to, one per kind of line and colour: "edges
// #000000", "fills #c08040" (the fill of filled parts, else the stroke);
// letters, digits, '-', ' ' and '#' only.
std::string DrawingLayerName(const HostDrawingPart& part);

}  // namespace host
