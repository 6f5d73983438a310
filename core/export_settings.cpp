// Storage of the export settings in a document's plug-in data and the
// derivation of the packed line colour.
#include "core/export_settings.h"

namespace {

constexpr int32_t kValidMark = 1;

uint8_t ColourByte(float component) {
  // Truncation, not rounding; out-of-range components are held to the byte.
  const float scaled = 255.0f * component;
  if (!(scaled > 0.0f)) return 0;
  if (scaled >= 255.0f) return 255;
  return static_cast<uint8_t>(scaled);
}

}  // namespace

void DeriveLineColour(ExportSettings& s) {
  s.lineColorScaled.x = s.lineColor.x * s.lineBrightness;
  s.lineColorScaled.y = s.lineColor.y * s.lineBrightness;
  s.lineColorScaled.z = s.lineColor.z * s.lineBrightness;
  s.lineRGBA[0] = ColourByte(s.lineColorScaled.x);
  s.lineRGBA[1] = ColourByte(s.lineColorScaled.y);
  s.lineRGBA[2] = ColourByte(s.lineColorScaled.z);
  s.lineRGBA[3] = 255;
}

int32_t ClampLineWidth(int32_t width) {
  if (width < 0) return 0;
  if (width > kMaxLineWidth) return kMaxLineWidth;
  return width;
}

bool LoadSettingsFrom(const BaseDocument* doc, ExportSettings& s) {
  if (doc == nullptr) return false;
  const BaseContainer data = GetDocumentData(doc, kDocumentPluginData);
  const BaseContainer stored = data.GetContainer(kVexmarkCommandId);
  if (!stored.Valid() || stored.GetInt(kSettingsValid) != kValidMark) return false;

  s.fromFrame = stored.GetInt(kSettingsFromFrame, s.fromFrame);
  s.toFrame = stored.GetInt(kSettingsToFrame, s.toFrame);
  s.drawingStyle = stored.GetInt(kSettingsDrawingStyle, s.drawingStyle);
  s.backFaces = stored.GetInt(kSettingsBackFaces, s.backFaces);
  s.frameRate = stored.GetInt(kSettingsFrameRate, s.frameRate);
  s.width = stored.GetInt(kSettingsWidth, s.width);
  s.height = stored.GetInt(kSettingsHeight, s.height);
  s.fileName = stored.GetString(kSettingsFileName, s.fileName);
  s.outlineLines = stored.GetBool(kSettingsOutlineLines, s.outlineLines != 0) ? 1 : 0;
  s.creaseLines = stored.GetBool(kSettingsCreaseLines, s.creaseLines != 0) ? 1 : 0;
  s.creaseAngle = static_cast<float>(stored.GetReal(kSettingsCreaseAngle, s.creaseAngle));
  s.lineWidth = stored.GetInt(kSettingsLineWidth, s.lineWidth);
  s.skipCoplanarEdges =
      stored.GetBool(kSettingsSkipCoplanarEdges, s.skipCoplanarEdges != 0) ? 1 : 0;
  s.lineColor = stored.GetVector(kSettingsLineColor, s.lineColor);
  s.lineBrightness = static_cast<float>(stored.GetReal(kSettingsLineBrightness, s.lineBrightness));
  DeriveLineColour(s);
  return true;
}

bool SaveSettingsTo(BaseDocument* doc, const ExportSettings& s) {
  if (doc == nullptr) return false;
  BaseContainer data = GetDocumentData(doc, kDocumentPluginData);
  if (!data.Valid()) data = BaseContainer(0);
  BaseContainer stored(kVexmarkCommandId);
  if (!data.Valid() || !stored.Valid()) return false;

  stored.SetInt(kSettingsValid, kValidMark);
  stored.SetInt(kSettingsFromFrame, s.fromFrame);
  stored.SetInt(kSettingsToFrame, s.toFrame);
  stored.SetInt(kSettingsDrawingStyle, s.drawingStyle);
  stored.SetInt(kSettingsBackFaces, s.backFaces);
  stored.SetInt(kSettingsFrameRate, s.frameRate);
  stored.SetInt(kSettingsWidth, s.width);
  stored.SetInt(kSettingsHeight, s.height);
  stored.SetString(kSettingsFileName, s.fileName);
  stored.SetBool(kSettingsOutlineLines, s.outlineLines != 0);
  stored.SetBool(kSettingsCreaseLines, s.creaseLines != 0);
  stored.SetReal(kSettingsCreaseAngle, s.creaseAngle);
  stored.SetInt(kSettingsLineWidth, s.lineWidth);
  stored.SetBool(kSettingsSkipCoplanarEdges, s.skipCoplanarEdges != 0);
  stored.SetVector(kSettingsLineColor, s.lineColor);
  stored.SetReal(kSettingsLineBrightness, s.lineBrightness);

  data.SetContainer(kVexmarkCommandId, stored);
  return SetDocumentData(doc, kDocumentPluginData, data);
}

void LoadSettings(ExportSettings& s) { LoadSettingsFrom(GetActiveDocument(), s); }

void SaveSettings(const ExportSettings& s) { SaveSettingsTo(GetActiveDocument(), s); }
