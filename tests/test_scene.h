// A small scene for the pass tests: generated meshes captured and clipped by
// the frame driver's capture stage, then run through its visibility stage
// (or through pass 1 and pass 2 one by one).
#pragma once

#include <memory>
#include <vector>

#include "bsp_fixture.h"
#include "capture/captured_scene.h"
#include "mesh_input.h"
#include "shell/bsp_renderer.h"
#include "visibility/beam_tree.h"
#include "visibility/passes.h"

struct TestObject : PolygonColours {
  std::vector<HostVector> points;
  std::vector<PolygonCorners> polygons;
  EdgeNeighbourTable neighbours;
  BSPPolyObj* object = nullptr;

  bool ColourOf(int32_t, Colour& colour) const override {
    colour = Colour{1.0f, 1.0f, 1.0f};
    return true;
  }
};

class TestScene {
 public:
  explicit TestScene(int32_t width = 100, int32_t height = 100) {
    settings.drawingStyle = kStyleVisibleEdges;
    settings.backFaces = kBackFacesKeep;
    settings.width = width;
    settings.height = height;
  }
  ~TestScene() { DestroyBeamTree(tree); }

  // A new object with these points and polygons (c == d: triangle).
  TestObject& Add(std::vector<HostVector> points, std::vector<PolygonCorners> polygons) {
    items_.push_back(std::make_unique<TestObject>());
    TestObject& item = *items_.back();
    item.points = std::move(points);
    item.polygons = std::move(polygons);
    return item;
  }

  // Captures every object and runs the frame's capture stage: the clipped
  // list then holds every polygon in view.
  void Capture() {
    renderer_.Prepare(settings, job);
    for (auto& item : items_) {
      const MeshInput input =
          MeshInputOf(item->points, item->polygons, item->neighbours, item.get());
      // As the driver does, an object that cannot be captured is left out.
      item->object = AddCapturedObject(renderer_.scene, settings, settings.lines, input);
    }
    renderer_.scene.camera = StraightCamera();
    renderer_.CaptureStage(clipped);
  }

  // The frame's visibility stage; false when it stopped early.
  bool RunPasses() { return renderer_.VisibilityStage(clipped); }

  const BspView& View() const { return *renderer_.view; }
  Stack<BSPPolyObj*>& Objects() { return renderer_.scene.objects; }
  BSPPolyObj& Object(size_t i) { return *items_[i]->object; }

  ExportSettings settings;
  ExportJob job;
  Stack<BspPolygon> clipped;
  BeamTree tree;  // for tests that run the passes one by one

 private:
  BSPRenderer renderer_;
  std::vector<std::unique_ptr<TestObject>> items_;
};
