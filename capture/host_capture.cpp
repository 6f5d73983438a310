#include "capture/host_capture.h"

#include "sdk/scene.h"

bool MaterialColours::ColourOf(int32_t polygon, Colour& colour) const {
  const MaterialRecord* material = materialForPolygon(materials_, polygon);
  if (material == nullptr) return false;
  colour = combinedColor(*material);
  return true;
}

AffineMap GlobalWorldMatrix(const SceneObject* object) {
  // In double precision: a model far from the origin keeps its detail.
  const HostMatrixPrecise m = ObjectGlobalMatrixPrecise(object);
  const auto vector = [](const HostVectorPrecise& v) { return Vector3d{v.x, v.y, v.z}; };
  return AffineMap{vector(m.off), vector(m.v1), vector(m.v2), vector(m.v3)};
}

CameraInput ReadCamera(const SceneObject* camera) {
  CameraInput input;
  input.matrix = GlobalWorldMatrix(camera);
  input.projection = CameraProjection(camera);
  input.lensLength = CameraLens(camera);
  input.filmWidth = CameraFilmWidth(camera);
  input.zoom = CameraZoom(camera);
  return input;
}

bool HostMeshSource::Load(const SceneObject* object, MeshInput& input) {
  const int32_t pointCount = ObjectPointCount(object);
  const int32_t polygonCount = ObjectPolygonCount(object);
  const HostVector* hostPoints = ObjectPoints(object);
  const HostPolygon* hostPolygons = ObjectPolygons(object);
  if (points.SetCount(pointCount) != 0 || polygons.SetCount(polygonCount) != 0) return false;
  for (int32_t i = 0; i < pointCount; ++i) points[i] = hostPoints[i];
  input.matrix = GlobalWorldMatrix(object);
  // A mirroring matrix (negative determinant: a node scaled by -1 on one
  // axis, or on all three) turns every polygon inside out; its corners are
  // taken in the opposite order, so that faces keep facing outwards.
  const bool mirrored = Dot(input.matrix.v1, Cross(input.matrix.v2, input.matrix.v3)) < 0.0;
  for (int32_t i = 0; i < polygonCount; ++i) {
    const HostPolygon& p = hostPolygons[i];
    if (!mirrored) {
      polygons[i] = PolygonCorners{p.a, p.b, p.c, p.d};
    } else if (p.c == p.d) {
      polygons[i] = PolygonCorners{p.a, p.c, p.b, p.b};  // a triangle repeats its last corner
    } else {
      polygons[i] = PolygonCorners{p.a, p.d, p.c, p.b};
    }
  }
  // Without all its material records the object would draw some polygons in
  // the wrong colour: it cannot be captured.
  if (!collectMaterials(materials)) {
    MemoryErrorFlag::Set();
    return false;
  }

  input.points = points.Items();
  input.pointCount = pointCount;
  input.polygons = polygons.Items();
  input.polygonCount = polygonCount;
  // Without a neighbour table edges simply have no neighbours.
  input.neighbours = neighbours.Build(input.polygons, polygonCount) ? &neighbours : nullptr;
  input.colours = &colours;
  return MemoryErrorFlag::Test() == 0;
}
