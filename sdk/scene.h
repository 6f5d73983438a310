// The scene of a document: the object tree with global matrices, points and
// polygons, tags, materials and their channels, the polygonised copy and the
// view's camera. Values cross as the host's wire types (HostVector,
// HostMatrixPrecise, HostPolygon); capture/ turns them into the renderer's
// geometry (core/geometry.h).
//
// Scene objects, tags and materials are host objects; the module holds plain
// pointers to them, valid while their document lives unchanged. Type codes,
// keys and the layouts are in host/api/host_scene_api.h. An older host's
// table has no scene services: every call then answers as for an empty
// scene.
#pragma once

#include <cstdint>

#include "host/api/host_scene_api.h"
#include "sdk/container.h"
#include "sdk/document.h"
#include "sdk/strings.h"

using SceneObject = HostObject;
using SceneTag = HostTag;
using SceneMaterial = HostMaterial;

// The object tree: each call returns null at the end of its direction.
SceneObject* GetFirstObject(const BaseDocument* doc);
SceneObject* ObjectDown(const SceneObject* object);  // first child
SceneObject* ObjectNext(const SceneObject* object);  // next sibling
SceneObject* ObjectUp(const SceneObject* object);    // parent

int32_t ObjectType(const SceneObject* object);
int32_t ObjectVisibility(const SceneObject* object);  // 0 on, 1 off, 2 undefined

// The global matrix in double precision, as the host keeps it; from a host
// without that entry, the single-precision matrix widened; the identity for
// a null object or a host without scene services.
HostMatrixPrecise ObjectGlobalMatrixPrecise(const SceneObject* object);

// Points (object space) and polygons of a polygon object; null and 0 for
// other objects. The arrays are the host's own: read them, never free them.
int32_t ObjectPointCount(const SceneObject* object);
const HostVector* ObjectPoints(const SceneObject* object);
int32_t ObjectPolygonCount(const SceneObject* object);
const HostPolygon* ObjectPolygons(const SceneObject* object);

// Tags in order, and what each kind carries.
int32_t ObjectTagCount(const SceneObject* object);
SceneTag* ObjectTag(const SceneObject* object, int32_t index);  // null out of range
int32_t TagType(const SceneTag* tag);
String TagName(const SceneTag* tag);
String ObjectName(const SceneObject* object);
BaseContainer TagData(const SceneTag* tag);              // a copy of the settings
SceneMaterial* TagMaterial(const SceneTag* tag);         // texture tags; null when none
const HostSelection* TagSelection(const SceneTag* tag);  // selection tags; else null
int32_t TagPluginId(const SceneTag* tag);                // plug-in tags; else 0

int32_t MaterialType(const SceneMaterial* material);
bool MaterialChannelEnabled(const SceneMaterial* material, int32_t channel);
// The channel's container (colour 1000, brightness 1001); invalid when the
// host cannot give that channel.
BaseContainer MaterialChannelData(const SceneMaterial* material, int32_t channel);
BaseContainer MaterialData(const SceneMaterial* material);  // the material's own settings

// A new document with every object as polygons; free with FreeDocument.
BaseDocument* PolygonizeDocument(const BaseDocument* doc);

// The view's linked scene camera (null when none) and its own camera.
SceneObject* ViewLinkedCamera(const BaseDocument* doc);
SceneObject* ViewCamera(const BaseDocument* doc);
int32_t CameraProjection(const SceneObject* camera);  // 0 perspective, 1 parallel
double CameraLens(const SceneObject* camera);         // millimetres
double CameraFilmWidth(const SceneObject* camera);    // millimetres
double CameraZoom(const SceneObject* camera);
