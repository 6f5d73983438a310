// Reading an export tag's line settings into an object's settings record:
// the settings that an export tag on an object (or on an ancestor) puts in
// place of the export's defaults.
#pragma once

#include "sdk/host_sdk.h"
#include "core/export_settings.h"

// Reads keys 1000 to 1006 of the tag's settings into the line settings of
// `settings` (a missing key reads as 0, false, 0.0 or the zero vector, so a
// tag without brightness draws black) and derives the packed line colour.
// The line width is held to 0..20, as everywhere else.
void ReadTagSettings(ExportSettings& settings, const SceneTag* tag);
