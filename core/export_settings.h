// The export's options as the user chose them and the document stores them
// (frame range and rate, output size and file, drawing style, back-face mode,
// plotter paths and paper),
// and LineStyle, the line settings of one object: the options hold the
// defaults, an export tag on an object or an ancestor replaces them.
//
// The main dialog owns one ExportSettings record and saves it in the host
// document (shell/settings_storage.h); each conversion thread holds a copy;
// each captured object holds its own LineStyle.
#pragma once

#include <cstdint>

#include "core/colour.h"
#include "host/api/vexmark_ids.h"
#include "sdk/strings.h"

// Drawing styles and back-face modes: host/api/vexmark_ids.h.

constexpr float kDefaultCreaseAngle = 1.0471976f;  // 60 degrees in radians
constexpr int32_t kMaxLineWidth = 20;

// Which lines of an object are drawn and how they look. The packed colour is
// derived from colour and brightness (DeriveLineColour) whenever either is set.
struct LineStyle {
  bool outlineLines = true;   // outline edges: no neighbour, or the faces differ in facing
  bool creaseLines = true;    // edges whose faces meet at more than creaseAngle
  float creaseAngle = kDefaultCreaseAngle;  // radians
  int32_t lineWidth = 0;                    // whole points, 0 to 20
  bool skipCoplanarEdges = false;           // edges between nearly coplanar faces are not drawn
  Colour lineColour;
  float lineBrightness = 1.0f;
  Colour lineColourScaled;               // lineColour x lineBrightness
  PageColour linePageColour = kOpaqueBlack;  // PageColourOf(lineColourScaled)
};

// Paths for a pen plotter (plotter/plotter_paths.h); lengths in points.
struct PlotterOptions {
  bool on = false;
  double minLength = 0.5;  // shorter strokes are dropped
  double simplify = 0.0;   // points this close to the line through their neighbours go; 0: none
};

// The sheet the picture is scaled onto (plotter/paper_layout.h); no sheet
// while width or height is 0, and the page is then the picture.
struct PaperOptions {
  double widthMm = 0.0;  // as given, portrait; the layout turns the sheet to the picture
  double heightMm = 0.0;
  double marginMm = 10.0;
  bool Active() const { return widthMm > 0.0 && heightMm > 0.0; }
};

struct ExportSettings {
  int32_t fromFrame = 0;
  int32_t toFrame = 0;
  int32_t drawingStyle = kStyleAllEdges;
  int32_t backFaces = kBackFacesDrop;
  int32_t frameRate = 12;
  int32_t width = 320;
  int32_t height = 240;
  String fileName;
  // Further files of the same drawing, one name a line (each in the format
  // its suffix names); empty for none.
  String moreFiles;
  int32_t pngDpi = kDefaultPngDpi;
  LineStyle lines;  // for objects without an export tag
  PlotterOptions plotter;
  PaperOptions paper;
};

// lineColourScaled = lineColour x lineBrightness; linePageColour from it (PageColourOf).
void DeriveLineColour(LineStyle& style);
// The next name of a one-name-a-line list (ExportSettings::moreFiles) from
// `from` on, skipping empty lines; moves `from` past it. False at the end.
bool NextListedFile(const String& list, int32_t& from, String& name);
// Clamps a typed line width into 0..20.
int32_t ClampLineWidth(int32_t width);
// Drawn line widths are counted in twentieths of a point.
constexpr int32_t kTwentiethsPerPoint = 20;
