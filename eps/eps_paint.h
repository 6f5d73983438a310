// Compound paths with their paint: the colour, line-width and path lines of
// the EPS body, and the number formats they use.
#pragma once

#include <cstdint>

#include "core/stack.h"
#include "eps/eps_page.h"
#include "lines/drawing.h"
#include "sdk/files.h"
#include "sdk/strings.h"

// A coordinate or width as text: rounded to single precision, as many digits
// as the host's default form gives, never in exponent form.
String FormatCoordinate(double value);
// A colour byte as a fraction of 255 with one digit before and five after
// the point ("0.50196" for 128).
String FormatColourComponent(uint8_t byte);

// One compound path in the element's paint: "*u", fill and stroke settings
// by kind, every path, "*U". Writes nothing when no path has a point.
// Returns 1.
int32_t WritePathGroup(const EpsPage& page, HostFileWriter* file, const Stack<EpsPath>& paths,
                       const PathPaint& element);
// One path: "m" for the first point, "l" for each further one, y flipped by
// the page height, then "b" (fill and stroke), "f" (fill) or "S" (stroke).
// An empty path writes nothing. Returns 1.
int32_t WritePath(const EpsPage& page, HostFileWriter* file, const EpsPath& path,
                  const PathPaint& element);
// "r g b Xa": the fill colour.
int32_t WriteFillColour(const EpsPage& page, HostFileWriter* file, PageColour colour);
// "r g b XA": the stroke colour.
int32_t WriteStrokeColour(const EpsPage& page, HostFileWriter* file, PageColour colour);
// "w w": the line width in points; widths of 0 and 1 (twentieths) write 0,
// the thinnest line the device can draw.
int32_t WriteLineWidth(const EpsPage& page, HostFileWriter* file, int32_t width);
