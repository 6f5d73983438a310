#include "app/dialog_options.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>

#include "app/option_table.h"
#include "host/api/vexmark_ids.h"

namespace app {
namespace {

std::string WithoutSpaces(std::string text) {
  text.erase(
      std::remove_if(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); }),
      text.end());
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The picture-size entry that a preset names, by its label ("1920x1080") or
// its value.
std::optional<int32_t> FindPreset(const HostDialog* dialog, const std::string& preset) {
  for (const auto& [value, label] : host::GadgetChoices(dialog, kGadgetPictureSize))
    if (WithoutSpaces(label) == WithoutSpaces(preset) || std::to_string(value) == preset)
      return value;
  return std::nullopt;
}

std::string PresetList(const HostDialog* dialog) {
  std::string list;
  for (const auto& entry : host::GadgetChoices(dialog, kGadgetPictureSize))
    list += (list.empty() ? "" : ", ") + WithoutSpaces(entry.second);
  return list;
}

// The options the table pairs with one gadget each: a whole number, a
// choice, a switch or a number, set as given.
bool ApplyPlainOptions(const Options& o, HostDialog* dialog) {
  bool ok = true;
  for (const OptionEntry& entry : OptionTable()) {
    if (entry.gadget == 0) continue;
    if (const auto* whole = std::get_if<std::optional<int32_t> Options::*>(&entry.field)) {
      if (const std::optional<int32_t>& value = o.**whole)
        ok &= entry.kind == ValueKind::kChoice ? host::UserChoose(dialog, entry.gadget, *value)
                                               : host::UserSetInt(dialog, entry.gadget, *value);
    } else if (const auto* on = std::get_if<std::optional<bool> Options::*>(&entry.field)) {
      if (const std::optional<bool>& value = o.**on)
        ok &= host::UserSetCheck(dialog, entry.gadget, *value);
    } else if (const auto* number = std::get_if<std::optional<double> Options::*>(&entry.field)) {
      if (const std::optional<double>& value = o.**number)
        ok &= host::UserSetReal(dialog, entry.gadget, *value);
    } else {
      ok = false;  // a gadget the table pairs with a field of another kind
    }
  }
  return ok;
}

// The colour and its brightness share one gadget: what one of them leaves
// out stays as the dialog has it.
bool ApplyLineColour(const Options& o, HostDialog* dialog) {
  if (!o.lineColour && !o.brightness) return true;
  double brightness = 1.0;
  HostVector colour =
      host::GadgetColour(dialog, kGadgetLineColour, &brightness).value_or(HostVector{});
  if (o.lineColour)
    colour =
        HostVector{static_cast<float>((*o.lineColour)[0]), static_cast<float>((*o.lineColour)[1]),
                   static_cast<float>((*o.lineColour)[2])};
  if (o.brightness) brightness = *o.brightness;
  return host::UserSetColour(dialog, kGadgetLineColour, colour, brightness);
}

// A file named on the command line is relative to the working folder. The
// first -o is the drawing; the others are its further files, and replace
// those the scene stored.
bool ApplyOutputNames(const Options& o, HostDialog* dialog) {
  const std::vector<std::string> names = OutputNames(o);
  bool ok = true;
  if (!names.empty()) {
    std::string more;
    for (size_t k = 1; k < names.size(); ++k)
      more += (k > 1 ? "\n" : "") + std::filesystem::absolute(names[k]).string();
    ok &= host::UserSetText(dialog, kGadgetFileName, std::filesystem::absolute(names[0]));
    ok &= host::UserSetText(dialog, kGadgetMoreFiles, more);
  } else if (o.format) {
    // The stored name in the chosen format; an empty one is proposed later.
    const std::string stored = ChosenOutput(dialog);
    if (!stored.empty())
      ok &= host::UserSetText(dialog, kGadgetFileName,
                              std::filesystem::path(stored).replace_extension("." + *o.format));
  }
  return ok;
}

}  // namespace

bool ApplyDialogOptions(const Options& o, HostDialog* dialog, std::string& error) {
  if (dialog == nullptr) {
    error = "the export dialog is not open";
    return false;
  }
  bool ok = true;
  // The render settings and the preset first, so that explicit options
  // override them.
  if (o.renderSettings) ok &= host::UserClick(dialog, kGadgetFromRenderSettings);
  if (o.preset) {
    const std::optional<int32_t> value = FindPreset(dialog, *o.preset);
    if (!value) {
      error = "--preset: '" + *o.preset + "' is not one of " + PresetList(dialog);
      return false;
    }
    ok &= host::UserChoose(dialog, kGadgetPictureSize, *value);
  }
  if (o.width) ok &= host::UserSetInt(dialog, kGadgetWidth, *o.width);
  if (o.height) ok &= host::UserSetInt(dialog, kGadgetHeight, *o.height);
  ok &= ApplyPlainOptions(o, dialog);
  ok &= ApplyLineColour(o, dialog);
  if (o.paper) {
    ok &= host::UserSetReal(dialog, kGadgetPaperWidth, (*o.paper)[0]);
    ok &= host::UserSetReal(dialog, kGadgetPaperHeight, (*o.paper)[1]);
  }
  ok &= ApplyOutputNames(o, dialog);
  if (!ok) error = "the export dialog refused an option";
  return ok;
}

bool PressExport(HostDialog* dialog) {
  if (!host::UserClick(dialog, kGadgetExport)) return false;
  return host::GroupButtons(dialog, kGadgetButtonGroup) == std::vector<int32_t>{kGadgetCancel};
}

bool ExportsFrameRange(const HostDialog* dialog) {
  return host::GadgetInt(dialog, kGadgetFromFrame) != host::GadgetInt(dialog, kGadgetToFrame);
}

std::string ChosenOutput(const HostDialog* dialog) {
  return host::GadgetText(dialog, kGadgetFileName).value_or("");
}

std::vector<std::string> ChosenOutputs(const HostDialog* dialog) {
  std::vector<std::string> names = {ChosenOutput(dialog)};
  std::istringstream more(host::GadgetText(dialog, kGadgetMoreFiles).value_or(""));
  for (std::string name; std::getline(more, name);)
    if (!name.empty()) names.push_back(name);
  return names;
}

}  // namespace app
