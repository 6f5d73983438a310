// The command line of the vexmark program.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace app {

// One --tag OBJECT:key=value,... request.
struct TagRequest {
  std::string object;
  std::vector<std::pair<std::string, std::string>> values;
};

struct Options {
  std::string command;                // "" (export), "info" or "studio"
  std::string scene;                  // empty: the bundled example
  std::vector<std::string> outputs;   // -o, in order: the first is the main drawing
  std::optional<std::string> format;  // "ai", "eps", "svg", "pdf" or "png"
  std::optional<int32_t> dpi;         // PNG dots per inch
  std::optional<int32_t> style;
  std::optional<int32_t> fromFrame, toFrame, fps;
  std::optional<int32_t> width, height;
  std::optional<std::string> preset;  // a picture size: "1920x1080" or its value 10013..10031
  bool renderSettings = false;
  std::optional<int32_t> backFaces;
  std::optional<bool> outline, crease, flatEdges;
  std::optional<double> creaseAngle;  // degrees
  std::optional<int32_t> lineWidth;
  std::optional<std::vector<double>> lineColour;  // r, g, b in 0..1
  std::optional<double> brightness;
  std::optional<bool> plotter;
  std::optional<double> minLength, simplify;   // points
  std::optional<std::array<double, 2>> paper;  // width, height in mm; 0, 0: no sheet
  std::optional<double> margin;                // mm
  std::optional<std::string> camera;
  std::vector<TagRequest> tags;
  std::optional<std::string> saveScene;
  std::optional<int32_t> port;          // studio: 0 or unset, a free one
  bool open = false;                    // studio: start the desktop's browser
  std::optional<int32_t> threads;       // for the export's parallel work; unset: the host's default
  std::optional<int64_t> maxTriangles;  // scenes that expand to more are refused; unset: default
  bool yes = false;
  bool quiet = false;
  bool help = false;
  bool version = false;
  bool markdownOptions = false;  // print the README's option table (for the developers)
  bool drawingToStdout = false;  // -o -: the drawing goes to standard output (app/standard_output.h)
  bool manPage = false;          // print the manual page (for the install)
  bool bashCompletion = false;   // print the bash completion script (for the install)
};

// Parses argv; on a usage error returns false with one line in `error`.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);

// What --help prints: the usage lines and the option table's rows.
std::string UsageText();

// The suffix, with its dot, that the module gives a drawing chosen as
// `chosen`: ".eps", ".svg", ".pdf" or ".png" (in any case, given lower),
// else ".ai".
std::string DrawingSuffix(const std::string& chosen);
// The file the module writes for a drawing chosen as `chosen` (one frame):
// the name with its drawing suffix.
std::string DrawingPath(const std::string& chosen);

// A line for each -o name whose suffix is not a drawing format, so that
// it goes to an ".ai" file instead: "-o x.txt: .txt is not a drawing
// format; the drawing goes to x.ai".
std::vector<std::string> SuffixNotices(const Options& options);

// The -o names with --format applied: with one name (or none) the format
// replaces its suffix; with several it is the suffix of those without a
// drawing suffix of their own.
std::vector<std::string> OutputNames(const Options& options);

}  // namespace app
