// Storage of the export settings in a host document's plug-in data: one
// sub-container under the export command's ID, so that a scene remembers how
// it was last exported.
#pragma once

#include <cstdint>

#include "core/export_settings.h"
#include "sdk/host_sdk.h"

// Plug-in ID of the export command: also the key of the stored settings and
// the ID of the end-of-job event.
constexpr int32_t kVexmarkCommandId = 1010761;

// Keys of the settings sub-container stored in the document's plug-in data.
enum SettingsKey : int32_t {
  kSettingsValid = 1000,  // holds 1 when the sub-container is valid
  kSettingsFromFrame = 1001,
  kSettingsToFrame = 1002,
  kSettingsDrawingStyle = 1003,
  kSettingsBackFaces = 1004,
  kSettingsFrameRate = 1005,
  kSettingsWidth = 1006,
  kSettingsHeight = 1007,
  kSettingsFileName = 1008,
  kSettingsOutlineLines = 1009,
  kSettingsCreaseLines = 1010,
  kSettingsCreaseAngle = 1011,
  kSettingsLineWidth = 1012,
  kSettingsSkipCoplanarEdges = 1013,
  kSettingsLineColor = 1014,
  kSettingsLineBrightness = 1015,
};

// Reads the settings stored in the active document; leaves the record as it
// is when there is no active document or no valid stored settings.
void LoadSettings(ExportSettings& settings);
// Stores the settings in the active document's plug-in data.
void SaveSettings(const ExportSettings& settings);

// The same two operations on a given document (LoadSettings and SaveSettings
// use the active one).
bool LoadSettingsFrom(const BaseDocument* doc, ExportSettings& settings);
bool SaveSettingsTo(BaseDocument* doc, const ExportSettings& settings);
