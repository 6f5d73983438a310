// What a viewer sees: scenes exported through the real host, the written
// files rendered by Ghostscript, and the pixels held against an independent
// ray-cast picture of the same scene.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "export_support.h"
#include "folded_body.h"
#include "host/import/load_scene.h"
#include "reference_view.h"

namespace {

using namespace e2e;

constexpr int kWidth = 320;
constexpr int kHeight = 240;
// Pixels this close to a projected edge, a change of the seen colour or the
// page border may carry a line; they are not compared.
constexpr double kEdgeBand = 2.0;

bool Near(const Rgb& a, const Rgb& b) {
  for (int k = 0; k < 3; ++k)
    if (std::abs(a[k] - b[k]) > 2) return false;
  return true;
}

bool Dark(const Rgb& c) {
  return c[0] < 128 && c[1] < 128 && c[2] < 128;
}

bool NearBorder(int x, int y, double band) {
  return x < band || y < band || x >= kWidth - band || y >= kHeight - band;
}

std::unique_ptr<HostDocument> LoadExample(const std::string& name) {
  std::string error;
  HostDocument* doc = host::LoadScene(std::string(VEXMARK_SOURCE_DIR) + "/examples/" + name, error);
  EXPECT_NE(doc, nullptr) << error;
  return std::unique_ptr<HostDocument>(doc);
}

// The turntable with its box turned by 1/8 of a turn.
std::unique_ptr<HostDocument> TurnedTurntable() {
  std::unique_ptr<HostDocument> doc = LoadExample("turntable.gltf");
  if (doc == nullptr) return doc;
  SetDocumentTime(doc.get(), Time(1, 8));
  host::EvaluateAnimation(*doc);
  return doc;
}

// Objects that no drawing order can sort: two triangles that pierce each
// other, and three planks that each lie over the next one round a triangle.
std::unique_ptr<HostDocument> Interlocking() {
  std::unique_ptr<HostDocument> doc(host::NewDocument());
  AddCamera(*doc);
  const float cx = -2.5f;
  AddMesh(*doc, "Front left", {{cx - 2.2f, -3, 9}, {cx + 2.2f, -3, 11}, {cx, 3, 10}},
          {Triangle(0, 1, 2)}, {0.9f, 0.1f, 0.1f});
  AddMesh(*doc, "Front right", {{cx - 2.2f, -2, 11}, {cx + 2.2f, -2, 9}, {cx, 3.5f, 10}},
          {Triangle(0, 1, 2)}, {0.1f, 0.2f, 0.9f});
  const HostVector colours[3] = {{0.1f, 0.7f, 0.2f}, {1.0f, 0.85f, 0.0f}, {0.0f, 0.7f, 0.9f}};
  const double pi = std::acos(-1.0);
  for (int k = 0; k < 3; ++k) {
    const double a0 = pi / 2 + 2 * pi * k / 3, a1 = pi / 2 + 2 * pi * (k + 1) / 3;
    const double x0 = 2.4 + 1.7 * std::cos(a0), y0 = -0.3 + 1.7 * std::sin(a0);
    const double x1 = 2.4 + 1.7 * std::cos(a1), y1 = -0.3 + 1.7 * std::sin(a1);
    const double length = std::hypot(x1 - x0, y1 - y0);
    const double ux = (x1 - x0) / length, uy = (y1 - y0) / length;
    const double reach = 0.6, half = 0.35;
    // Near at its start, far at its end: at each corner the plank that
    // starts there lies over the one that ends there.
    const auto at = [&](double along, double across, double z) {
      return HostVector{static_cast<float>(x0 + ux * along - uy * across),
                        static_cast<float>(y0 + uy * along + ux * across), static_cast<float>(z)};
    };
    AddMesh(*doc, "Plank " + std::to_string(k),
            {at(-reach, -half, 9.4), at(length + reach, -half, 10.6),
             at(length + reach, half, 10.6), at(-reach, half, 9.4)},
            {{0, 1, 2, 3}}, colours[k]);
  }
  return doc;
}

class ExportPixelsTest : public HostTest {
 protected:
  // Exports frame 0 of `doc` in `style` and renders the file.
  Picture Export(HostDocument* doc, int32_t style, int32_t backFaces, bool lines = true) {
    const std::string file = folder_ / (std::to_string(style) + ".ai");
    ExportSettings settings = FrameSettings(style, file, kWidth, kHeight);
    settings.backFaces = backFaces;
    settings.lines.outlineLines = lines;
    settings.lines.creaseLines = lines;
    ExportFrame(doc, settings);
    EXPECT_TRUE(ReadDrawing(file).framed) << file;
    return RenderWithGhostscript(file, kWidth, kHeight);
  }

  ScratchFolder folder_;
};

// Two boxes with their faces in six colours (an object each), turned to show three faces
// each: the left one under a node that mirrors it (scale -1 on x), which
// turns its polygons inside out unless the export takes that into account.
std::unique_ptr<HostDocument> MirroredBoxes() {
  std::unique_ptr<HostDocument> doc(host::NewDocument());
  AddCamera(*doc);
  const HostVector colours[6] = {{0.9f, 0.1f, 0.1f},  {0.1f, 0.7f, 0.2f}, {0.1f, 0.2f, 0.9f},
                                 {1.0f, 0.85f, 0.0f}, {0.0f, 0.7f, 0.9f}, {0.8f, 0.3f, 0.8f}};
  // Faces as corner numbers (bit 0: x, bit 1: y, bit 2: z), wound outwards.
  const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                           {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (int mirrored = 0; mirrored < 2; ++mirrored) {
    const std::string name = mirrored ? "Mirrored" : "Plain";
    HostObject& node = host::AddObject(doc->scene, host::kNoIndex, kObjectNull, name + " node");
    const double s = std::sin(0.4), c = std::cos(0.4);
    node.local = host::Compose({{mirrored ? -2.2 : 2.2, 0, 10},
                                host::NormalizedQuaternion({0.3 * s, s, 0, c}),
                                {mirrored ? -1.0 : 1.0, 1, 1}});
    std::vector<HostVector> corners;
    for (int k = 0; k < 8; ++k) {
      corners.push_back({k & 1 ? 1.3f : -1.3f, k & 2 ? 1.3f : -1.3f, k & 4 ? 1.3f : -1.3f});
    }
    // A face per object: the reference picture knows one colour per object.
    for (int f = 0; f < 6; ++f) {
      AddMesh(
          *doc, name + " face " + std::to_string(f),
          {corners[faces[f][0]], corners[faces[f][1]], corners[faces[f][2]], corners[faces[f][3]]},
          {{0, 1, 2, 3}}, colours[f], node.index);
    }
  }
  return doc;
}

// Under a parallel camera 12 units across: two equal squares, the far one
// twice as deep and partly behind the near one, and a turned box. In
// perspective the far square would come out half the size.
std::unique_ptr<HostDocument> ParallelView() {
  std::unique_ptr<HostDocument> doc(host::NewDocument());
  HostObject& camera = AddCamera(*doc);
  camera.camera.projection = kProjectionParallel;
  camera.camera.zoom = 1.0 / 12.0;
  const auto square = [&](const std::string& name, float x, float y, float z, HostVector rgb) {
    AddMesh(*doc, name, {{x, y, z}, {x, y + 3, z}, {x + 3, y + 3, z}, {x + 3, y, z}},
            {{0, 1, 2, 3}}, rgb);
  };
  square("Near square", -4.5f, -2.0f, 8.0f, {0.9f, 0.1f, 0.1f});
  square("Far square", -3.0f, -1.0f, 16.0f, {0.1f, 0.2f, 0.9f});
  HostObject& node = host::AddObject(doc->scene, host::kNoIndex, kObjectNull, "Box node");
  const double s = std::sin(0.4), c = std::cos(0.4);
  node.local =
      host::Compose({{2.6, 0, 12}, host::NormalizedQuaternion({0.3 * s, s, 0, c}), {1, 1, 1}});
  const HostVector colours[6] = {{0.1f, 0.7f, 0.2f}, {1.0f, 0.85f, 0.0f}, {0.0f, 0.7f, 0.9f},
                                 {0.8f, 0.3f, 0.8f}, {0.5f, 0.5f, 0.1f},  {0.9f, 0.5f, 0.2f}};
  const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                           {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  std::vector<HostVector> corners;
  for (int k = 0; k < 8; ++k)
    corners.push_back({k & 1 ? 1.5f : -1.5f, k & 2 ? 1.5f : -1.5f, k & 4 ? 1.5f : -1.5f});
  for (int f = 0; f < 6; ++f) {
    AddMesh(
        *doc, "Box face " + std::to_string(f),
        {corners[faces[f][0]], corners[faces[f][1]], corners[faces[f][2]], corners[faces[f][3]]},
        {{0, 1, 2, 3}}, colours[f], node.index);
  }
  return doc;
}

struct PictureCase {
  const char* name;
  std::function<std::unique_ptr<HostDocument>()> scene;
  int32_t backFaces;
};

// Filled regions: every pixel away from the edges has the colour of the
// nearest polygon along its ray, or white where there is none.
TEST_F(ExportPixelsTest, FilledRegionsAgreeWithARayCastPicture) {
  const PictureCase cases[] = {
      {"still life", [] { return LoadExample("still-life.gltf"); }, kBackFacesDrop},
      {"turntable at 1/8 s", TurnedTurntable, kBackFacesDrop},
      {"interlocking", Interlocking, kBackFacesKeep},
      {"mirrored box", MirroredBoxes, kBackFacesDrop},
      {"parallel camera", ParallelView, kBackFacesDrop},
  };
  for (const PictureCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::unique_ptr<HostDocument> doc = c.scene();
    ASSERT_NE(doc, nullptr);
    const Picture picture = Export(doc.get(), kStyleFilled, c.backFaces);
    ASSERT_EQ(picture.Width(), kWidth);
    const ReferenceView reference(*doc, kWidth, kHeight);

    int compared = 0, agreeing = 0, coloured = 0;
    std::string firstMisses;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        if (reference.EdgeDistance(x, y) <= kEdgeBand || !reference.Uniform(x, y, 2) ||
            NearBorder(x, y, kEdgeBand))
          continue;
        ++compared;
        const Rgb expected = reference.Colour(x, y);
        if (expected != ReferenceView::kWhite) ++coloured;
        if (Near(picture.At(x, y), expected)) {
          ++agreeing;
        } else if (firstMisses.size() < 400) {
          firstMisses += " (" + std::to_string(x) + "," + std::to_string(y) + ") " +
                         Describe(picture.At(x, y)) + " for " + Describe(expected) + ";";
        }
      }
    }
    EXPECT_GT(compared, kWidth * kHeight / 2) << "too few pixels away from the edges";
    EXPECT_GT(coloured, compared / 5) << "the scene hardly shows";
    EXPECT_GE(agreeing, compared * 0.99) << agreeing << " of " << compared << ":" << firstMisses;
  }
}

// The filled style on a body of 200,000 triangles in eight colours that
// hides parts of itself: the outline of each colour region is chained from
// very many short pieces that meet at nearly the same points, where a wrong
// turn leaves holes or floods a region with the wrong colour, and where the
// two sides of a fold that miss each other by a hair were filled as
// slivers (over 2,000 of them here before the outlines were welded). Away
// from the places where the seen colour changes, the picture is the ray
// caster's.
TEST_F(ExportPixelsTest, FilledRegionsOfALargeFoldedBodyAgreeWithARayCastPicture) {
  std::unique_ptr<HostDocument> doc(host::NewDocument());
  const int triangles = 200000;
  AddCamera(*doc);
  AddFoldedBody(*doc, triangles);
  const Picture picture = Export(doc.get(), kStyleFilled, kBackFacesDrop, false);
  ASSERT_EQ(picture.Width(), kWidth);
  const ReferenceView reference(*doc, kWidth, kHeight);
  ASSERT_GE(reference.TriangleCount(), static_cast<size_t>(triangles));

  int compared = 0, agreeing = 0, coloured = 0;
  std::string firstMisses;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (!reference.Uniform(x, y, 2) || NearBorder(x, y, kEdgeBand)) continue;
      ++compared;
      const Rgb expected = reference.Colour(x, y);
      if (expected != ReferenceView::kWhite) ++coloured;
      if (Near(picture.At(x, y), expected)) {
        ++agreeing;
      } else if (firstMisses.size() < 400) {
        firstMisses += " (" + std::to_string(x) + "," + std::to_string(y) + ") " +
                       Describe(picture.At(x, y)) + " for " + Describe(expected) + ";";
      }
    }
  }
  EXPECT_GT(coloured, compared / 4) << "the body hardly shows";
  EXPECT_GE(agreeing, compared * 0.995) << agreeing << " of " << compared << ":" << firstMisses;

  // No fill piece is a sliver that a viewer would see as a hairline: every
  // filled path is on average at least 1/50 pt wide (area / half length).
  int slivers = 0;
  for (const PaintedPath& path : ReadDrawing(folder_ / "10037.ai").paths) {
    double twiceArea = 0, length = 0;
    for (size_t k = 0; k < path.points.size(); ++k) {
      const PagePoint p = path.points[k], q = path.points[(k + 1) % path.points.size()];
      twiceArea += p.x * q.y - q.x * p.y;
      length += std::hypot(q.x - p.x, q.y - p.y);
    }
    if (path.paint == 'f' && std::fabs(twiceArea) / 2 < 0.01 * length) ++slivers;
  }
  EXPECT_EQ(slivers, 0) << "filled paths of next to no area";
}

// The still life as a viewer sees it: the red box left of the middle, the
// green column right of it, which the camera model alone cannot get wrong
// in the same way in the file and in the reference.
TEST_F(ExportPixelsTest, StillLifeIsNotMirrored) {
  const std::unique_ptr<HostDocument> doc = LoadExample("still-life.gltf");
  ASSERT_NE(doc, nullptr);
  const Picture picture = Export(doc.get(), kStyleFilled, kBackFacesDrop);
  const auto meanColumn = [&](const Rgb& colour) {
    double sum = 0;
    int count = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        if (Near(picture.At(x, y), colour)) sum += x, ++count;
    EXPECT_GT(count, 500) << Describe(colour);
    return count > 0 ? sum / count : 0.0;
  };
  EXPECT_LT(meanColumn({216, 38, 25}), kWidth / 2) << "red box";
  EXPECT_GT(meanColumn({51, 153, 63}), kWidth / 2) << "green column";
}

// The line styles draw nothing where no edge is, and the hidden-line
// styles nothing where only hidden edges are; the visible edges are all
// drawn in style kStyleVisibleEdges.
TEST_F(ExportPixelsTest, LinesLieOnTheEdgesThatAViewerSees) {
  const PictureCase scenes[] = {
      {"still life", [] { return LoadExample("still-life.gltf"); }, kBackFacesDrop},
      {"parallel camera", ParallelView, kBackFacesDrop},
  };
  for (const PictureCase& scene : scenes) {
    SCOPED_TRACE(scene.name);
    const std::unique_ptr<HostDocument> doc = scene.scene();
    ASSERT_NE(doc, nullptr);
    const ReferenceView reference(*doc, kWidth, kHeight);
    for (const int32_t style : {kStyleAllEdges, kStyleVisibleEdges, kStyleEdgeLines}) {
      SCOPED_TRACE(style);
      const Picture picture = Export(doc.get(), style, kBackFacesDrop);
      const bool hidden = style != kStyleAllEdges;
      int dark = 0, stray = 0;
      std::string strays;
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
          // Regions cut by the frame may be outlined along it.
          if (!Dark(picture.At(x, y)) || NearBorder(x, y, kEdgeBand)) continue;
          ++dark;
          const double distance =
              hidden ? reference.VisibleEdgeDistance(x, y) : reference.EdgeDistance(x, y);
          if (distance > 1.5) {
            ++stray;
            if (strays.size() < 300)
              strays += " (" + std::to_string(x) + "," + std::to_string(y) + ")";
          }
        }
      }
      EXPECT_GT(dark, 500) << "hardly any lines";
      EXPECT_EQ(stray, 0) << "lines away from every " << (hidden ? "visible " : "")
                          << "edge:" << strays;
      if (style != kStyleVisibleEdges) continue;

      int samples = 0, drawn = 0;
      for (const ReferenceView::Sample& s : reference.VisibleEdgePoints()) {
        const int x = static_cast<int>(s.u), y = static_cast<int>(s.v);
        if (NearBorder(x, y, 3)) continue;
        ++samples;
        bool found = false;
        for (int dy = -1; dy <= 1 && !found; ++dy)
          for (int dx = -1; dx <= 1 && !found; ++dx) found = Dark(picture.At(x + dx, y + dy));
        drawn += found ? 1 : 0;
      }
      EXPECT_GT(samples, 1000);
      EXPECT_GE(drawn, samples * 0.999)
          << drawn << " of " << samples << " visible edge points drawn";
    }
  }
}

// A drawing chosen as ".eps" is a standalone file: plain Ghostscript, with no
// procedure set, draws it exactly as the ".ai" file is drawn with one, in a
// line style and in the filled style; and its header says it is EPS.
TEST_F(ExportPixelsTest, StandaloneEpsDrawsLikeTheAiFileWithoutAProcedureSet) {
  const std::unique_ptr<HostDocument> doc = LoadExample("still-life.gltf");
  ASSERT_NE(doc, nullptr);
  for (const int32_t style : {kStyleEdgeLines, kStyleFilled}) {
    SCOPED_TRACE(style);
    const Picture withProcset = Export(doc.get(), style, kBackFacesDrop);
    const std::string eps = folder_ / (std::to_string(style) + ".eps");
    ExportFrame(doc.get(), FrameSettings(style, eps, kWidth, kHeight));
    EXPECT_EQ(ReadWhole(eps).rfind("%!PS-Adobe-3.0 EPSF-3.0\r\n", 0), 0u);
    const Picture plain = RenderWithGhostscript(eps, kWidth, kHeight, false);
    ASSERT_EQ(plain.Width(), kWidth);
    int same = 0, marked = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        same += plain.At(x, y) == withProcset.At(x, y) ? 1 : 0;
        marked += plain.At(x, y) != ReferenceView::kWhite ? 1 : 0;
      }
    }
    EXPECT_GT(marked, 1000) << "the drawing hardly shows";
    EXPECT_EQ(same, kWidth * kHeight);
  }
}

// How far the lines of `a` come from the lines of `b` at most, in points:
// every path of `a`, walked in steps of a quarter point, against every
// segment of `b` (a closed path with its closing segment).
double FarthestApart(const WrittenDrawing& a, const WrittenDrawing& b) {
  const auto segments = [](const PaintedPath& path) {
    std::vector<std::pair<PagePoint, PagePoint>> out;
    for (size_t k = 1; k < path.points.size(); ++k)
      out.push_back({path.points[k - 1], path.points[k]});
    if (path.Closed() && path.points.size() > 2)
      out.push_back({path.points.back(), path.points[0]});
    return out;
  };
  std::vector<std::pair<PagePoint, PagePoint>> target;
  for (const PaintedPath& path : b.paths)
    for (const auto& segment : segments(path)) target.push_back(segment);
  const auto distance = [&](PagePoint p) {
    double nearest = HUGE_VAL;
    for (const auto& [from, to] : target) {
      const double dx = to.x - from.x, dy = to.y - from.y;
      const double length2 = dx * dx + dy * dy;
      double t = length2 > 0 ? ((p.x - from.x) * dx + (p.y - from.y) * dy) / length2 : 0;
      t = std::min(1.0, std::max(0.0, t));
      nearest = std::min(nearest, std::hypot(p.x - from.x - t * dx, p.y - from.y - t * dy));
    }
    return nearest;
  };
  double farthest = 0;
  for (const PaintedPath& path : a.paths) {
    for (const auto& [from, to] : segments(path)) {
      const int steps = 1 + static_cast<int>(std::hypot(to.x - from.x, to.y - from.y) * 4);
      for (int k = 0; k <= steps; ++k) {
        const double t = static_cast<double>(k) / steps;
        farthest = std::max(farthest,
                            distance({from.x + t * (to.x - from.x), from.y + t * (to.y - from.y)}));
      }
    }
  }
  return farthest;
}

// The still life moved far from the origin or drawn in another unit, its
// camera with it, draws as it does at the origin in its own unit: in single
// precision its points would sit on a grid of 1/16 unit a million units
// out, and the passes' fixed tolerances would swallow its detail at 1/10,000
// of its size.
TEST_F(ExportPixelsTest, AModelAtAnyPlaceAndScaleDrawsAsAtTheOriginInItsOwnUnit) {
  struct Placement {
    double scale;
    double offset;
  };
  const auto drawingAt = [&](Placement at, int32_t style) {
    const std::unique_ptr<HostDocument> doc = LoadExample("still-life.gltf");
    for (const auto& object : doc->scene.objects) {
      if (object->parent != host::kNoIndex) continue;
      host::Matrix& m = object->local;
      m.off = m.off * at.scale + host::Vec3{at.offset, -0.6 * at.offset, 0.3 * at.offset};
      m.v1 = m.v1 * at.scale;
      m.v2 = m.v2 * at.scale;
      m.v3 = m.v3 * at.scale;
    }
    const std::string file = folder_ / ("placed-" + std::to_string(style) + ".ai");
    ExportFrame(doc.get(), FrameSettings(style, file, kWidth, kHeight));
    return ReadDrawing(file);
  };
  const Placement placements[] = {{1, 1e3}, {1, 1e5}, {1, 1e6},    {1e-4, 0}, {1e-2, 0},
                                  {1e2, 0}, {1e4, 0}, {1e-4, 1e2}, {1e4, 1e6}};
  for (const int32_t style : {kStyleVisibleEdges, kStyleFilled}) {
    const WrittenDrawing unit = drawingAt({1, 0}, style);
    ASSERT_GT(unit.paths.size(), 5u);
    for (const Placement& at : placements) {
      SCOPED_TRACE(std::to_string(style) + ": scale " + std::to_string(at.scale) + ", moved by " +
                   std::to_string(at.offset));
      const WrittenDrawing placed = drawingAt(at, style);
      // Where a line is cut, the last digits may differ, and a path may
      // come in two pieces that meet; the lines themselves lie where they
      // lay, to a hundredth of a point, and none is missing.
      EXPECT_LT(FarthestApart(unit, placed), 0.01) << "pt";
      EXPECT_LT(FarthestApart(placed, unit), 0.01) << "pt";
    }
  }
}

}  // namespace
