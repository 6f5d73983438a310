// Finding an object's export tag and reading its line settings.
#include "capture/export_tags.h"

#include "host/api/vexmark_ids.h"

void ReadTagSettings(LineStyle& style, const SceneTag* tag) {
  const BaseContainer data = TagData(tag);
  style.outlineLines = data.GetBool(kTagOutline, false);
  style.creaseLines = data.GetBool(kTagCrease, false);
  style.creaseAngle = static_cast<float>(data.GetReal(kTagCreaseAngle, 0.0));
  style.lineWidth = ClampLineWidth(data.GetInt(kTagLineWidth, 0));
  style.skipCoplanarEdges = data.GetBool(kTagFlatEdges, false);
  style.lineColour = FromHostColour(data.GetVector(kTagLineColour));
  style.lineBrightness = static_cast<float>(data.GetReal(kTagLineBrightness, 0.0));
  DeriveLineColour(style);
}

bool readExportTags(LineStyle& style, const SceneObject* object) {
  for (const SceneObject* o = object; o != nullptr; o = ObjectUp(o)) {
    const int32_t count = ObjectTagCount(o);
    for (int32_t i = 0; i < count; ++i) {
      const SceneTag* tag = ObjectTag(o, i);
      if (TagType(tag) == kTagPlugin && TagPluginId(tag) == kExportTagId) {
        ReadTagSettings(style, tag);
        return true;
      }
    }
  }
  return false;
}
