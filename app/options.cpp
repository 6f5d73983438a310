#include "app/options.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "app/output_clash.h"
#include "host/api/vexmark_ids.h"
#include "host/runtime.h"
#include "host/import/triangle_budget.h"

namespace app {
namespace {

// The largest margin, stroke length or tolerance: 100 m (or 100,000
// points), more than any roll a plotter takes.
constexpr double kMaxPaperMm = 100000.0;
// A sheet's sides: from 10 mm, below which no margin and no line fits, to
// 5080 mm (200 inches, 14,400 points), the largest page a PDF holds.
constexpr double kMinSheetMm = 10.0;
constexpr double kMaxSheetMm = 5080.0;
// The angle between two faces' normals, which a crease angle is compared
// with, lies between these.
constexpr double kMaxCreaseDegrees = 180.0;
constexpr int32_t kMaxThreads = 256;  // as host::SetParallelThreads takes
// The largest --max-triangles: two thousand million, far beyond any memory.
constexpr int32_t kMaxTriangleLimit = 2'000'000'000;

bool ParseInt(const std::string& text, int32_t& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX) return false;
  value = static_cast<int32_t>(parsed);
  return true;
}

bool ParseReal(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return *end == '\0' && std::isfinite(value);
}

bool ParseSwitch(const std::string& text, bool& value) {
  if (text == "on" || text == "yes" || text == "true" || text == "1") {
    value = true;
    return true;
  }
  if (text == "off" || text == "no" || text == "false" || text == "0") {
    value = false;
    return true;
  }
  return false;
}

bool ParseStyle(const std::string& text, int32_t& style) {
  static const std::map<std::string, int32_t> names = {{"edges", kStyleAllEdges},
                                                       {"visible", kStyleVisibleEdges},
                                                       {"lines", kStyleEdgeLines},
                                                       {"filled", kStyleFilled}};
  const auto it = names.find(text);
  if (it != names.end()) {
    style = it->second;
    return true;
  }
  return ParseInt(text, style) && style >= kStyleAllEdges && style <= kStyleFilled;
}

// "#RRGGBB" to components in 0..1.
bool ParseColour(const std::string& text, std::vector<double>& rgb) {
  if (text.size() != 7 || text[0] != '#') return false;
  // Six hexadecimal digits exactly: strtol alone would also take signs and
  // spaces ("#-1+1 1").
  if (!std::all_of(text.begin() + 1, text.end(),
                   [](unsigned char c) { return std::isxdigit(c) != 0; }))
    return false;
  rgb.clear();
  for (int i = 0; i < 3; ++i) {
    const std::string pair = text.substr(1 + 2 * i, 2);
    rgb.push_back(static_cast<double>(std::strtol(pair.c_str(), nullptr, 16)) / 255.0);
  }
  return true;
}

bool ParseSize(const std::string& text, int32_t& width, int32_t& height) {
  const size_t x = text.find_first_of("xX");
  return x != std::string::npos && ParseInt(text.substr(0, x), width) &&
         ParseInt(text.substr(x + 1), height) && width > 0 && height > 0 &&
         width <= kMaxPictureSize && height <= kMaxPictureSize;
}

// A sheet: a named size (portrait, millimetres), "WxHmm", or "none".
bool ParsePaper(const std::string& text, std::array<double, 2>& size) {
  std::string lower;
  for (const char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  static const std::map<std::string, std::array<double, 2>> named = {
      {"a4", {210.0, 297.0}}, {"a3", {297.0, 420.0}}, {"letter", {215.9, 279.4}}, {"none", {0, 0}}};
  const auto it = named.find(lower);
  if (it != named.end()) {
    size = it->second;
    return true;
  }
  const size_t x = lower.find('x');
  if (x == std::string::npos || lower.size() < 3 || lower.compare(lower.size() - 2, 2, "mm") != 0)
    return false;
  return ParseReal(lower.substr(0, x), size[0]) &&
         ParseReal(lower.substr(x + 1, lower.size() - x - 3), size[1]) &&
         std::min(size[0], size[1]) >= kMinSheetMm && std::max(size[0], size[1]) <= kMaxSheetMm;
}

// OBJECT:key=value,key=value
bool ParseTag(const std::string& text, TagRequest& tag) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  tag.object = text.substr(0, colon);
  std::stringstream pairs(text.substr(colon + 1));
  std::string pair;
  while (std::getline(pairs, pair, ',')) {
    const size_t equals = pair.find('=');
    if (equals == std::string::npos || equals == 0) return false;
    tag.values.emplace_back(pair.substr(0, equals), pair.substr(equals + 1));
  }
  return !tag.values.empty();
}

// The thread count that the environment sets, when --threads does not:
// a value the program cannot use is a mistake to report, not to ignore.
bool ThreadsVariableUsable(std::string& error) {
  const char* value = std::getenv(host::kThreadsVariable);
  if (value == nullptr || *value == '\0') return true;
  int32_t count = 0;
  if (ParseInt(value, count) && count >= 1 && count <= kMaxThreads) return true;
  error = std::string(host::kThreadsVariable) + ": '" + value + "' is not a whole number from 1 to " +
          std::to_string(kMaxThreads);
  return false;
}

}  // namespace

std::string DrawingSuffix(const std::string& chosen) {
  std::string suffix = std::filesystem::path(chosen).extension().string();
  for (char& c : suffix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* known : {".eps", ".svg", ".pdf", ".png"})
    if (suffix == known) return suffix;
  return ".ai";
}

std::vector<std::string> OutputNames(const Options& o) {
  std::vector<std::string> names;
  for (const std::string& name : o.outputs) {
    std::string own = std::filesystem::path(name).extension().string();
    for (char& c : own) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const bool hasDrawingSuffix = own == ".ai" || own == DrawingSuffix(name);
    if (o.format && (o.outputs.size() == 1 || !hasDrawingSuffix))
      names.push_back(std::filesystem::path(name).replace_extension("." + *o.format).string());
    else
      names.push_back(name);
  }
  return names;
}

std::string UsageText() {
  return "usage: vexmark [SCENE] [options]\n"
         "       vexmark info SCENE\n"
         "\n"
         "Exports the scene (the bundled example when none is given) as a hidden-line\n"
         "drawing, one file per frame. Options not given keep what the scene stored\n"
         "from its last export, else the defaults.\n"
         "\n"
         "  -o, --output FILE        the drawing's file; its suffix chooses the format: .ai,\n"
         "                           .eps (standalone EPS), .svg, .pdf or .png (frames get\n"
         "                           -0, -1, ...); several -o write the drawing in each\n"
         "  --format FORMAT          ai, eps, svg, pdf or png: the suffix of the -o file (with\n"
         "                           several -o, of those without a drawing suffix)\n"
         "  --dpi N                  dots per inch of PNG pictures (72: a pixel per point)\n"
         "  --style STYLE            edges, visible, lines or filled\n"
         "  --from N, --to N         the frame range in the scene's frames\n"
         "  --fps N                  exported frames per second\n"
         "  --size WxH               the picture size in pixels\n"
         "  --preset WxH             one of the listed picture sizes (see the dialog)\n"
         "  --render-settings        take range, rate, size and file from the scene\n"
         "  --back-faces drop|keep   what happens to faces turned away from the camera\n"
         "  --outline on|off         outline (silhouette) lines\n"
         "  --crease on|off          crease lines\n"
         "  --crease-angle DEG       the angle above which an edge is a crease, 0 to 180\n"
         "  --line-width N           line width in points, 0 to 20 (0: the thinnest)\n"
         "  --flat-edges on|off      hide edges between faces that are nearly flat\n"
         "  --line-color #RRGGBB     line colour\n"
         "  --brightness F           brightness of the line colour, 0 to 1\n"
         "  --plotter [on|off]       paths for a pen plotter: strokes only, each piece of\n"
         "                           line once, chained into long paths in a short order\n"
         "  --min-length PT          plotter: drop strokes shorter than this (default 0.5)\n"
         "  --simplify PT            plotter: drop points closer than this to the line\n"
         "                           through their neighbours (default 0: keep all)\n"
         "  --paper SIZE             A4, A3, letter, WxHmm (portrait) or none: scale and\n"
         "                           centre the picture on that sheet, turned to landscape\n"
         "                           when the picture is wider than tall\n"
         "  --margin MM              the sheet's empty border (default 10)\n"
         "  --camera NAME            look through this camera of the scene\n"
         "  --tag OBJECT:key=value,...  set an export tag on an object and its children;\n"
         "                           keys: outline, crease, angle, width, flat, color,\n"
         "                           brightness\n"
         "  --save-scene FILE        save the scene with its export settings (.vxm)\n"
         "  --threads N              threads for the export's parallel work, 1 to 256\n"
         "                           (default: VEXMARK_THREADS, else every hardware thread)\n"
         "  --max-triangles N        refuse scenes that expand to more triangles (default\n"
         "                           " +
         host::import::GroupedDigits(host::import::kDefaultMaxTriangles) +
         ", about 4 GB at the export's peak)\n"
         "  --yes                    replace an existing file without asking\n"
         "  -q, --quiet              no progress display\n"
         "  --help, --version\n";
}

bool ParseOptions(int argc, char** argv, Options& o, std::string& error) {
  // "--name=value" is the same as "--name value"; after "--" every argument
  // is a scene file, even one whose name starts with '-'.
  static const std::set<std::string> kFlags = {"--help", "--version", "--quiet", "--yes",
                                               "--render-settings"};
  std::vector<std::string> args;
  size_t firstPlain = SIZE_MAX;  // index in args of the first argument after "--"
  for (int k = 1; k < argc; ++k) {
    const std::string arg = argv[k];
    const size_t equals = arg.find('=');
    if (firstPlain == SIZE_MAX && arg == "--") {
      firstPlain = args.size();
    } else if (firstPlain == SIZE_MAX && arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      const std::string name = arg.substr(0, equals);
      if (kFlags.count(name) != 0) {
        error = name + " takes no value";
        return false;
      }
      bool on = false;
      if (name == "--plotter" && !ParseSwitch(arg.substr(equals + 1), on)) {
        error = "--plotter: '" + arg.substr(equals + 1) + "' is not on or off";
        return false;
      }
      args.push_back(name);
      args.push_back(arg.substr(equals + 1));
    } else {
      args.push_back(arg);
    }
  }
  size_t i = 0;
  if (!args.empty() && args[0] == "info") {
    o.command = "info";
    ++i;
  }
  // Options that take a value, and what to do with it.
  auto take = [&](const std::string& name, std::string& value) {
    if (i + 1 >= args.size()) {
      error = name + " needs a value";
      return false;
    }
    value = args[++i];
    return true;
  };
  auto bad = [&](const std::string& name, const std::string& value, const std::string& want) {
    error = name + ": '" + value + "' is not " + want;
    return false;
  };
  // The option's value as a whole number from 1 to `most`.
  auto takeCount = [&](const std::string& name, int32_t most, int32_t& count) {
    std::string value;
    if (!take(name, value)) return false;
    if (!ParseInt(value, count) || count < 1 || count > most)
      return bad(name, value, "a whole number from 1 to " + std::to_string(most));
    return true;
  };

  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string v;
    if (i >= firstPlain) {
      if (!o.scene.empty()) {
        error = "more than one scene given: '" + o.scene + "' and '" + arg + "'";
        return false;
      }
      o.scene = arg;
    } else if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--version") {
      o.version = true;
    } else if (arg == "-q" || arg == "--quiet") {
      o.quiet = true;
    } else if (arg == "--yes" || arg == "-y") {
      o.yes = true;
    } else if (arg == "--render-settings") {
      o.renderSettings = true;
    } else if (arg == "-o" || arg == "--output") {
      if (!take(arg, v)) return false;
      if (v.empty()) return bad(arg, v, "a file name");
      if (v.find('\n') != std::string::npos) return bad(arg, v, "a file name without line breaks");
      o.outputs.push_back(v);
    } else if (arg == "--format") {
      if (!take(arg, v)) return false;
      if (v != "ai" && v != "eps" && v != "svg" && v != "pdf" && v != "png")
        return bad(arg, v, "ai, eps, svg, pdf or png");
      o.format = v;
    } else if (arg == "--dpi") {
      int32_t n = 0;
      if (!takeCount(arg, kMaxPngDpi, n)) return false;
      o.dpi = n;
    } else if (arg == "--style") {
      int32_t style = 0;
      if (!take(arg, v)) return false;
      if (!ParseStyle(v, style)) return bad(arg, v, "edges, visible, lines or filled");
      o.style = style;
    } else if (arg == "--from" || arg == "--to" || arg == "--fps" || arg == "--line-width") {
      int32_t n = 0;
      if (!take(arg, v)) return false;
      if (!ParseInt(v, n)) return bad(arg, v, "a whole number");
      if (arg == "--fps" && n < 1) return bad(arg, v, "at least 1");
      if (arg == "--line-width" && (n < 0 || n > 20)) return bad(arg, v, "between 0 and 20");
      (arg == "--from"  ? o.fromFrame
       : arg == "--to"  ? o.toFrame
       : arg == "--fps" ? o.fps
                        : o.lineWidth) = n;
    } else if (arg == "--threads") {
      int32_t n = 0;
      if (!takeCount(arg, kMaxThreads, n)) return false;
      o.threads = n;
    } else if (arg == "--max-triangles") {
      int32_t n = 0;
      if (!takeCount(arg, kMaxTriangleLimit, n)) return false;
      o.maxTriangles = n;
    } else if (arg == "--size") {
      int32_t w = 0, h = 0;
      if (!take(arg, v)) return false;
      if (!ParseSize(v, w, h))
        return bad(arg, v,
                   "a size like 1920x1080 (1 to " + std::to_string(kMaxPictureSize) + " each)");
      o.width = w;
      o.height = h;
    } else if (arg == "--preset") {
      if (!take(arg, v)) return false;
      o.preset = v;
    } else if (arg == "--back-faces") {
      if (!take(arg, v)) return false;
      if (v == "drop")
        o.backFaces = kBackFacesDrop;
      else if (v == "keep")
        o.backFaces = kBackFacesKeep;
      else
        return bad(arg, v, "drop or keep");
    } else if (arg == "--outline" || arg == "--crease" || arg == "--flat-edges") {
      bool on = false;
      if (!take(arg, v)) return false;
      if (!ParseSwitch(v, on)) return bad(arg, v, "on or off");
      (arg == "--outline" ? o.outline : arg == "--crease" ? o.crease : o.flatEdges) = on;
    } else if (arg == "--crease-angle" || arg == "--brightness") {
      double x = 0;
      if (!take(arg, v)) return false;
      if (!ParseReal(v, x)) return bad(arg, v, "a number");
      if (arg == "--brightness" && (x < 0 || x > 1)) return bad(arg, v, "between 0 and 1");
      if (arg == "--crease-angle" && (x < 0 || x > kMaxCreaseDegrees))
        return bad(arg, v, "an angle from 0 to 180 degrees");
      (arg == "--crease-angle" ? o.creaseAngle : o.brightness) = x;
    } else if (arg == "--line-color") {
      std::vector<double> rgb;
      if (!take(arg, v)) return false;
      if (!ParseColour(v, rgb)) return bad(arg, v, "a colour like #FF8000");
      o.lineColor = rgb;
    } else if (arg == "--plotter") {
      // A flag, or followed by on or off.
      bool on = true;
      if (i + 1 < args.size() && i + 1 < firstPlain && ParseSwitch(args[i + 1], on)) ++i;
      o.plotter = on;
    } else if (arg == "--min-length" || arg == "--simplify" || arg == "--margin") {
      double x = 0;
      if (!take(arg, v)) return false;
      if (!ParseReal(v, x) || x < 0 || x > kMaxPaperMm)
        return bad(arg, v, "a number from 0 to 100000");
      (arg == "--min-length" ? o.minLength : arg == "--simplify" ? o.simplify : o.margin) = x;
    } else if (arg == "--paper") {
      std::array<double, 2> size{};
      if (!take(arg, v)) return false;
      if (!ParsePaper(v, size))
        return bad(arg, v,
                   "A4, A3, letter, none or a size like 200x300mm (each side from 10 to 5080 mm)");
      o.paper = size;
    } else if (arg == "--camera") {
      if (!take(arg, v)) return false;
      o.camera = v;
    } else if (arg == "--tag") {
      TagRequest tag;
      if (!take(arg, v)) return false;
      if (!ParseTag(v, tag)) return bad(arg, v, "OBJECT:key=value,...");
      o.tags.push_back(tag);
    } else if (arg == "--save-scene") {
      if (!take(arg, v)) return false;
      o.saveScene = v;
    } else if (!arg.empty() && arg[0] == '-') {
      error = "unknown option '" + arg + "' (try --help)";
      return false;
    } else if (o.scene.empty()) {
      o.scene = arg;
    } else {
      error = "more than one scene given: '" + o.scene + "' and '" + arg + "'";
      return false;
    }
  }
  if (o.fromFrame && o.toFrame && *o.fromFrame > *o.toFrame) {
    error = "--from " + std::to_string(*o.fromFrame) + " is after --to " +
            std::to_string(*o.toFrame) + ": the frame range starts after it ends";
    return false;
  }
  if (!o.threads && !o.help && !o.version && o.command.empty() && !ThreadsVariableUsable(error))
    return false;
  if (o.paper && o.margin && (*o.paper)[0] > 0 &&
      2 * *o.margin >= std::min((*o.paper)[0], (*o.paper)[1])) {
    std::ostringstream sheet;
    sheet << (*o.paper)[0] << " x " << (*o.paper)[1];
    std::ostringstream margin;
    margin << *o.margin;
    error = "--margin: '" + margin.str() + "' mm leaves no room on a " + sheet.str() + " mm sheet";
    return false;
  }
  // Each file once, already here for the names the command line gives:
  // two -o, or -o and --save-scene, naming one file would write it twice.
  std::vector<PlannedFile> files;
  for (const std::string& name : OutputNames(o))
    files.push_back({std::filesystem::path(name).replace_extension(DrawingSuffix(name)).string()});
  if (o.saveScene) files.push_back({*o.saveScene});
  const std::string shared = SharedOutput(files, 0);
  if (!shared.empty()) {
    error = SharedOutputError(shared);
    return false;
  }
  if (o.command == "info" && o.scene.empty() && !o.help) {
    error = "info needs a scene file";
    return false;
  }
  return true;
}

}  // namespace app
