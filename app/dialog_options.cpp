#include "app/dialog_options.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace app {
namespace {

// Gadgets of the module's main dialog.
constexpr int32_t kExport = 1;
constexpr int32_t kButtonGroup = 10003;
constexpr int32_t kFromRenderSettings = 10007;
constexpr int32_t kFromFrame = 10008;
constexpr int32_t kToFrame = 10009;
constexpr int32_t kWidth = 10010;
constexpr int32_t kHeight = 10011;
constexpr int32_t kPictureSize = 10012;
constexpr int32_t kFrameRate = 10032;
constexpr int32_t kStyle = 10033;
constexpr int32_t kBackFaces = 10038;
constexpr int32_t kFileName = 10042;
constexpr int32_t kOutline = 10044;
constexpr int32_t kCrease = 10045;
constexpr int32_t kCreaseAngle = 10046;
constexpr int32_t kLineWidth = 10047;
constexpr int32_t kFlatEdges = 10048;
constexpr int32_t kLineColor = 10049;

std::string WithoutSpaces(std::string text) {
  text.erase(std::remove_if(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); }),
             text.end());
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The picture-size entry that a preset names, by its label ("1920x1080") or
// its value.
std::optional<int32_t> FindPreset(const HostDialog* dialog, const std::string& preset) {
  for (const auto& [value, label] : host::GadgetChoices(dialog, kPictureSize))
    if (WithoutSpaces(label) == WithoutSpaces(preset) || std::to_string(value) == preset)
      return value;
  return std::nullopt;
}

std::string PresetList(const HostDialog* dialog) {
  std::string list;
  for (const auto& entry : host::GadgetChoices(dialog, kPictureSize))
    list += (list.empty() ? "" : ", ") + WithoutSpaces(entry.second);
  return list;
}

}  // namespace

bool ApplyDialogOptions(const Options& o, HostDialog* dialog, std::string& error) {
  if (dialog == nullptr) {
    error = "the export dialog is not open";
    return false;
  }
  bool ok = true;
  // The render settings first, so that explicit options override them.
  if (o.renderSettings) ok &= host::UserClick(dialog, kFromRenderSettings);
  if (o.preset) {
    const std::optional<int32_t> value = FindPreset(dialog, *o.preset);
    if (!value) {
      error = "--preset: '" + *o.preset + "' is not one of " + PresetList(dialog);
      return false;
    }
    ok &= host::UserChoose(dialog, kPictureSize, *value);
  }
  if (o.width) ok &= host::UserSetInt(dialog, kWidth, *o.width);
  if (o.height) ok &= host::UserSetInt(dialog, kHeight, *o.height);
  if (o.fromFrame) ok &= host::UserSetInt(dialog, kFromFrame, *o.fromFrame);
  if (o.toFrame) ok &= host::UserSetInt(dialog, kToFrame, *o.toFrame);
  if (o.fps) ok &= host::UserSetInt(dialog, kFrameRate, *o.fps);
  if (o.style) ok &= host::UserChoose(dialog, kStyle, *o.style);
  if (o.backFaces) ok &= host::UserChoose(dialog, kBackFaces, *o.backFaces);
  if (o.outline) ok &= host::UserSetCheck(dialog, kOutline, *o.outline);
  if (o.crease) ok &= host::UserSetCheck(dialog, kCrease, *o.crease);
  if (o.creaseAngle) ok &= host::UserSetReal(dialog, kCreaseAngle, *o.creaseAngle);
  if (o.lineWidth) ok &= host::UserSetInt(dialog, kLineWidth, *o.lineWidth);
  if (o.flatEdges) ok &= host::UserSetCheck(dialog, kFlatEdges, *o.flatEdges);
  if (o.lineColor || o.brightness) {
    double brightness = 1.0;
    HostVector colour = host::GadgetColor(dialog, kLineColor, &brightness).value_or(HostVector{});
    if (o.lineColor)
      colour = HostVector{static_cast<float>((*o.lineColor)[0]),
                          static_cast<float>((*o.lineColor)[1]),
                          static_cast<float>((*o.lineColor)[2])};
    if (o.brightness) brightness = *o.brightness;
    ok &= host::UserSetColor(dialog, kLineColor, colour, brightness);
  }
  // A file named on the command line is relative to the working folder.
  if (o.output) ok &= host::UserSetText(dialog, kFileName, std::filesystem::absolute(*o.output));
  if (!ok) error = "the export dialog refused an option";
  return ok;
}

bool PressExport(HostDialog* dialog) {
  if (!host::UserClick(dialog, kExport)) return false;
  return host::GroupButtons(dialog, kButtonGroup) == std::vector<int32_t>{2};
}

bool ExportsFrameRange(const HostDialog* dialog) {
  return host::GadgetInt(dialog, kFromFrame) != host::GadgetInt(dialog, kToFrame);
}

std::string ChosenOutput(const HostDialog* dialog) {
  return host::GadgetText(dialog, kFileName).value_or("");
}

}  // namespace app
