// The host-reading side of capture: copies what the renderer needs of one
// host polygon object (points, polygons, global matrix, polygon colours from
// its materials, edge neighbours) into a MeshInput, and reads a camera.
//
// The copied data lives in a HostMeshSource, which must outlive the
// BSPPolyObj that reads it (the renderer keeps both for the frame).
#pragma once

#include <cstdint>

#include "capture/bsp_poly_obj.h"
#include "polygons/bsp_view.h"
#include "sdk/scene.h"
#include "capture/materials.h"

// The polygon colours of an object, from its material assignments.
class MaterialColours final : public PolygonColours {
 public:
  explicit MaterialColours(const ObjectMaterials& materials) : materials_(materials) {}
  bool ColourOf(int32_t polygon, Colour& colour) const override;

 private:
  const ObjectMaterials& materials_;
};

struct HostMeshSource {
  Stack<HostVector> points;
  Stack<PolygonCorners> polygons;
  EdgeNeighbourTable neighbours;
  ObjectMaterials materials;
  MaterialColours colours{materials};

  explicit HostMeshSource(const SceneObject* object) : materials(object) {}
  HostMeshSource(const HostMeshSource&) = delete;
  HostMeshSource& operator=(const HostMeshSource&) = delete;

  // Copies the object's data and fills `input`. False on memory failure.
  bool Load(const SceneObject* object, MeshInput& input);
};

// The widened global matrix of a host object.
AffineMap GlobalWorldMatrix(const SceneObject* object);

// The camera parameters of a host camera object.
CameraInput ReadCamera(const SceneObject* camera);
