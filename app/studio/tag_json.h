// An object's export tag as the studio's page sees it: its keys as --tag
// takes them (outline, crease, angle, width, flat, color, brightness), read
// from the tag's settings and set through the module's tag dialog exactly as
// --tag sets them (app/scene_setup.h, EditExportTag).
#pragma once

#include <string>

#include "app/studio/studio_session.h"

namespace app::studio {

// The tag's keys, described as /api/options describes an option.
Json TagKeysListing();
// The object's export tag as {"outline": "on", ...}; null when it has none.
Json TagOf(const HostObject& object);

// PUT /api/objects/ID/tag with a partial object of tag keys; DELETE.
JsonAnswer PutTag(StudioSession& session, const std::string& id, const Json& values);
JsonAnswer DeleteTag(StudioSession& session, const std::string& id);

}  // namespace app::studio
