#include "capture/tag_settings.h"

#include "shell/tag_dialog.h"

void ReadTagSettings(ExportSettings& settings, const SceneTag* tag) {
  const BaseContainer data = TagData(tag);
  settings.outlineLines = data.GetBool(kTagOutline, false) ? 1 : 0;
  settings.creaseLines = data.GetBool(kTagCrease, false) ? 1 : 0;
  settings.creaseAngle = static_cast<float>(data.GetReal(kTagCreaseAngle, 0.0));
  settings.lineWidth = ClampLineWidth(data.GetInt(kTagLineWidth, 0));
  settings.skipCoplanarEdges = data.GetBool(kTagFlatEdges, false) ? 1 : 0;
  settings.lineColor = data.GetVector(kTagLineColor, Vector{0, 0, 0});
  settings.lineBrightness = static_cast<float>(data.GetReal(kTagLineBrightness, 0.0));
  DeriveLineColour(settings);
}
