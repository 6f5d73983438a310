// Exports through the real host: small scenes built in host documents, one
// frame run through the renderer driver into a scratch folder, and readers
// for what a written file holds: its painted paths, and the pixels that
// Ghostscript renders from it with our procedure set.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/export_settings.h"
#include "core/job.h"
#include "core/stack.h"
#include "host/document.h"
#include "host/runtime.h"
#include "host/scene.h"
#include "host_fixture.h"
#include "ppm_picture.h"
#include "program_support.h"
#include "shell/bsp_renderer.h"

namespace e2e {

namespace fs = std::filesystem;

// A folder of its own under the system's temporary folder; removed with
// everything in it when the test ends.
class ScratchFolder {
 public:
  ScratchFolder() {
    static std::atomic<int> counter{0};
    path_ = fs::temp_directory_path() /
            ("vexmark-e2e-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const fs::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  // The names of the files in the folder, sorted.
  std::set<std::string> Files() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_))
      names.insert(entry.path().filename().string());
    return names;
  }

  // The files but the program's own stdout.txt and stderr.txt.
  std::set<std::string> Drawings() const {
    std::set<std::string> files = Files();
    files.erase("stdout.txt");
    files.erase("stderr.txt");
    return files;
  }

 private:
  fs::path path_;
};

// ---------------------------------------------------------------- scenes

// Adds a camera at the origin looking along +z, with x to the right and y up
// on the page, and links it to the view. Lens and film width are equal, so
// the focal scale is the picture width: at depth z the picture spans
// |x| <= z / 2.
inline HostObject& AddCamera(HostDocument& doc) {
  HostObject& camera = host::AddObject(doc.scene, host::kNoIndex, kObjectCamera, "Camera");
  camera.camera.lens = 36.0;
  camera.camera.filmWidth = 36.0;
  doc.scene.view.linkedCamera = camera.index;
  return camera;
}

inline int32_t AddColour(HostDocument& doc, HostVector rgb) {
  HostMaterial material;
  host::SetChannel(material, kChannelColour, rgb, 1.0);
  return host::AddMaterial(doc.scene, material);
}

// A polygon object in one colour; a triangle repeats its third corner.
inline HostObject& AddMesh(HostDocument& doc, const std::string& name,
                           std::vector<HostVector> points, std::vector<HostPolygon> polygons,
                           HostVector rgb, int32_t parent = host::kNoIndex) {
  const int32_t material = AddColour(doc, rgb);
  HostObject& object = host::AddObject(doc.scene, parent, kObjectPolygon, name);
  object.points = std::move(points);
  object.polygons = std::move(polygons);
  host::AddTag(object, host::TextureTag(material, ""));
  return object;
}

// Gives some polygons of an object a colour of their own.
inline void PaintPolygons(HostDocument& doc, HostObject& object, std::set<int32_t> polygons,
                          HostVector rgb) {
  const int32_t material = AddColour(doc, rgb);
  const std::string name = "Painted" + std::to_string(object.tags.size());
  host::AddTag(object, host::SelectionTag(name, std::move(polygons)));
  host::AddTag(object, host::TextureTag(material, name));
}

inline HostPolygon Triangle(int32_t a, int32_t b, int32_t c) {
  return HostPolygon{a, b, c, c};
}

// A camera and two overlapping squares of different colours before it, the
// back one tilted and partly hidden: a small scene with regions, outlines
// and a hidden part.
inline void AddOverlappingSquares(HostDocument& doc) {
  AddCamera(doc);
  AddMesh(doc, "Front", {{-2, -2, 10}, {2, -2, 10}, {2, 2, 10}, {-2, 2, 10}},
          {Triangle(0, 1, 2), Triangle(0, 2, 3)}, {0.8f, 0.2f, 0.2f});
  AddMesh(doc, "Back", {{0, 0, 12}, {4, 0, 12}, {4, 4, 14}, {0, 4, 14}}, {{0, 1, 2, 3}},
          {0.2f, 0.2f, 0.8f});
}

// Settings for one frame of `width` x `height` into `file`. Back faces are
// kept, so that the scenes of the tests need not care about winding.
inline ExportSettings FrameSettings(int32_t style, const std::string& file, int32_t width = 200,
                                    int32_t height = 200) {
  ExportSettings settings;
  settings.drawingStyle = style;
  settings.backFaces = kBackFacesKeep;
  settings.width = width;
  settings.height = height;
  settings.fileName = file.c_str();
  return settings;
}

// Runs frame 0 through the renderer driver, as the export step does, with a
// fresh job bound to this thread; returns the job as the frame left it.
inline ExportJob ExportFrame(HostDocument* doc, const ExportSettings& settings) {
  ExportJob job;
  JobBinding binding(job);
  ResetProgress(job);
  RenderFrame(doc, 0, settings, job);
  return job;
}

// ---------------------------------------------------------------- written files

// A point in file coordinates: page units, y up from the bottom edge.
struct PagePoint {
  double x = 0;
  double y = 0;
};

// Where the test camera of AddCamera puts a world point in the file of a
// `width` x `height` page.
inline PagePoint OnPage(HostVector p, int32_t width = 200, int32_t height = 200) {
  const double f = width;  // lens and film width are equal
  return PagePoint{width / 2.0 + f * p.x / p.z, height / 2.0 + f * p.y / p.z};
}

// One path of the body with the paint state it was written in.
struct PaintedPath {
  std::vector<PagePoint> points;
  char paint = 0;  // 'S' stroke, 'f' fill, 'b' both
  std::string fill;
  std::string stroke;
  std::string width;
  bool Stroked() const { return paint == 'S' || paint == 'b'; }
  bool Closed() const { return paint == 'f' || paint == 'b'; }
};

struct WrittenDrawing {
  std::vector<std::string> lines;  // without their CR LF
  std::vector<PaintedPath> paths;
  bool framed = false;  // the fixed first and last line, every line ending in CR LF

  // How much of the stretch from `from` to `to` the stroked paths cover,
  // counting a piece drawn twice twice: the stretch's length when it is
  // drawn once.
  double Covered(PagePoint from, PagePoint to) const {
    constexpr double kOffLine = 0.01;
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double length = std::hypot(dx, dy);
    const auto along = [&](PagePoint p) {
      return ((p.x - from.x) * dx + (p.y - from.y) * dy) / length;
    };
    const auto off = [&](PagePoint p) {
      return std::fabs((p.x - from.x) * dy - (p.y - from.y) * dx) / length;
    };
    double covered = 0;
    for (const PaintedPath& path : paths) {
      if (!path.Stroked()) continue;
      const size_t n = path.points.size();
      const size_t steps = path.Closed() ? n : n - 1;
      for (size_t i = 0; n > 1 && i < steps; ++i) {
        const PagePoint p = path.points[i];
        const PagePoint q = path.points[(i + 1) % n];
        if (off(p) > kOffLine || off(q) > kOffLine) continue;
        const double lo = std::max(0.0, std::min(along(p), along(q)));
        const double hi = std::min(length, std::max(along(p), along(q)));
        if (hi > lo) covered += hi - lo;
      }
    }
    return covered;
  }

  // The length of all stroked path steps together.
  double StrokedLength() const {
    double length = 0;
    for (const PaintedPath& path : paths) {
      if (!path.Stroked()) continue;
      const size_t n = path.points.size();
      const size_t steps = path.Closed() ? n : n - 1;
      for (size_t i = 0; n > 1 && i < steps; ++i) {
        const PagePoint p = path.points[i], q = path.points[(i + 1) % n];
        length += std::hypot(q.x - p.x, q.y - p.y);
      }
    }
    return length;
  }

  // Every corner of every path.
  std::vector<PagePoint> Corners() const {
    std::vector<PagePoint> corners;
    for (const PaintedPath& path : paths)
      corners.insert(corners.end(), path.points.begin(), path.points.end());
    return corners;
  }

  // The distinct line-width lines of the body.
  std::set<std::string> Widths() const {
    std::set<std::string> widths;
    for (const std::string& line : lines)
      if (line.size() > 2 && line.compare(line.size() - 2, 2, " w") == 0) widths.insert(line);
    return widths;
  }
};

inline WrittenDrawing ReadDrawing(const fs::path& file) {
  WrittenDrawing drawing;
  const std::string text = ReadWhole(file);
  bool crlf = !text.empty();
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos || end == start || text[end - 1] != '\r') {
      crlf = false;
      break;
    }
    drawing.lines.push_back(text.substr(start, end - 1 - start));
    start = end + 1;
  }
  // The first line of a ".ai" file, or of a standalone ".eps" file.
  const bool headed =
      !drawing.lines.empty() && (drawing.lines.front() == "%!PS-Adobe-3.0" ||
                                 drawing.lines.front() == "%!PS-Adobe-3.0 EPSF-3.0");
  drawing.framed = crlf && drawing.lines.size() >= 20 && headed && drawing.lines.back() == "%%EOF";

  PaintedPath current;
  std::string fill, stroke, width;
  for (const std::string& line : drawing.lines) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    if (words.empty()) continue;
    const std::string& op = words.back();
    if (op == "Xa" || op == "XA") {
      (op == "Xa" ? fill : stroke) = line.substr(0, line.size() - 3);
    } else if (op == "w") {
      width = words[0];
    } else if ((op == "m" || op == "l") && words.size() == 3) {
      if (op == "m") current = PaintedPath{};
      current.points.push_back({std::stod(words[0]), std::stod(words[1])});
    } else if ((op == "S" || op == "f" || op == "b") && words.size() == 1) {
      current.paint = op[0];
      current.fill = fill;
      current.stroke = stroke;
      current.width = width;
      drawing.paths.push_back(current);
      current = PaintedPath{};
    }
  }
  return drawing;
}

// ---------------------------------------------------------------- pixels

// Renders a written file at one pixel per point, without anti-aliasing
// (or with it, to hold against antialiased pictures), with the procedure set
// that defines the operators the file uses, or without it for a standalone
// file. A missing Ghostscript fails the test.
inline Picture RenderWithGhostscript(const fs::path& eps, int width, int height,
                                     bool procedureSet = true, bool antialiased = false) {
  const std::string procset =
      std::string(VEXMARK_SOURCE_DIR) + "/tests/eps/data/vexmark_procset.ps";
  const fs::path ppm = fs::path(eps).replace_extension(".ppm");
  const std::string command =
      std::string("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r72 ") +
      (antialiased ? "-dGraphicsAlphaBits=4 " : "") + "-g" + std::to_string(width) + "x" +
      std::to_string(height) + " -sOutputFile='" + ppm.string() + "' " +
      (procedureSet ? "'" + procset + "' " : std::string()) + "-f '" + eps.string() + "' 2>&1";
  std::string messages;
  FILE* pipe = popen(command.c_str(), "r");
  Picture picture;
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot run " << command;
    return picture;
  }
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) messages += buffer;
  const int status = pclose(pipe);
  EXPECT_EQ(status, 0) << "Ghostscript failed (is it installed?): " << messages;
  EXPECT_EQ(messages, "") << eps;
  EXPECT_TRUE(picture.Load(ReadWhole(ppm))) << "no picture from: " << command;
  return picture;
}

}  // namespace e2e
