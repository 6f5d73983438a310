#include "app/studio/settings_json.h"

#include <cmath>
#include <cstdio>

#include "host/api/vexmark_ids.h"

namespace app::studio {
namespace {

// The settings that are not one gadget of one kind, each with its reader.
using ValueReader = std::string (*)(const HostDialog* dialog, const HostDocument& doc);

std::string SizeText(const HostDialog* d, const HostDocument&) {
  return std::to_string(host::GadgetInt(d, kGadgetWidth).value_or(0)) + "x" +
         std::to_string(host::GadgetInt(d, kGadgetHeight).value_or(0));
}

std::string LineColourText(const HostDialog* d, const HostDocument&) {
  const HostVector colour = host::GadgetColour(d, kGadgetLineColour, nullptr).value_or(HostVector{});
  char text[8];
  const auto byte = [](float c) {
    return static_cast<int>(std::lround(std::fmin(std::fmax(c, 0.0f), 1.0f) * 255.0));
  };
  std::snprintf(text, sizeof text, "#%02X%02X%02X", byte(colour.x), byte(colour.y), byte(colour.z));
  return text;
}

std::string BrightnessText(const HostDialog* d, const HostDocument&) {
  double brightness = 1.0;
  host::GadgetColour(d, kGadgetLineColour, &brightness);
  return SettingNumberText(brightness);
}

std::string PaperText(const HostDialog* d, const HostDocument&) {
  const double width = host::GadgetReal(d, kGadgetPaperWidth).value_or(0);
  const double height = host::GadgetReal(d, kGadgetPaperHeight).value_or(0);
  if (width <= 0 || height <= 0) return "none";
  return SettingNumberText(width) + "x" + SettingNumberText(height) + "mm";
}

std::string CameraText(const HostDialog*, const HostDocument& doc) {
  const HostObject* camera = doc.scene.Object(doc.scene.view.linkedCamera);
  return camera != nullptr ? camera->name : "";
}

const std::vector<std::pair<std::string, ValueReader>>& OwnReaders() {
  static const std::vector<std::pair<std::string, ValueReader>> readers = {
      {"--size", &SizeText},   {"--line-color", &LineColourText}, {"--brightness", &BrightnessText},
      {"--paper", &PaperText}, {"--camera", &CameraText},
  };
  return readers;
}

ValueReader OwnReaderOf(const OptionEntry& entry) {
  for (const auto& [name, reader] : OwnReaders())
    if (name == entry.name) return reader;
  return nullptr;
}

// The value of an option the table pairs with one gadget.
std::string GadgetText(const OptionEntry& entry, const HostDialog* d) {
  switch (entry.kind) {
    case ValueKind::kSwitch:
    case ValueKind::kOptionalSwitch:
      return host::GadgetCheck(d, entry.gadget).value_or(false) ? "on" : "off";
    case ValueKind::kChoice: {
      const int32_t value = host::GadgetInt(d, entry.gadget).value_or(0);
      for (const Choice& choice : entry.choices)
        if (choice.value == value) return choice.name;
      return std::to_string(value);
    }
    case ValueKind::kNumber:
      return SettingNumberText(host::GadgetReal(d, entry.gadget).value_or(0));
    default:
      return std::to_string(host::GadgetInt(d, entry.gadget).value_or(0));
  }
}

const char* KindName(ValueKind kind) {
  switch (kind) {
    case ValueKind::kNone:
    case ValueKind::kOptionalSwitch:
    case ValueKind::kSwitch:
      return "switch";
    case ValueKind::kWholeNumber:
      return "whole";
    case ValueKind::kNumber:
      return "number";
    case ValueKind::kChoice:
      return "choice";
    case ValueKind::kFile:
      return "file";
    default:
      return "text";
  }
}

Json Describe(const OptionEntry& entry) {
  Json option = {{"name", SettingName(entry)}, {"kind", KindName(entry.kind)}};
  option["valueName"] = entry.valueName;
  if (entry.kind == ValueKind::kNumber || entry.kind == ValueKind::kWholeNumber) {
    option["least"] = entry.least;
    option["most"] = entry.most;
  }
  if (entry.kind == ValueKind::kChoice) {
    Json choices = Json::array();
    for (const Choice& choice : entry.choices) choices.push_back(choice.name);
    option["choices"] = choices;
  }
  option["help"] = entry.help;
  return option;
}

}  // namespace

bool IsSetting(const OptionEntry& entry) {
  return entry.gadget != 0 || OwnReaderOf(entry) != nullptr;
}

std::string SettingName(const OptionEntry& entry) {
  return entry.name.rfind("--", 0) == 0 ? entry.name.substr(2) : entry.name;
}

const OptionEntry* FindSetting(const std::string& name) {
  for (const OptionEntry& entry : OptionTable())
    if (IsSetting(entry) && SettingName(entry) == name) return &entry;
  return nullptr;
}

Json OptionsListing() {
  Json options = Json::array();
  for (const OptionEntry& entry : OptionTable())
    if (IsSetting(entry)) options.push_back(Describe(entry));
  return options;
}

Json ReadSettings(const HostDialog* dialog, const HostDocument& doc) {
  Json settings = Json::object();
  for (const OptionEntry& entry : OptionTable()) {
    if (!IsSetting(entry)) continue;
    const ValueReader own = OwnReaderOf(entry);
    settings[SettingName(entry)] = own != nullptr ? own(dialog, doc) : GadgetText(entry, dialog);
  }
  return settings;
}

std::vector<std::string> SettingArguments(const Json& settings) {
  std::vector<std::string> args;
  for (const auto& [name, value] : settings.items()) {
    const std::string text = value.get<std::string>();
    if (text.empty()) continue;
    args.push_back("--" + name);
    args.push_back(text);
  }
  return args;
}

std::string SettingNumberText(double value) {
  constexpr double kSinglePrecision = 1.2e-7;
  constexpr int kMostDecimals = 9;
  char text[64];
  for (int decimals = 0; decimals <= kMostDecimals; ++decimals) {
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    if (std::fabs(std::strtod(text, nullptr) - value) <= kSinglePrecision * std::fabs(value))
      return text;
  }
  return text;
}

}  // namespace app::studio
