// A small scene for the pass tests: generated meshes captured through the
// real capture, clipped to the frustum, then run through pass 1 and pass 2
// (or handed back, for style kStyleAllEdges), the way the renderer driver does it.
#pragma once

#include <memory>
#include <vector>

#include "capture/capture.h"
#include "visibility/passes.h"
#include "bsp_fixture.h"

struct TestObject : PolygonColours {
  std::vector<Vector> points;
  std::vector<PolygonCorners> polygons;
  EdgeNeighbourTable neighbours;
  BSPPolyObj* object = nullptr;

  bool ColourOf(int32_t, float rgb[3]) const override {
    rgb[0] = rgb[1] = rgb[2] = 1.0f;
    return true;
  }
};

class TestScene {
 public:
  explicit TestScene(int32_t width = 100, int32_t height = 100) {
    settings.drawingStyle = kStyleVisibleEdges;
    settings.backFaces = kBackFacesKeep;
    MakeView(view, width, height, &settings);
    SetCamera(view, StraightCamera());
  }
  ~TestScene() {
    DestroyBeamTree(tree);
    for (auto& item : items_) HostDelete(item->object);
  }

  // A new object with these points and polygons (c == d: triangle).
  TestObject& Add(std::vector<Vector> points, std::vector<PolygonCorners> polygons) {
    items_.push_back(std::make_unique<TestObject>());
    TestObject& item = *items_.back();
    item.points = std::move(points);
    item.polygons = std::move(polygons);
    return item;
  }

  // Captures every object and clips its polygons into the clipped list.
  void Capture() {
    for (auto& item : items_) {
      item->neighbours.Build(item->polygons.data(), static_cast<int32_t>(item->polygons.size()));
      MeshInput input;
      input.points = item->points.data();
      input.pointCount = static_cast<int32_t>(item->points.size());
      input.polygons = item->polygons.data();
      input.polygonCount = static_cast<int32_t>(item->polygons.size());
      input.neighbours = &item->neighbours;
      input.colours = item.get();
      item->object = HostNew<BSPPolyObj>(settings, input);
      if (item->object == nullptr) continue;  // as the driver does: the object is left out
      item->object->listIndex = objects.Count();
      objects.Push(item->object);
      Stack<BspPolygon> pass1;
      if (CaptureWorldPoints(*item->object)) BuildPolygons(*item->object, view, pass1);
      ClipToFrustum(view, pass1, clipped);
    }
  }

  // The passes of the drawing style; false when they stopped early.
  bool RunPasses() {
    if (settings.drawingStyle == kStyleAllEdges) {
      return HandBackWithoutHiddenSurfaceRemoval(view, clipped);
    }
    return RunOcclusionPass(view, tree, clipped) && RunVisibilityPass(view, tree, objects);
  }

  BSPPolyObj& Object(size_t i) { return *items_[i]->object; }

  ExportSettings settings;
  BspView view;
  Stack<BSPPolyObj*> objects;
  Stack<BspPolygon> clipped;
  BeamTree tree;

 private:
  std::vector<std::unique_ptr<TestObject>> items_;
};
