// Export tags: the plug-in tag that gives an object and everything below it
// line settings of its own. Capture reads the nearest tag of every object
// into the object's LineStyle.
#pragma once

#include <cstdint>

#include "core/export_settings.h"
#include "sdk/scene.h"

// The tag ID and its settings keys: host/api/vexmark_ids.h.

// Reads keys 1000 to 1006 of the tag's settings into `style` (a missing key
// reads as 0, false, 0.0 or the zero vector, so a tag without brightness
// draws black) and derives the packed line colour. The line width is held
// to 0..20, as everywhere else.
void ReadTagSettings(LineStyle& style, const SceneTag* tag);

// Reads the first export tag of `object`, or of the nearest ancestor that
// has one, into `style`. False, and `style` unchanged, when neither the
// object nor any ancestor has one.
bool readExportTags(LineStyle& style, const SceneObject* object);
