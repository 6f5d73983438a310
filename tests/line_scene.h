// A tiny scene for the edge-line tests: meshes with one colour per polygon,
// run through the frame driver's stages up to the visibility stage or the
// line stage; plus readers for the segments that were handed over.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "capture/captured_scene.h"
#include "mesh_input.h"
#include "core/export_settings.h"
#include "host_fixture.h"
#include "lines/line_group.h"
#include "shell/bsp_renderer.h"

using Rgb = std::array<float, 3>;

struct ColouredMesh : PolygonColours {
  std::vector<HostVector> points;
  std::vector<PolygonCorners> polygons;
  std::vector<Rgb> colours;  // one per polygon
  EdgeNeighbourTable neighbours;
  BSPPolyObj* object = nullptr;

  bool ColourOf(int32_t polygon, Colour& colour) const override {
    colour = Colour{colours[polygon][0], colours[polygon][1], colours[polygon][2]};
    return true;
  }
};

class LineScene {
 public:
  // Camera at the origin looking along +z; at depth z the view spans
  // |x| <= z / 2 and |y| <= z / 2.
  explicit LineScene(int32_t style) {
    settings.drawingStyle = style;
    settings.backFaces = kBackFacesKeep;
    settings.width = 100;
    settings.height = 100;
  }

  ColouredMesh& Add(std::vector<HostVector> points, std::vector<PolygonCorners> polygons,
                    std::vector<Rgb> colours) {
    meshes_.push_back(std::make_unique<ColouredMesh>());
    ColouredMesh& mesh = *meshes_.back();
    mesh.points = std::move(points);
    mesh.polygons = std::move(polygons);
    mesh.colours = std::move(colours);
    return mesh;
  }

  // The frame driver's stages up to `last` on the meshes; afterwards every
  // object holds its visible fragments, and after the line stage `elements`
  // holds the line groups in world space.
  void RenderUpTo(FrameStage last) {
    ASSERT_NE(renderer_.Prepare(settings, job), 0);
    for (auto& mesh : meshes_) {
      const MeshInput input =
          MeshInputOf(mesh->points, mesh->polygons, mesh->neighbours, mesh.get());
      mesh->object = AddCapturedObject(renderer_.scene, settings, settings.lines, input);
      ASSERT_NE(mesh->object, nullptr);
    }
    CameraInput camera;
    camera.lensLength = 36.0;
    camera.filmWidth = 36.0;
    renderer_.scene.camera = camera;
    EXPECT_TRUE(renderer_.Draw(last));
  }

  void RenderFragments() { RenderUpTo(FrameStage::kVisibility); }
  // The line and drawing stages after RenderFragments: the page's drawing.
  Drawing& DrawPage() {
    EXPECT_TRUE(renderer_.LinesStage());
    EXPECT_TRUE(renderer_.DrawingStage());
    return renderer_.drawing;
  }
  void Render() { RenderUpTo(FrameStage::kLines); }

  BSPPolyObj& Object(size_t i) { return *meshes_[i]->object; }
  Stack<BSPPolyObj*>& Objects() { return renderer_.scene.objects; }
  Stack<LineGroup>& Elements() { return renderer_.elements; }
  const BspView& View() const { return *renderer_.view; }

  ExportSettings settings;
  ExportJob job;

 private:
  BSPRenderer renderer_;
  std::vector<std::unique_ptr<ColouredMesh>> meshes_;
};

// Every segment of every element of `kind`.
inline std::vector<EdgeSegment> SegmentsOfKind(const Stack<LineGroup>& elements, uint32_t kind) {
  std::vector<EdgeSegment> found;
  for (int32_t e = 0; e < elements.Count(); ++e) {
    if (elements[e].kind != kind) continue;
    for (int32_t p = 0; p < elements[e].polygons.Count(); ++p) {
      const Stack<EdgeSegment>& segments = elements[e].polygons[p].segments;
      for (int32_t s = 0; s < segments.Count(); ++s) found.push_back(segments[s]);
    }
  }
  return found;
}

// The kinds of the elements, in order.
inline std::vector<uint32_t> KindsOf(const Stack<LineGroup>& elements) {
  std::vector<uint32_t> kinds;
  for (int32_t e = 0; e < elements.Count(); ++e) kinds.push_back(elements[e].kind);
  return kinds;
}

// How much of the stretch from `from` to `to` the segments cover, summed
// over all segments that lie on it: the stretch's length when it is drawn
// once, twice that when it is drawn twice.
inline double CoveredLength(const std::vector<EdgeSegment>& segments, const Vector3d& from,
                            const Vector3d& to) {
  constexpr double kTolerance = 1e-6;
  const Vector3d axis = Normalised(to - from);
  const double length = Length(to - from);
  const auto onStretch = [&](const Vector3d& p, double& t) {
    t = Dot(p - from, axis);
    return Length(from + axis * t - p) < kTolerance && t > -kTolerance && t < length + kTolerance;
  };
  double covered = 0.0;
  for (const EdgeSegment& s : segments) {
    double ta = 0.0;
    double tb = 0.0;
    if (onStretch(s.a, ta) && onStretch(s.b, tb)) covered += std::fabs(tb - ta);
  }
  return covered;
}

// The total length of the segments.
inline double TotalLength(const std::vector<EdgeSegment>& segments) {
  double total = 0.0;
  for (const EdgeSegment& s : segments) total += Length(s.b - s.a);
  return total;
}

using LineStageTest = ModuleTest;
