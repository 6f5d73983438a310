#include "sdk/scene.h"

#include "sdk/host_table.h"

namespace {

const HostSceneApi* SceneTable() {
  return Host().scene;
}

HostVectorPrecise Widened(const HostVector& v) {
  return HostVectorPrecise{v.x, v.y, v.z};
}

}  // namespace

SceneObject* GetFirstObject(const BaseDocument* doc) {
  return SceneTable() && doc ? SceneTable()->docFirstObject(doc) : nullptr;
}
SceneObject* ObjectDown(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objDown(object) : nullptr;
}
SceneObject* ObjectNext(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objNext(object) : nullptr;
}
SceneObject* ObjectUp(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objUp(object) : nullptr;
}

int32_t ObjectType(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objType(object) : 0;
}
int32_t ObjectVisibility(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objVisibility(object) : kVisibilityUndefined;
}
HostMatrixPrecise ObjectGlobalMatrixPrecise(const SceneObject* object) {
  HostMatrixPrecise out{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  if (!SceneTable() || !object) return out;
  if (Host().objGlobalMatrixPrecise != nullptr) {
    Host().objGlobalMatrixPrecise(object, &out);
    return out;
  }
  const HostMatrix m = SceneTable()->objGlobalMatrix(object);
  return HostMatrixPrecise{Widened(m.off), Widened(m.v1), Widened(m.v2), Widened(m.v3)};
}

int32_t ObjectPointCount(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objPointCount(object) : 0;
}
const HostVector* ObjectPoints(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objPoints(object) : nullptr;
}
int32_t ObjectPolygonCount(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objPolygonCount(object) : 0;
}
const HostPolygon* ObjectPolygons(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objPolygons(object) : nullptr;
}

int32_t ObjectTagCount(const SceneObject* object) {
  return SceneTable() && object ? SceneTable()->objTagCount(object) : 0;
}
SceneTag* ObjectTag(const SceneObject* object, int32_t index) {
  return SceneTable() && object ? SceneTable()->objTag(object, index) : nullptr;
}
int32_t TagType(const SceneTag* tag) {
  return SceneTable() && tag ? SceneTable()->tagType(tag) : 0;
}
String ObjectName(const SceneObject* object) {
  return SceneTable() && object ? String::Adopt(SceneTable()->objName(object)) : String();
}
String TagName(const SceneTag* tag) {
  return SceneTable() && tag ? String::Adopt(SceneTable()->tagName(tag)) : String();
}
BaseContainer TagData(const SceneTag* tag) {
  return BaseContainer::Adopt(SceneTable() && tag ? SceneTable()->tagGetData(tag) : nullptr);
}
SceneMaterial* TagMaterial(const SceneTag* tag) {
  return SceneTable() && tag ? SceneTable()->tagMaterial(tag) : nullptr;
}
const HostSelection* TagSelection(const SceneTag* tag) {
  return SceneTable() && tag ? SceneTable()->tagSelection(tag) : nullptr;
}
int32_t TagPluginId(const SceneTag* tag) {
  return SceneTable() && tag ? SceneTable()->tagPluginId(tag) : 0;
}

int32_t MaterialType(const SceneMaterial* material) {
  return SceneTable() && material ? SceneTable()->mtlType(material) : 0;
}
bool MaterialChannelEnabled(const SceneMaterial* material, int32_t channel) {
  return SceneTable() && material && SceneTable()->mtlChannelEnabled(material, channel) != 0;
}
BaseContainer MaterialChannelData(const SceneMaterial* material, int32_t channel) {
  return BaseContainer::Adopt(
      SceneTable() && material ? SceneTable()->mtlChannelData(material, channel) : nullptr);
}
BaseContainer MaterialData(const SceneMaterial* material) {
  return BaseContainer::Adopt(SceneTable() && material ? SceneTable()->mtlGetData(material)
                                                       : nullptr);
}

BaseDocument* PolygonizeDocument(const BaseDocument* doc) {
  return SceneTable() && doc ? SceneTable()->docPolygonize(doc) : nullptr;
}
SceneObject* ViewLinkedCamera(const BaseDocument* doc) {
  return SceneTable() && doc ? SceneTable()->docViewLinkedCamera(doc) : nullptr;
}
SceneObject* ViewCamera(const BaseDocument* doc) {
  return SceneTable() && doc ? SceneTable()->docViewCamera(doc) : nullptr;
}
int32_t CameraProjection(const SceneObject* camera) {
  return SceneTable() && camera ? SceneTable()->camProjection(camera) : kProjectionPerspective;
}
double CameraLens(const SceneObject* camera) {
  return SceneTable() && camera ? SceneTable()->camLens(camera) : 0.0;
}
double CameraFilmWidth(const SceneObject* camera) {
  return SceneTable() && camera ? SceneTable()->camFilmWidth(camera) : 0.0;
}
double CameraZoom(const SceneObject* camera) {
  return SceneTable() && camera ? SceneTable()->camZoom(camera) : 0.0;
}
