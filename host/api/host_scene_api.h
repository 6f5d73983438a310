// The host's scene services, reached through HostApi::scene: the object tree
// of a document with its matrices, points, polygons and tags, materials and
// their channels, polygon selections, the polygon-neighbour service, the
// polygonised copy of a document and the document's view with its camera.
//
// Handles point into their document and stay valid while the document lives
// and its scene is not rebuilt. Reading never changes a document, so a thread
// may read its own document while another thread reads another one.
//
// World space is left-handed: x right, y up, z away from the viewer. A
// camera looks along the third axis of its matrix, with the first axis to
// the right of the picture and the second axis up.
#pragma once

#include <cstdint>

#include "host_api.h"

extern "C" {

struct HostObject;
struct HostTag;
struct HostMaterial;
struct HostSelection;
struct HostNeighbours;

// An affine map: a point p goes to off + v1 * p.x + v2 * p.y + v3 * p.z.
struct HostMatrix {
  HostVector off, v1, v2, v3;
};

// The same map in double precision, the identity unless set. The host keeps
// its scene's transforms in this form (host::Matrix, host/matrix.h).
struct HostVectorPrecise {
  double x = 0, y = 0, z = 0;
};
struct HostMatrixPrecise {
  HostVectorPrecise off;
  HostVectorPrecise v1{1, 0, 0};
  HostVectorPrecise v2{0, 1, 0};
  HostVectorPrecise v3{0, 0, 1};
};

// A polygon: four point indices; a triangle repeats its third (c == d).
struct HostPolygon {
  int32_t a, b, c, d;
};

// Object types.
constexpr int32_t kObjectPolygon = 5100;
constexpr int32_t kObjectCamera = 5150;
constexpr int32_t kObjectNull = 5151;  // a group without geometry

// Visibility states.
constexpr int32_t kVisibilityOn = 0;
constexpr int32_t kVisibilityOff = 1;
constexpr int32_t kVisibilityUndefined = 2;  // takes the parent's state

// Tag types and the settings keys they carry.
constexpr int32_t kTagTexture = 5616;
constexpr int32_t kTagPolygonSelection = 5673;
constexpr int32_t kTagPlugin = 5691;
constexpr int32_t kTextureRestriction = 1006;  // string: the selection it is restricted to
// A selection tag's name lived in its settings under this key before host
// API version 7800; from 7800 on it is the tag's own name.
constexpr int32_t kSelectionNameKey = 1000;
constexpr int32_t kSelectionOwnNameVersion = 7800;

// Materials: ten channels (0 colour, 1 luminance, ...), each with an enable
// flag and a container holding colour 1000 (vector) and brightness 1001.
constexpr int32_t kMaterialStandard = 5703;
constexpr int32_t kMaterialChannels = 10;
constexpr int32_t kChannelColour = 0;
constexpr int32_t kChannelLuminance = 1;
constexpr int32_t kChannelColourKey = 1000;
constexpr int32_t kChannelBrightnessKey = 1001;

// Camera projection kinds.
constexpr int32_t kProjectionPerspective = 0;
constexpr int32_t kProjectionParallel = 1;

struct HostSceneApi {
  // Object tree. Each returns null at the end of its direction.
  HostObject* (*docFirstObject)(const HostDocument* doc);
  HostObject* (*objDown)(const HostObject* obj);  // first child
  HostObject* (*objNext)(const HostObject* obj);  // next sibling
  HostObject* (*objUp)(const HostObject* obj);    // parent

  int32_t (*objType)(const HostObject* obj);
  HostString* (*objName)(const HostObject* obj);
  int32_t (*objVisibility)(const HostObject* obj);  // 0 on, 1 off, 2 undefined
  HostMatrix (*objGlobalMatrix)(const HostObject* obj);

  // Geometry of a polygon object (other objects have none). The arrays stay
  // valid while the document lives unchanged; indices are within the points.
  int32_t (*objPointCount)(const HostObject* obj);
  const HostVector* (*objPoints)(const HostObject* obj);
  int32_t (*objPolygonCount)(const HostObject* obj);
  const HostPolygon* (*objPolygons)(const HostObject* obj);

  // Tags in order.
  int32_t (*objTagCount)(const HostObject* obj);
  HostTag* (*objTag)(const HostObject* obj, int32_t index);  // null out of range
  int32_t (*tagType)(const HostTag* tag);
  HostString* (*tagName)(const HostTag* tag);
  HostContainer* (*tagGetData)(const HostTag* tag);  // a copy of the settings
  int32_t (*tagSetData)(HostTag* tag, const HostContainer* data);
  HostMaterial* (*tagMaterial)(const HostTag* tag);          // texture tags; null when none
  const HostSelection* (*tagSelection)(const HostTag* tag);  // selection tags; else null
  int32_t (*tagPluginId)(const HostTag* tag);                // plug-in tags; else 0

  // Materials. Channel data is null for a channel the material cannot give
  // (out of range, or a material that is not a standard material).
  int32_t (*mtlType)(const HostMaterial* mat);
  HostString* (*mtlName)(const HostMaterial* mat);
  int32_t (*mtlChannelEnabled)(const HostMaterial* mat, int32_t channel);
  HostContainer* (*mtlChannelData)(const HostMaterial* mat, int32_t channel);
  HostContainer* (*mtlGetData)(const HostMaterial* mat);

  // Polygon selections: sets of non-negative indices, owned by the caller.
  HostSelection* (*selNew)();  // null on failure
  void (*selFree)(HostSelection* sel);
  int32_t (*selCopyFrom)(HostSelection* target, const HostSelection* source);
  int32_t (*selSelect)(HostSelection* sel, int32_t index);  // false for a negative index
  void (*selDeselect)(HostSelection* sel, int32_t index);
  void (*selDeselectAll)(HostSelection* sel);
  int32_t (*selIsSelected)(const HostSelection* sel, int32_t index);
  int32_t (*selCount)(const HostSelection* sel);

  // Polygon neighbours over a polygon list: for the edge between points a
  // and b (either direction) the first two polygons that have it, -1 where
  // there is none. Polygons whose first two indices are equal have no
  // edges. Null when an index lies outside the points or memory ran out.
  HostNeighbours* (*nbrNew)(int32_t pointCount, const HostPolygon* polygons, int32_t count);
  void (*nbrEdgePolygons)(const HostNeighbours* nbr, int32_t a, int32_t b, int32_t* first,
                          int32_t* second);
  void (*nbrFree)(HostNeighbours* nbr);

  // A new document with every object as polygons (free with docFree).
  HostDocument* (*docPolygonize)(const HostDocument* doc);

  // The document's view: the scene camera linked to it (null when none),
  // and the view's own camera, which every document has.
  HostObject* (*docViewLinkedCamera)(const HostDocument* doc);
  HostObject* (*docViewCamera)(const HostDocument* doc);

  // Camera parameters; lens length and film width in millimetres. A parallel
  // camera's zoom: the picture's width spans 1 / zoom world units.
  int32_t (*camProjection)(const HostObject* cam);
  double (*camLens)(const HostObject* cam);
  double (*camFilmWidth)(const HostObject* cam);
  double (*camZoom)(const HostObject* cam);
};

}  // extern "C"
