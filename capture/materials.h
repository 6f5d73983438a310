// The materials of one exported polygon object and the flat colour of each
// of its polygons. collectMaterials gathers a record per texture assignment
// (the unrestricted base material first, or a grey default, then one per
// restricted texture tag whose selection exists); materialForPolygon
// searches them from the end, so the last-assigned restricted material that
// holds a polygon wins and the base catches every other polygon.
//
// There is no lighting: a polygon's colour is its material's colour plus
// luminance, clamped to 0..1.
#pragma once

#include <cstdint>

#include "core/colour.h"
#include "core/stack.h"
#include "sdk/scene.h"
#include "sdk/selections.h"
#include "sdk/strings.h"

// One material assignment, built from a standard material's channels.
struct MaterialRecord {
  Colour colour{0.5f, 0.5f, 0.5f};  // channel 0: colour x brightness
  Colour luminance;                 // channel 1: colour x brightness
  bool hasLuminance = false;
  bool hasChannel8 = false;
  float channel8ParamA = 0.5f;  // material setting 1016
  float channel8ParamB = 0.5f;  // material setting 1017
  bool hasChannel9 = false;
  Colour channel9Colour;
  float angleCosine;  // cosine of 70 degrees
  int32_t reserved[3] = {0, 0, 0};
  Selection selection;      // the polygons a restricted material applies to
  bool wholeObject = true;  // every polygon, or only those in `selection`

  MaterialRecord();
};

// The material list of one polygon object; owns its records.
struct ObjectMaterials {
  const SceneObject* object = nullptr;
  Stack<MaterialRecord*> materials;

  explicit ObjectMaterials(const SceneObject* hostObject = nullptr) : object(hostObject) {}
  ~ObjectMaterials();
  ObjectMaterials(const ObjectMaterials&) = delete;
  ObjectMaterials& operator=(const ObjectMaterials&) = delete;
};

// Fills record.materials from record.object's texture tags. False when a
// record could not be allocated; the list then holds what was built.
bool collectMaterials(ObjectMaterials& record);

// The texture tag that applies to the whole object: its last unrestricted
// texture tag, or else its nearest ancestor's. Null when there is none.
SceneTag* findBaseTextureTag(const SceneObject* object);

// The object's first polygon-selection tag named `name`. The name is the
// tag's settings string 1000 on hosts before API version 7800, and the
// tag's own name from 7800 on.
SceneTag* findSelectionTag(const ObjectMaterials& record, const String& name);

// The material that applies to polygon `polygon`; null only for an empty list.
const MaterialRecord* materialForPolygon(const ObjectMaterials& record, int32_t polygon);

// colour + luminance, each component held to 0..1.
Colour combinedColor(const MaterialRecord& material);

// The polygon's fill colour: its material's combined colour (grey 0.5 when
// no material applies) as an opaque PageColour (PageColourOf).
PageColour PolygonFillColour(const ObjectMaterials& record, int32_t polygon);
