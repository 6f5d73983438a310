// ExportSettings: everything one export needs (frame range and rate, output
// size and file, drawing style, back-face mode and the default line settings
// of every object), with its storage in the host document and the packed
// line colour derived from colour and brightness.
//
// The main dialog owns one record; each conversion thread holds a copy; the
// renderer copies the line settings into every exported object, where an
// export tag may replace them.
#pragma once

#include <cstdint>

#include "sdk/host_sdk.h"

class ConvThread;
struct FrameExport;

// Plug-in ID of the export command: also the key of the stored settings and
// the ID of the end-of-job event.
constexpr int32_t kVexmarkCommandId = 1010761;

// Drawing styles.
constexpr int32_t kStyleAllEdges = 10034;      // drawn edges, no hidden-surface removal
constexpr int32_t kStyleVisibleEdges = 10035;  // drawn edges after hidden-surface removal
constexpr int32_t kStyleEdgeLines = 10036;     // colour-region edge lines and creases
constexpr int32_t kStyleFilled = 10037;        // filled colour regions with edges and creases
// Back-face modes.
constexpr int32_t kBackFacesDrop = 10039;
constexpr int32_t kBackFacesKeep = 10040;

constexpr float kDefaultCreaseAngle = 1.0471976f;  // 60 degrees in radians
constexpr int32_t kMaxLineWidth = 20;

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

struct ExportSettings {
  int32_t fromFrame = 0;
  int32_t toFrame = 0;
  int32_t currentFrame = 0;  // index of the frame being exported, from 0
  int32_t drawingStyle = kStyleAllEdges;
  int32_t backFaces = kBackFacesDrop;
  int32_t frameRate = 12;
  int32_t width = 320;
  int32_t height = 240;
  String fileName;

  // Line settings: defaults for objects without an export tag.
  int32_t outlineLines = 1;
  int32_t creaseLines = 1;
  float creaseAngle = kDefaultCreaseAngle;
  int32_t lineWidth = 0;  // whole points, 0 to 20
  int32_t skipCoplanarEdges = 0;
  Vector lineColor{0, 0, 0};
  float lineBrightness = 1.0f;
  Vector lineColorScaled{0, 0, 0};       // lineColor x lineBrightness
  uint8_t lineRGBA[4] = {0, 0, 0, 255};  // trunc(255 x scaled), alpha 255

  // The run in progress.
  ConvThread* thread = nullptr;
  BaseDocument* document = nullptr;  // the run's private document copy
  FrameExport* frameExport = nullptr;

  // Copying copies every field: numbers as they are, the file name as a
  // string copy, the three run references as they are.
  ExportSettings() = default;
  ExportSettings(const ExportSettings&) = default;
  ExportSettings& operator=(const ExportSettings&) = default;
};

// lineColorScaled = lineColor x lineBrightness; lineRGBA = trunc(255 x scaled), A 255.
void DeriveLineColour(ExportSettings& settings);
// Clamps a typed line width into 0..20.
int32_t ClampLineWidth(int32_t width);

// Reads the settings stored in the active document; leaves the record as it
// is when there is no active document or no valid stored settings.
void LoadSettings(ExportSettings& settings);
// Stores the settings in the active document's plug-in data.
void SaveSettings(const ExportSettings& settings);

// The same two operations on a given document (LoadSettings and SaveSettings
// use the active one).
bool LoadSettingsFrom(const BaseDocument* doc, ExportSettings& settings);
bool SaveSettingsTo(BaseDocument* doc, const ExportSettings& settings);
