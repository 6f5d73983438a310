// Storage of the export settings in a document's plug-in data.
#include "shell/settings_storage.h"

#include "host/api/vexmark_ids.h"

namespace {
constexpr int32_t kValidMark = 1;
}  // namespace

bool LoadSettingsFrom(const BaseDocument* doc, ExportSettings& s) {
  if (doc == nullptr) return false;
  const BaseContainer data = GetDocumentData(doc, kDocumentPluginData);
  const BaseContainer stored = data.GetContainer(kVexmarkCommandId);
  if (!stored.Valid() || stored.GetInt(kSettingsValid) != kValidMark) return false;

  LineStyle& l = s.lines;
  s.fromFrame = stored.GetInt(kSettingsFromFrame, s.fromFrame);
  s.toFrame = stored.GetInt(kSettingsToFrame, s.toFrame);
  s.drawingStyle = stored.GetInt(kSettingsDrawingStyle, s.drawingStyle);
  s.backFaces = stored.GetInt(kSettingsBackFaces, s.backFaces);
  s.frameRate = stored.GetInt(kSettingsFrameRate, s.frameRate);
  s.width = stored.GetInt(kSettingsWidth, s.width);
  s.height = stored.GetInt(kSettingsHeight, s.height);
  s.fileName = stored.GetString(kSettingsFileName, s.fileName);
  s.moreFiles = stored.GetString(kSettingsMoreFiles, s.moreFiles);
  s.pngDpi = stored.GetInt(kSettingsPngDpi, s.pngDpi);
  l.outlineLines = stored.GetBool(kSettingsOutlineLines, l.outlineLines);
  l.creaseLines = stored.GetBool(kSettingsCreaseLines, l.creaseLines);
  l.creaseAngle = static_cast<float>(stored.GetReal(kSettingsCreaseAngle, l.creaseAngle));
  l.lineWidth = stored.GetInt(kSettingsLineWidth, l.lineWidth);
  l.skipCoplanarEdges = stored.GetBool(kSettingsSkipCoplanarEdges, l.skipCoplanarEdges);
  l.lineColour = FromHostColour(stored.GetVector(kSettingsLineColour, ToHostColour(l.lineColour)));
  l.lineBrightness = static_cast<float>(stored.GetReal(kSettingsLineBrightness, l.lineBrightness));
  DeriveLineColour(l);
  PlotterOptions& plotter = s.plotter;
  plotter.on = stored.GetBool(kSettingsPlotter, plotter.on);
  plotter.minLength = stored.GetReal(kSettingsMinStrokeLength, plotter.minLength);
  plotter.simplify = stored.GetReal(kSettingsSimplify, plotter.simplify);
  PaperOptions& paper = s.paper;
  paper.widthMm = stored.GetReal(kSettingsPaperWidth, paper.widthMm);
  paper.heightMm = stored.GetReal(kSettingsPaperHeight, paper.heightMm);
  paper.marginMm = stored.GetReal(kSettingsPaperMargin, paper.marginMm);
  return true;
}

bool SaveSettingsTo(BaseDocument* doc, const ExportSettings& s) {
  if (doc == nullptr) return false;
  BaseContainer data = GetDocumentData(doc, kDocumentPluginData);
  if (!data.Valid()) data = BaseContainer(0);
  BaseContainer stored(kVexmarkCommandId);
  if (!data.Valid() || !stored.Valid()) return false;

  const LineStyle& l = s.lines;
  stored.SetInt(kSettingsValid, kValidMark);
  stored.SetInt(kSettingsFromFrame, s.fromFrame);
  stored.SetInt(kSettingsToFrame, s.toFrame);
  stored.SetInt(kSettingsDrawingStyle, s.drawingStyle);
  stored.SetInt(kSettingsBackFaces, s.backFaces);
  stored.SetInt(kSettingsFrameRate, s.frameRate);
  stored.SetInt(kSettingsWidth, s.width);
  stored.SetInt(kSettingsHeight, s.height);
  stored.SetString(kSettingsFileName, s.fileName);
  stored.SetString(kSettingsMoreFiles, s.moreFiles);
  stored.SetInt(kSettingsPngDpi, s.pngDpi);
  stored.SetBool(kSettingsOutlineLines, l.outlineLines);
  stored.SetBool(kSettingsCreaseLines, l.creaseLines);
  stored.SetReal(kSettingsCreaseAngle, l.creaseAngle);
  stored.SetInt(kSettingsLineWidth, l.lineWidth);
  stored.SetBool(kSettingsSkipCoplanarEdges, l.skipCoplanarEdges);
  stored.SetVector(kSettingsLineColour, ToHostColour(l.lineColour));
  stored.SetReal(kSettingsLineBrightness, l.lineBrightness);
  stored.SetBool(kSettingsPlotter, s.plotter.on);
  stored.SetReal(kSettingsMinStrokeLength, s.plotter.minLength);
  stored.SetReal(kSettingsSimplify, s.plotter.simplify);
  stored.SetReal(kSettingsPaperWidth, s.paper.widthMm);
  stored.SetReal(kSettingsPaperHeight, s.paper.heightMm);
  stored.SetReal(kSettingsPaperMargin, s.paper.marginMm);

  data.SetContainer(kVexmarkCommandId, stored);
  return SetDocumentData(doc, kDocumentPluginData, data);
}

void LoadSettings(ExportSettings& s) { LoadSettingsFrom(GetActiveDocument(), s); }

void SaveSettings(const ExportSettings& s) { SaveSettingsTo(GetActiveDocument(), s); }
