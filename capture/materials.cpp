#include "capture/materials.h"

#include <cmath>

#include "sdk/console.h"
#include "sdk/container.h"
#include "sdk/host_table.h"
#include "sdk/memory.h"
#include "sdk/scene.h"
#include "sdk/strings.h"

namespace {

// 70 degrees: a record's angle threshold, kept with it but read by no stage.
constexpr double kRecordAngle = 1.2217304763960306;
constexpr float kDefaultGrey = 0.5f;
constexpr int32_t kChannel8 = 8;
constexpr int32_t kChannel9 = 9;
constexpr int32_t kChannel8ParamAKey = 1016;
constexpr int32_t kChannel8ParamBKey = 1017;

float Clamped(float c) {
  return c < 0.0f ? 0.0f : (c > 1.0f ? 1.0f : c);
}

// Colour x brightness of a channel; false when the host cannot give it.
bool ReadChannel(const SceneMaterial* material, int32_t channel, Colour& out) {
  const BaseContainer data = MaterialChannelData(material, channel);
  if (!data.Valid()) return false;
  const Colour colour = FromHostColour(data.GetVector(kChannelColourKey));
  const float brightness = static_cast<float>(data.GetReal(kChannelBrightnessKey, 1.0));
  out = Colour{colour.r * brightness, colour.g * brightness, colour.b * brightness};
  return true;
}

void ReadStandardMaterial(const SceneMaterial* material, MaterialRecord& record) {
  if (MaterialChannelEnabled(material, kChannelColour)) {
    ReadChannel(material, kChannelColour, record.colour);
  }
  if (MaterialChannelEnabled(material, kChannelLuminance) &&
      ReadChannel(material, kChannelLuminance, record.luminance)) {
    record.hasLuminance = true;
  }
  if (MaterialChannelEnabled(material, kChannel8)) {
    record.hasChannel8 = true;
    const BaseContainer own = MaterialData(material);
    record.channel8ParamA =
        static_cast<float>(own.GetReal(kChannel8ParamAKey, record.channel8ParamA));
    record.channel8ParamB =
        static_cast<float>(own.GetReal(kChannel8ParamBKey, record.channel8ParamB));
  }
  if (MaterialChannelEnabled(material, kChannel9) &&
      ReadChannel(material, kChannel9, record.channel9Colour)) {
    record.hasChannel9 = true;
  }
}

// A new record with its empty selection; null when either allocation failed.
MaterialRecord* NewRecord() {
  MaterialRecord* record = HostNew<MaterialRecord>();
  if (record != nullptr && !record->selection.Create()) {
    HostDelete(record);
    return nullptr;
  }
  return record;
}

bool Append(ObjectMaterials& list, MaterialRecord* record) {
  const int32_t before = list.materials.Count();
  list.materials.Push(record);
  if (list.materials.Count() == before) {
    HostDelete(record);
    return false;
  }
  return true;
}

String Restriction(const SceneTag* tag) {
  return TagData(tag).GetString(kTextureRestriction);
}

// The restricted material of a texture tag; null (and the diagnostic) when
// its material is missing or not a standard material.
SceneMaterial* RestrictedMaterial(const SceneTag* tag) {
  SceneMaterial* material = TagMaterial(tag);
  if (material == nullptr) {
    ConsolePrint("mat==NULL");
    return nullptr;
  }
  if (MaterialType(material) != kMaterialStandard) {
    ConsolePrint("mat!=Mmaterial");
    return nullptr;
  }
  return material;
}

}  // namespace

MaterialRecord::MaterialRecord() : angleCosine(static_cast<float>(std::cos(kRecordAngle))) {}

ObjectMaterials::~ObjectMaterials() {
  for (int32_t i = 0; i < materials.Count(); ++i) HostDelete(materials[i]);
}

SceneTag* findBaseTextureTag(const SceneObject* object) {
  for (const SceneObject* o = object; o != nullptr; o = ObjectUp(o)) {
    SceneTag* base = nullptr;
    const int32_t count = ObjectTagCount(o);
    for (int32_t i = 0; i < count; ++i) {
      SceneTag* tag = ObjectTag(o, i);
      if (TagType(tag) == kTagTexture && Restriction(tag).Empty()) base = tag;
    }
    if (base != nullptr) return base;
  }
  return nullptr;
}

SceneTag* findSelectionTag(const ObjectMaterials& record, const String& name) {
  const bool ownName = HostVersion() >= kSelectionOwnNameVersion;
  const int32_t count = ObjectTagCount(record.object);
  for (int32_t i = 0; i < count; ++i) {
    SceneTag* tag = ObjectTag(record.object, i);
    if (TagType(tag) != kTagPolygonSelection) continue;
    const String tagName = ownName ? TagName(tag) : TagData(tag).GetString(kSelectionNameKey);
    if (tagName == name) return tag;
  }
  return nullptr;
}

bool collectMaterials(ObjectMaterials& record) {
  bool complete = true;
  const SceneTag* base = findBaseTextureTag(record.object);
  const SceneMaterial* baseMaterial = base != nullptr ? TagMaterial(base) : nullptr;
  if (baseMaterial != nullptr && MaterialType(baseMaterial) == kMaterialStandard) {
    MaterialRecord* material = NewRecord();
    if (material != nullptr) ReadStandardMaterial(baseMaterial, *material);
    complete = material != nullptr && Append(record, material);
  }
  if (record.materials.Empty()) {
    MaterialRecord* grey = NewRecord();
    complete = grey != nullptr && Append(record, grey) && complete;
  }

  const int32_t count = ObjectTagCount(record.object);
  for (int32_t i = 0; i < count; ++i) {
    const SceneTag* tag = ObjectTag(record.object, i);
    if (TagType(tag) != kTagTexture) continue;
    const String restriction = Restriction(tag);
    if (restriction.Empty()) continue;
    const SceneTag* selection = findSelectionTag(record, restriction);
    if (selection == nullptr) continue;  // names no selection: ignored silently
    const SceneMaterial* material = RestrictedMaterial(tag);
    if (material == nullptr) continue;

    MaterialRecord* restricted = NewRecord();
    if (restricted == nullptr) {
      complete = false;
      continue;
    }
    ReadStandardMaterial(material, *restricted);
    restricted->selection.CopyFrom(TagSelection(selection));
    restricted->wholeObject = false;
    if (!Append(record, restricted)) complete = false;
  }
  return complete;
}

const MaterialRecord* materialForPolygon(const ObjectMaterials& record, int32_t polygon) {
  for (int32_t i = record.materials.Count() - 1; i >= 0; --i) {
    const MaterialRecord* material = record.materials[i];
    if (material->wholeObject || material->selection.IsSelected(polygon)) return material;
  }
  return nullptr;
}

Colour combinedColor(const MaterialRecord& material) {
  return Colour{Clamped(material.colour.r + material.luminance.r),
                Clamped(material.colour.g + material.luminance.g),
                Clamped(material.colour.b + material.luminance.b)};
}

PageColour PolygonFillColour(const ObjectMaterials& record, int32_t polygon) {
  const MaterialRecord* material = materialForPolygon(record, polygon);
  const Colour c = material != nullptr ? combinedColor(*material)
                                       : Colour{kDefaultGrey, kDefaultGrey, kDefaultGrey};
  return PageColourOf(c);
}
