// Finding an object's export tag: the tag on the object itself, or on its
// nearest ancestor, supplies the object's line settings.
#pragma once

#include "sdk/host_sdk.h"
#include "core/export_settings.h"

// Reads the first export tag (plug-in tag 1010814) of `object`, or of the
// nearest ancestor that has one, into `settings`. False, and `settings`
// unchanged, when neither the object nor any ancestor has one.
bool readExportTags(ExportSettings& settings, const SceneObject* object);
