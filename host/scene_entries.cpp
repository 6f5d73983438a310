// The object, tag, material, view and camera entries of the scene table, and
// the assembly of the whole scene table.
#include <new>

#include "host/document.h"
#include "host/host_string.h"
#include "host/runtime.h"
#include "host/scene.h"
#include "host/scene_services.h"
#include "host/services.h"

namespace host {
namespace {

HostObject* Linked(const HostObject* object, int32_t index) {
  return object != nullptr && object->scene != nullptr ? object->scene->Object(index) : nullptr;
}

HostObject* DocFirstObject(const HostDocument* doc) {
  return doc != nullptr ? doc->scene.Object(doc->scene.firstObject) : nullptr;
}
HostObject* ObjDown(const HostObject* o) {
  return o ? Linked(o, o->firstChild) : nullptr;
}
HostObject* ObjNext(const HostObject* o) {
  return o ? Linked(o, o->nextSibling) : nullptr;
}
HostObject* ObjUp(const HostObject* o) {
  return o ? Linked(o, o->parent) : nullptr;
}

int32_t ObjType(const HostObject* o) {
  return o != nullptr ? o->type : 0;
}
HostString* ObjName(const HostObject* o) {
  return NewString(o != nullptr ? o->name : "");
}
int32_t ObjVisibility(const HostObject* o) {
  return o != nullptr ? o->visibility : kVisibilityUndefined;
}
HostMatrix ObjGlobalMatrix(const HostObject* o) {
  return ToHostMatrix(o != nullptr ? GlobalMatrix(*o) : Matrix{});
}

int32_t ObjPointCount(const HostObject* o) {
  return o != nullptr ? static_cast<int32_t>(o->points.size()) : 0;
}
const HostVector* ObjPoints(const HostObject* o) {
  return o != nullptr && !o->points.empty() ? o->points.data() : nullptr;
}
int32_t ObjPolygonCount(const HostObject* o) {
  return o != nullptr ? static_cast<int32_t>(o->polygons.size()) : 0;
}
const HostPolygon* ObjPolygons(const HostObject* o) {
  return o != nullptr && !o->polygons.empty() ? o->polygons.data() : nullptr;
}

int32_t ObjTagCount(const HostObject* o) {
  return o != nullptr ? static_cast<int32_t>(o->tags.size()) : 0;
}
HostTag* ObjTag(const HostObject* o, int32_t index) {
  if (o == nullptr || index < 0 || static_cast<size_t>(index) >= o->tags.size()) return nullptr;
  return const_cast<HostTag*>(&o->tags[static_cast<size_t>(index)]);
}

int32_t TagType(const HostTag* t) {
  return t != nullptr ? t->type : 0;
}
HostString* TagName(const HostTag* t) {
  return NewString(t != nullptr ? t->name : "");
}
HostContainer* TagGetData(const HostTag* t) {
  return t != nullptr ? NewContainer(t->data) : nullptr;
}
int32_t TagSetData(HostTag* t, const HostContainer* data) {
  if (t == nullptr || data == nullptr) return 0;
  t->data = *data;
  return 1;
}
HostMaterial* TagMaterial(const HostTag* t) {
  if (t == nullptr || t->type != kTagTexture || t->owner == nullptr) return nullptr;
  const Scene* scene = t->owner->scene;
  return scene != nullptr ? scene->Material(t->material) : nullptr;
}
const HostSelection* TagSelection(const HostTag* t) {
  return t != nullptr && t->type == kTagPolygonSelection ? &t->selection : nullptr;
}
int32_t TagPluginId(const HostTag* t) {
  return t != nullptr && t->type == kTagPlugin ? t->pluginId : 0;
}

int32_t MtlType(const HostMaterial* m) {
  return m != nullptr ? m->type : 0;
}
HostString* MtlName(const HostMaterial* m) {
  return NewString(m != nullptr ? m->name : "");
}
const MaterialChannel* Channel(const HostMaterial* m, int32_t channel) {
  if (m == nullptr || m->type != kMaterialStandard) return nullptr;
  if (channel < 0 || channel >= kMaterialChannels) return nullptr;
  return &m->channels[static_cast<size_t>(channel)];
}
int32_t MtlChannelEnabled(const HostMaterial* m, int32_t channel) {
  const MaterialChannel* c = Channel(m, channel);
  return c != nullptr && c->enabled ? 1 : 0;
}
HostContainer* MtlChannelData(const HostMaterial* m, int32_t channel) {
  const MaterialChannel* c = Channel(m, channel);
  return c != nullptr ? NewContainer(c->data) : nullptr;
}
HostContainer* MtlGetData(const HostMaterial* m) {
  return m != nullptr ? NewContainer(m->data) : nullptr;
}

// Every object of this host already is a polygon object, a camera or a
// group, so the polygonised copy is a full copy.
HostDocument* DocPolygonize(const HostDocument* doc) {
  if (doc == nullptr) return nullptr;
  try {
    return new HostDocument(*doc);
  } catch (const std::bad_alloc&) {
    return nullptr;  // the copy's parts made so far are released
  }
}

HostObject* DocViewLinkedCamera(const HostDocument* doc) {
  if (doc == nullptr) return nullptr;
  HostObject* camera = doc->scene.Object(doc->scene.view.linkedCamera);
  return camera != nullptr && camera->type == kObjectCamera ? camera : nullptr;
}
HostObject* DocViewCamera(const HostDocument* doc) {
  return doc != nullptr ? const_cast<HostObject*>(&doc->scene.view.camera) : nullptr;
}

const CameraParams& CameraOf(const HostObject* o) {
  static const CameraParams kDefaults;
  return o != nullptr ? o->camera : kDefaults;
}
int32_t CamProjection(const HostObject* o) {
  return CameraOf(o).projection;
}
double CamLens(const HostObject* o) {
  return CameraOf(o).lens;
}
double CamFilmWidth(const HostObject* o) {
  return CameraOf(o).filmWidth;
}
double CamZoom(const HostObject* o) {
  return CameraOf(o).zoom;
}

HostSceneApi BuildSceneTable() {
  HostSceneApi table{};
  FillObjectEntries(table);
  FillSelectionEntries(table);
  FillNeighbourEntries(table);
  return table;
}

}  // namespace

void FillObjectEntries(HostSceneApi& table) {
  table.docFirstObject = &DocFirstObject;
  table.objDown = &ObjDown;
  table.objNext = &ObjNext;
  table.objUp = &ObjUp;
  table.objType = &ObjType;
  table.objName = &ObjName;
  table.objVisibility = &ObjVisibility;
  table.objGlobalMatrix = &ObjGlobalMatrix;
  table.objPointCount = &ObjPointCount;
  table.objPoints = &ObjPoints;
  table.objPolygonCount = &ObjPolygonCount;
  table.objPolygons = &ObjPolygons;
  table.objTagCount = &ObjTagCount;
  table.objTag = &ObjTag;
  table.tagType = &TagType;
  table.tagName = &TagName;
  table.tagGetData = &TagGetData;
  table.tagSetData = &TagSetData;
  table.tagMaterial = &TagMaterial;
  table.tagSelection = &TagSelection;
  table.tagPluginId = &TagPluginId;
  table.mtlType = &MtlType;
  table.mtlName = &MtlName;
  table.mtlChannelEnabled = &MtlChannelEnabled;
  table.mtlChannelData = &MtlChannelData;
  table.mtlGetData = &MtlGetData;
  table.docPolygonize = &DocPolygonize;
  table.docViewLinkedCamera = &DocViewLinkedCamera;
  table.docViewCamera = &DocViewCamera;
  table.camProjection = &CamProjection;
  table.camLens = &CamLens;
  table.camFilmWidth = &CamFilmWidth;
  table.camZoom = &CamZoom;
}

namespace {

void ObjGlobalMatrixPrecise(const HostObject* o, HostMatrixPrecise* out) {
  if (out == nullptr) return;
  *out = o != nullptr ? GlobalMatrix(*o) : Matrix{};  // the scene's own matrix type
}

}  // namespace

void FillSceneEntries(HostApi& table) {
  static const HostSceneApi kSceneTable = BuildSceneTable();
  table.scene = &kSceneTable;
  table.objGlobalMatrixPrecise = &ObjGlobalMatrixPrecise;
}

}  // namespace host
