#include "capture/export_tags.h"

#include "shell/tag_dialog.h"
#include "capture/tag_settings.h"

bool readExportTags(ExportSettings& settings, const SceneObject* object) {
  for (const SceneObject* o = object; o != nullptr; o = ObjectUp(o)) {
    const int32_t count = ObjectTagCount(o);
    for (int32_t i = 0; i < count; ++i) {
      const SceneTag* tag = ObjectTag(o, i);
      if (TagType(tag) == kTagPlugin && TagPluginId(tag) == kExportTagId) {
        ReadTagSettings(settings, tag);
        return true;
      }
    }
  }
  return false;
}
