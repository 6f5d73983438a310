#include "app/option_table.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "app/option_values.h"
#include "host/api/vexmark_ids.h"
#include "host/import/triangle_budget.h"
#include "host/runtime.h"

namespace app {
namespace {

// The largest margin, stroke length or tolerance: 100 m (or 100,000
// points), more than any roll a plotter takes.
constexpr double kMaxPaperMm = 100000.0;
// The angle between two faces' normals, which a crease angle is compared
// with, lies between these.
constexpr double kMaxCreaseDegrees = 180.0;
constexpr int32_t kMaxLineWidthPoints = 20;
// The largest --max-triangles: two thousand million, far beyond any memory.
constexpr int32_t kMaxTriangleLimit = 2'000'000'000;
constexpr int32_t kMaxPort = 65535;

// --help's names take this many columns; the text starts after them.
constexpr size_t kHelpNameColumns = 27;

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// "a whole number from 1 to 256": what a count outside its range (or no
// count at all) is not.
std::string CountRange(int32_t most) {
  return "a whole number from 1 to " + std::to_string(most);
}

// "a, b or c"
std::string ChoiceList(const std::vector<Choice>& choices) {
  std::string list;
  for (size_t k = 0; k < choices.size(); ++k)
    list += (k == 0 ? "" : k + 1 == choices.size() ? " or " : ", ") + choices[k].name;
  return list;
}

bool ReadOutput(const std::string& value, Options& o, std::string& want) {
  if (value.empty())
    want = "a file name";
  else if (value.find('\n') != std::string::npos)
    want = "a file name without line breaks";
  else
    o.outputs.push_back(value);
  return want.empty();
}

bool ReadSize(const std::string& value, Options& o, std::string& want) {
  int32_t width = 0, height = 0;
  if (!ParseSize(value, width, height)) {
    want = "a size like 1920x1080 (1 to " + std::to_string(kMaxPictureSize) + " each)";
    return false;
  }
  o.width = width;
  o.height = height;
  return true;
}

bool ReadColour(const std::string& value, Options& o, std::string& want) {
  std::vector<double> rgb;
  if (!ParseColour(value, rgb)) {
    want = "a colour like #FF8000";
    return false;
  }
  o.lineColour = rgb;
  return true;
}

bool ReadPaper(const std::string& value, Options& o, std::string& want) {
  std::array<double, 2> size{};
  if (!ParsePaper(value, size)) {
    want = "A4, A3, letter, none or a size like 200x300mm (each side from 10 to 5080 mm)";
    return false;
  }
  o.paper = size;
  return true;
}

bool ReadTag(const std::string& value, Options& o, std::string& want) {
  TagRequest tag;
  if (!ParseTag(value, tag)) {
    want = "OBJECT:key=value,...";
    return false;
  }
  o.tags.push_back(tag);
  return true;
}

// A choice's "is not" line is the list of its names.
std::vector<OptionEntry> WithChoiceLists(std::vector<OptionEntry> table) {
  for (OptionEntry& entry : table)
    if (entry.kind == ValueKind::kChoice) entry.notValid = ChoiceList(entry.choices);
  return table;
}

std::vector<OptionEntry> FileOptions() {
  return {
      {.name = "--output",
       .shortName = "-o",
       .kind = ValueKind::kFile,
       .valueName = "FILE",
       .parse = ReadOutput,
       .help = "the drawing's file; its suffix chooses the format: .ai,\n"
               ".eps (standalone EPS), .svg, .pdf or .png (frames get\n"
               "-0, -1, ...); several -o write the drawing in each;\n"
               "-o - writes one frame to stdout as --format says",
       .markdown =
           "the drawing; its suffix chooses the format: `.eps` is a standalone EPS file that any "
           "PostScript reader draws (Ghostscript, `ps2pdf -dEPSCrop`, page-layout programs); "
           "`.svg` is SVG 1.1 with the picture size as its view box, its width and height in "
           "points (millimetres on a `--paper` sheet), and one layer per kind of line and colour "
           "(Inkscape and plotter tools show them as layers); `.pdf` is a compressed vector PDF "
           "of one page with the same layers as optional content; `.png` is an antialiased "
           "picture on white that records its `--dpi`; any other name gets the "
           "suffix `.ai`. A frame range writes `FILE-0.ai`, `FILE-1.ai`, ... (or `.eps`, `.svg`, "
           "`.pdf`, `.png`). Several `-o` write the same drawing to each file (the drawing is "
           "made once per frame). Without `-o` the drawing goes beside the scene, named after it "
           "(`scene.gltf` gives `scene.ai`), unless the scene stored output files of its own. "
           "`-o -` writes one frame's drawing to standard output in the format `--format` names "
           "(`.ai` without it): `vexmark scene.gltf --format svg -o - \\| rsvg-convert ...`"},
      {.name = "--format",
       .kind = ValueKind::kChoice,
       .valueName = "FORMAT",
       .choices = {{"ai"}, {"eps"}, {"svg"}, {"pdf"}, {"png"}},
       .field = &Options::format,
       .help = "ai, eps, svg, pdf or png: the suffix of the -o file (with\n"
               "several -o, of those without a drawing suffix)",
       .markdown = "`ai`, `eps`, `svg`, `pdf` or `png`: replaces the suffix of the `-o` file (or "
                   "of the stored or proposed name); with several `-o`, it is the suffix of those "
                   "that name no format"},
      {.name = "--dpi",
       .kind = ValueKind::kWholeNumber,
       .valueName = "N",
       .least = 1,
       .most = kMaxPngDpi,
       .notValid = CountRange(kMaxPngDpi),
       .outOfRange = CountRange(kMaxPngDpi),
       .field = &Options::dpi,
       .gadget = kGadgetPngDpi,
       .help = "dots per inch of PNG pictures (72: a pixel per point)",
       .markdown = "PNG pictures at N dots per inch (1 to " + std::to_string(kMaxPngDpi) +
                   "; 72, the default, is one pixel per point of the picture size); a picture "
                   "over 32767 pixels a side, the format's limit, is refused before the export"},
  };
}

std::vector<OptionEntry> FrameOptions() {
  return {
      {.name = "--style",
       .kind = ValueKind::kChoice,
       .valueName = "STYLE",
       .least = kStyleAllEdges,
       .most = kStyleFilled,
       .choices = {{"edges", kStyleAllEdges},
                   {"visible", kStyleVisibleEdges},
                   {"lines", kStyleEdgeLines},
                   {"filled", kStyleFilled}},
       .field = &Options::style,
       .gadget = kGadgetStyle,
       .help = "edges, visible, lines or filled",
       .markdown = "`edges` (all drawn edges), `visible` (visible edges), `lines` (colour-region "
                   "lines and creases) or `filled` (filled colour regions)"},
      {.name = "--from",
       .kind = ValueKind::kWholeNumber,
       .valueName = "N",
       .least = INT32_MIN,
       .most = INT32_MAX,
       .notValid = "a whole number",
       .field = &Options::fromFrame,
       .gadget = kGadgetFromFrame,
       .help = "the frame range in the scene's frames",
       .markdown = "the frame range in the scene's frames, and the exported frames per second: "
                   "12 unless set (or stored in the scene), whatever the scene's own rate, so "
                   "`--from 0 --to 3` on a 24 fps scene writes 2 files; the program says how "
                   "many drawings a range gives"},
      {.name = "--to",
       .kind = ValueKind::kWholeNumber,
       .valueName = "N",
       .least = INT32_MIN,
       .most = INT32_MAX,
       .notValid = "a whole number",
       .field = &Options::toFrame,
       .gadget = kGadgetToFrame,
       .helpRow = Row::kJoinsPrevious,
       .markdownRow = Row::kJoinsPrevious},
      {.name = "--fps",
       .kind = ValueKind::kWholeNumber,
       .valueName = "N",
       .least = 1,
       .most = INT32_MAX,
       .notValid = "a whole number",
       .outOfRange = "at least 1",
       .field = &Options::fps,
       .gadget = kGadgetFrameRate,
       .help = "exported frames per second (12 unless set, whatever\n"
               "the scene's own rate)",
       .markdownRow = Row::kJoinsPrevious},
      {.name = "--size",
       .kind = ValueKind::kText,
       .valueName = "WxH",
       .parse = ReadSize,
       .help = "the picture size in pixels",
       .markdown = "the picture size; `--preset` takes one of the dialog's listed sizes"},
      {.name = "--preset",
       .kind = ValueKind::kText,
       .valueName = "WxH",
       .field = &Options::preset,
       .help = "one of the listed picture sizes (see the dialog)",
       .markdownRow = Row::kJoinsPrevious},
      {.name = "--render-settings",
       .field = &Options::renderSettings,
       .help = "take range, rate, size and file from the scene",
       .markdown = "take range, rate, size and output file from the scene's render settings"},
      {.name = "--back-faces",
       .kind = ValueKind::kChoice,
       .valueName = "drop|keep",
       .choices = {{"drop", kBackFacesDrop}, {"keep", kBackFacesKeep}},
       .field = &Options::backFaces,
       .gadget = kGadgetBackFaces,
       .help = "what happens to faces turned away from the camera",
       .markdown = "faces turned away from the camera are dropped, or kept and turned round"},
  };
}

std::vector<OptionEntry> LineOptions() {
  return {
      {.name = "--outline",
       .kind = ValueKind::kSwitch,
       .valueName = "on|off",
       .notValid = "on or off",
       .field = &Options::outline,
       .gadget = kGadgetOutline,
       .help = "outline (silhouette) lines",
       .markdown = "which lines are drawn (the crease angle from 0 to 180 degrees)"},
      {.name = "--crease",
       .kind = ValueKind::kSwitch,
       .valueName = "on|off",
       .notValid = "on or off",
       .field = &Options::crease,
       .gadget = kGadgetCrease,
       .help = "crease lines",
       .markdownRow = Row::kJoinsPrevious},
      {.name = "--crease-angle",
       .kind = ValueKind::kNumber,
       .valueName = "DEG",
       .least = 0,
       .most = kMaxCreaseDegrees,
       .notValid = "a number",
       .outOfRange = "an angle from 0 to 180 degrees",
       .field = &Options::creaseAngle,
       .gadget = kGadgetCreaseAngle,
       .help = "the angle above which an edge is a crease, 0 to 180",
       .markdownRow = Row::kJoinsPrevious},
      {.name = "--line-width",
       .kind = ValueKind::kWholeNumber,
       .valueName = "N",
       .least = 0,
       .most = kMaxLineWidthPoints,
       .notValid = "a whole number",
       .outOfRange = "between 0 and 20",
       .field = &Options::lineWidth,
       .gadget = kGadgetLineWidth,
       .help = "line width in points, 0 to 20 (0: the thinnest)",
       .markdown = "the line width in points, 0 to 20 (width 0 is the thinnest line)"},
      {.name = "--flat-edges",
       .kind = ValueKind::kSwitch,
       .valueName = "on|off",
       .notValid = "on or off",
       .field = &Options::flatEdges,
       .gadget = kGadgetFlatEdges,
       .help = "hide edges between faces that are nearly flat",
       .markdown = "`on` hides the edges between faces that are nearly flat"},
      {.name = "--line-color",
       .kind = ValueKind::kText,
       .valueName = "#RRGGBB",
       .parse = ReadColour,
       .help = "line colour",
       .markdown = "how lines look: their colour, and its brightness from 0 to 1"},
      {.name = "--brightness",
       .kind = ValueKind::kNumber,
       .valueName = "F",
       .least = 0,
       .most = 1,
       .notValid = "a number",
       .outOfRange = "between 0 and 1",
       .field = &Options::brightness,
       .help = "brightness of the line colour, 0 to 1",
       .markdownRow = Row::kJoinsPrevious},
  };
}

// A length on paper from 0 to kMaxPaperMm.
OptionEntry PaperLength(std::string name, std::string valueName,
                        std::optional<double> Options::*field, int32_t gadget, std::string help,
                        std::string markdown) {
  const std::string range = "a number from 0 to " + Number(kMaxPaperMm);
  return {.name = std::move(name),
          .kind = ValueKind::kNumber,
          .valueName = std::move(valueName),
          .least = 0,
          .most = kMaxPaperMm,
          .notValid = range,
          .outOfRange = range,
          .field = field,
          .gadget = gadget,
          .help = std::move(help),
          .markdown = std::move(markdown)};
}

std::vector<OptionEntry> PlotterOptions() {
  return {
      {.name = "--plotter",
       .kind = ValueKind::kOptionalSwitch,
       .valueName = "[on|off]",
       .notValid = "on or off",
       .field = &Options::plotter,
       .gadget = kGadgetPlotter,
       .help = "paths for a pen plotter: strokes only, each piece of\n"
               "line once, chained into long paths in a short order",
       .markdown = "paths for a pen plotter (see [Plotting](#plotting)); alone it means `on`"},
      PaperLength("--min-length", "PT", &Options::minLength, kGadgetMinStrokeLength,
                  "plotter: drop strokes shorter than this (default 0.5)",
                  "with `--plotter`: strokes shorter than this are dropped (default 0.5 points)"),
      PaperLength("--simplify", "PT", &Options::simplify, kGadgetSimplify,
                  "plotter: drop points closer than this to the line\n"
                  "through their neighbours (default 0: keep all)",
                  "with `--plotter`: points closer than this to the line through their "
                  "neighbours are dropped, never a junction or an end (default 0: none)"),
      {.name = "--paper",
       .kind = ValueKind::kText,
       .valueName = "SIZE",
       .parse = ReadPaper,
       .help = "A4, A3, letter, WxHmm (portrait) or none: scale and\n"
               "centre the picture on that sheet, turned to landscape\n"
               "when the picture is wider than tall",
       .markdown = "`A4`, `A3`, `letter`, `WxHmm` or `none`: the page becomes this sheet "
                   "(portrait sizes; turned to landscape when the picture is wider than tall) and "
                   "the picture is scaled to fit inside the margins and centred (each side 10 to "
                   "5080 mm, the largest PDF page); `none`: the page is the picture, as without "
                   "it"},
      PaperLength("--margin", "MM", &Options::margin, kGadgetPaperMargin,
                  "the sheet's empty border (default 10)",
                  "the sheet's empty border (default 10 mm)"),
  };
}

std::vector<OptionEntry> SceneOptions() {
  return {
      {.name = "--camera",
       .kind = ValueKind::kText,
       .valueName = "NAME",
       .field = &Options::camera,
       .help = "look through this camera of the scene",
       .markdown = "look through another camera of the scene (perspective, or parallel: an "
                   "orthographic camera shows its stored width at every depth)"},
      {.name = "--tag",
       .kind = ValueKind::kText,
       .valueName = "OBJECT:key=value,...",
       .parse = ReadTag,
       .help = "set an export tag on an object and its children;\n"
               "keys: outline, crease, angle, width, flat, color,\n"
               "brightness",
       .markdown = "export tag on an object and everything below it (keys `outline`, `crease`, "
                   "`angle`, `width`, `flat`, `color`, `brightness`)"},
      {.name = "--save-scene",
       .kind = ValueKind::kFile,
       .valueName = "FILE",
       .field = &Options::saveScene,
       .help = "save the scene with its export settings (.vxm)",
       .markdown = "save the scene with the export settings and tags as `.vxm`"},
  };
}

// The studio's server: its port and the browser.
std::vector<OptionEntry> StudioOptions() {
  const std::string port = "a port from 0 to " + std::to_string(kMaxPort);
  return {
      {.name = "--port",
       .kind = ValueKind::kWholeNumber,
       .valueName = "N",
       .least = 0,
       .most = kMaxPort,
       .notValid = port,
       .outOfRange = port,
       .field = &Options::port,
       .help = "studio: serve on this port of 127.0.0.1 (default 0:\na free one)",
       .markdown = "`studio`: serve the page on this port of 127.0.0.1 (default 0: a free one)"},
      {.name = "--open",
       .field = &Options::open,
       .help = "studio: open the page in the desktop's browser",
       .markdown = "`studio`: open the page in the desktop's browser (`xdg-open`)"},
  };
}

std::vector<OptionEntry> ProgramOptions() {
  const std::string maxThreads = std::to_string(host::kMaxThreads);
  const std::string defaultTriangles =
      host::import::GroupedDigits(host::import::kDefaultMaxTriangles);
  return {
      {.name = "--threads",
       .kind = ValueKind::kWholeNumber,
       .valueName = "N",
       .least = 1,
       .most = host::kMaxThreads,
       .notValid = CountRange(host::kMaxThreads),
       .outOfRange = CountRange(host::kMaxThreads),
       .field = &Options::threads,
       .help = "threads for the export's parallel work, 1 to " + maxThreads +
               "\n(default: VEXMARK_THREADS, else every hardware thread)",
       .markdown = "threads for the visible-fragment pass, 1 to " + maxThreads +
                   " (default: the `VEXMARK_THREADS` variable, else every hardware thread); the "
                   "drawing is the same for any number"},
      {.name = "--max-triangles",
       .kind = ValueKind::kWholeNumber,
       .valueName = "N",
       .least = 1,
       .most = kMaxTriangleLimit,
       .notValid = CountRange(kMaxTriangleLimit),
       .outOfRange = CountRange(kMaxTriangleLimit),
       .field = &Options::maxTriangles,
       .help = "refuse scenes that expand to more triangles (default\n" + defaultTriangles +
               ", about 4 GB at the export's peak)",
       .markdown = "refuse a scene that expands to more than N triangles (each node's meshes "
                   "counted as often as nodes place them, a quadrangle as two), before its "
                   "triangles are built; default " +
                   defaultTriangles +
                   ", about 4 GB at the export's peak for one large mesh (scenes of many small "
                   "objects take more per triangle). The importer's own memory is bounded to "
                   "match"},
      {.name = "--yes",
       .alias = "-y",
       .field = &Options::yes,
       .help = "replace an existing file without asking",
       .markdown = "replace existing files without asking"},
      {.name = "--quiet",
       .shortName = "-q",
       .field = &Options::quiet,
       .help = "no progress display",
       .markdown = "no progress display, no list of written files, and the importer's warnings "
                   "counted in one line"},
      {.name = "--help", .alias = "-h", .field = &Options::help, .markdownRow = Row::kHidden},
      {.name = "--version",
       .field = &Options::version,
       .helpRow = Row::kJoinsPrevious,
       .markdownRow = Row::kHidden},
      // For the developers: prints the README's option table, which a test
      // compares with the README.
      {.name = "--markdown-options",
       .field = &Options::markdownOptions,
       .helpRow = Row::kHidden,
       .markdownRow = Row::kHidden},
      // For the install: the manual page and the bash completion script.
      {.name = "--man-page",
       .field = &Options::manPage,
       .helpRow = Row::kHidden,
       .markdownRow = Row::kHidden},
      {.name = "--bash-completion",
       .field = &Options::bashCompletion,
       .helpRow = Row::kHidden,
       .markdownRow = Row::kHidden},
  };
}

std::vector<OptionEntry> MakeTable() {
  std::vector<OptionEntry> table;
  for (auto part : {FileOptions, FrameOptions, LineOptions, PlotterOptions, SceneOptions,
                    StudioOptions, ProgramOptions})
    for (OptionEntry& entry : part()) table.push_back(std::move(entry));
  return WithChoiceLists(std::move(table));
}

// The names of one entry as a listing shows them: "-o, --output FILE".
std::string NamesOf(const OptionEntry& entry, const char* quote) {
  const std::string q = quote;
  std::string names = entry.shortName.empty() ? "" : q + entry.shortName + q + ", ";
  return names + q + entry.name + (entry.valueName.empty() ? "" : " " + entry.valueName) + q;
}

// The entries as rows: the names of each row's entries and the row's text.
template <class Text, class Place>
std::vector<std::pair<std::string, std::string>> Rows(const char* quote, Text text, Place place) {
  std::vector<std::pair<std::string, std::string>> rows;
  for (const OptionEntry& entry : OptionTable()) {
    if (place(entry) == Row::kHidden) continue;
    if (place(entry) == Row::kJoinsPrevious && !rows.empty())
      rows.back().first += ", " + NamesOf(entry, quote);
    else
      rows.emplace_back(NamesOf(entry, quote), text(entry));
  }
  return rows;
}

}  // namespace

const std::vector<OptionEntry>& OptionTable() {
  static const std::vector<OptionEntry> table = MakeTable();
  return table;
}

const OptionEntry* FindOption(const std::string& arg) {
  if (arg.empty()) return nullptr;
  for (const OptionEntry& entry : OptionTable())
    if (arg == entry.name || arg == entry.shortName || arg == entry.alias) return &entry;
  return nullptr;
}

std::string HelpOptionRows() {
  std::string text;
  const auto rows = Rows(
      "", [](const OptionEntry& s) { return s.help; },
      [](const OptionEntry& s) { return s.helpRow; });
  for (const auto& [names, help] : rows) {
    std::string line = "  " + names;
    if (!help.empty()) line.resize(std::max(line.size() + 2, kHelpNameColumns), ' ');
    // Each further line of the text starts in the text's column.
    for (const char c : help)
      line += c == '\n' ? "\n" + std::string(kHelpNameColumns, ' ') : std::string(1, c);
    text += line + "\n";
  }
  return text;
}

std::string MarkdownOptionTable() {
  std::string table = "| option | meaning |\n|---|---|\n";
  const auto rows = Rows(
      "`", [](const OptionEntry& s) { return s.markdown; },
      [](const OptionEntry& s) { return s.markdownRow; });
  for (const auto& [names, meaning] : rows) {
    std::string escaped;  // a | inside a cell would end it
    for (const char c : names) escaped += c == '|' ? std::string("\\|") : std::string(1, c);
    table += "| " + escaped + " | " + meaning + " |\n";
  }
  return table;
}

}  // namespace app
