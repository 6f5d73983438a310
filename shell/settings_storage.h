// Storage of the export settings in a host document's plug-in data: one
// sub-container under the export command's ID, so that a scene remembers how
// it was last exported.
#pragma once

#include <cstdint>

#include "core/export_settings.h"
#include "sdk/document.h"

// The command ID and the keys: host/api/vexmark_ids.h.

// Reads the settings stored in the active document; leaves the record as it
// is when there is no active document or no valid stored settings.
void LoadSettings(ExportSettings& settings);
// Stores the settings in the active document's plug-in data.
void SaveSettings(const ExportSettings& settings);

// The same two operations on a given document (LoadSettings and SaveSettings
// use the active one).
bool LoadSettingsFrom(const BaseDocument* doc, ExportSettings& settings);
bool SaveSettingsTo(BaseDocument* doc, const ExportSettings& settings);
