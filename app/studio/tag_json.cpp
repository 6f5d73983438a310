#include "app/studio/tag_json.h"

#include <cmath>
#include <cstdio>

#include "app/scene_setup.h"
#include "app/studio/settings_json.h"
#include "host/api/vexmark_ids.h"

namespace app::studio {
namespace {

enum class TagValue { kSwitch, kDegrees, kWhole, kColour, kFraction };

// One key of the export tag: its --tag name, where the tag keeps it and
// how --tag spells it.
struct TagKeyEntry {
  const char* name;
  int32_t key;
  TagValue value;
  double least, most;
  const char* help;
};

constexpr TagKeyEntry kTagKeys[] = {
    {"outline", kTagOutline, TagValue::kSwitch, 0, 0, "draw the object's outline"},
    {"crease", kTagCrease, TagValue::kSwitch, 0, 0, "draw the object's creases"},
    {"angle", kTagCreaseAngle, TagValue::kDegrees, 0, 90, "crease angle, degrees"},
    {"width", kTagLineWidth, TagValue::kWhole, 0, 20, "line width, points"},
    {"flat", kTagFlatEdges, TagValue::kSwitch, 0, 0, "draw edges between flat neighbours"},
    {"color", kTagLineColour, TagValue::kColour, 0, 0, "line colour"},
    {"brightness", kTagLineBrightness, TagValue::kFraction, 0, 1, "line colour's brightness"},
};

std::string ValueText(const HostContainer& data, const TagKeyEntry& entry) {
  switch (entry.value) {
    case TagValue::kSwitch: {
      const bool* on = data.Find<bool>(entry.key);
      return on != nullptr && *on ? "on" : "off";
    }
    case TagValue::kDegrees: {
      const double* radians = data.Find<double>(entry.key);
      return SettingNumberText(radians != nullptr ? *radians * 180.0 / kPi : 0.0);
    }
    case TagValue::kWhole: {
      const int64_t* whole = data.Find<int64_t>(entry.key);
      return std::to_string(whole != nullptr ? *whole : 0);
    }
    case TagValue::kColour: {
      const HostVector* rgb = data.Find<HostVector>(entry.key);
      const HostVector c = rgb != nullptr ? *rgb : HostVector{0, 0, 0};
      const auto byte = [](float v) {
        return static_cast<int>(std::lround(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255.0));
      };
      char text[8];
      std::snprintf(text, sizeof text, "#%02X%02X%02X", byte(c.x), byte(c.y), byte(c.z));
      return text;
    }
    default: {
      const double* fraction = data.Find<double>(entry.key);
      return SettingNumberText(fraction != nullptr ? *fraction : 1.0);
    }
  }
}

const HostTag* ExportTag(const HostObject& object) {
  for (const HostTag& tag : object.tags)
    if (tag.type == kTagPlugin && tag.pluginId == kExportTagId) return &tag;
  return nullptr;
}

HostObject* ObjectOf(StudioSession& session, const std::string& id) {
  try {
    return session.Document().scene.Object(std::stoi(id));
  } catch (const std::exception&) {
    return nullptr;  // beyond any index
  }
}

}  // namespace

Json TagKeysListing() {
  Json keys = Json::array();
  for (const TagKeyEntry& entry : kTagKeys) {
    const bool number = entry.value == TagValue::kDegrees || entry.value == TagValue::kFraction;
    Json key = {{"name", entry.name},
                {"kind", entry.value == TagValue::kSwitch  ? "switch"
                         : entry.value == TagValue::kWhole ? "whole"
                         : number                          ? "number"
                                                           : "text"},
                {"valueName", entry.value == TagValue::kColour ? "#RRGGBB" : ""}};
    if (entry.value != TagValue::kSwitch && entry.value != TagValue::kColour) {
      key["least"] = entry.least;
      key["most"] = entry.most;
    }
    key["help"] = entry.help;
    keys.push_back(key);
  }
  return keys;
}

Json TagOf(const HostObject& object) {
  const HostTag* tag = ExportTag(object);
  if (tag == nullptr) return nullptr;
  Json values = Json::object();
  for (const TagKeyEntry& entry : kTagKeys) values[entry.name] = ValueText(tag->data, entry);
  return values;
}

JsonAnswer PutTag(StudioSession& session, const std::string& id, const Json& values) {
  HostObject* object = ObjectOf(session, id);
  if (object == nullptr) return JsonError(404, "no object " + id);
  if (!values.is_object()) return JsonError(400, "the tag must be a JSON object");
  TagRequest request{object->name, {}};
  for (const auto& [key, value] : values.items()) {
    if (!value.is_string() && !value.is_number())
      return JsonError(400, "the value of '" + key + "' must be a string");
    request.values.emplace_back(key, value.is_string() ? value.get<std::string>() : value.dump());
  }
  // A refused edit leaves the object as it was, with or without its tag.
  const std::vector<HostTag> before = object->tags;
  std::string error;
  if (!EditExportTag(*object, request, error)) {
    object->tags = before;
    return JsonError(400, error);
  }
  session.SceneChanged();
  return JsonAnswer{200, TagOf(*object)};
}

JsonAnswer DeleteTag(StudioSession& session, const std::string& id) {
  HostObject* object = ObjectOf(session, id);
  if (object == nullptr) return JsonError(404, "no object " + id);
  std::erase_if(object->tags, [](const HostTag& tag) {
    return tag.type == kTagPlugin && tag.pluginId == kExportTagId;
  });
  session.SceneChanged();
  return JsonAnswer{200, Json(nullptr)};
}

}  // namespace app::studio
