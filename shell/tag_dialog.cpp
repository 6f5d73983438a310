#include "shell/tag_dialog.h"

#include "core/export_settings.h"
#include "host/api/vexmark_ids.h"
#include "sdk/container.h"
#include "sdk/dialogs.h"
#include "sdk/memory.h"

bool TagDialog::CreateLayout() { return LoadDialogResource(kTagLayout); }

bool TagDialog::InitValues() {
  if (!GeDialog::InitValues()) return false;
  SetBool(kTagGadgetOutline, settings_.GetBool(kTagOutline));
  SetBool(kTagGadgetCrease, settings_.GetBool(kTagCrease));
  SetDegree(kTagGadgetCreaseAngle, settings_.GetReal(kTagCreaseAngle), 0.0, 90.0, 1.0);
  SetInt(kTagGadgetLineWidth, settings_.GetInt(kTagLineWidth), 0, kMaxLineWidth, 1);
  SetBool(kTagGadgetFlatEdges, settings_.GetBool(kTagFlatEdges));
  SetColourField(kTagGadgetLineColour, settings_.GetVector(kTagLineColour),
                 settings_.GetReal(kTagLineBrightness), 1.0);
  return true;
}

bool TagDialog::Command(int32_t, const BaseContainer&) {
  bool check = false;
  if (GetBool(kTagGadgetOutline, check)) settings_.SetBool(kTagOutline, check);
  if (GetBool(kTagGadgetCrease, check)) settings_.SetBool(kTagCrease, check);
  double angle = 0.0;
  if (GetReal(kTagGadgetCreaseAngle, angle)) settings_.SetReal(kTagCreaseAngle, angle);
  int32_t width = 0;
  if (GetInt(kTagGadgetLineWidth, width)) settings_.SetInt(kTagLineWidth, width);
  if (GetBool(kTagGadgetFlatEdges, check)) settings_.SetBool(kTagFlatEdges, check);
  HostVector colour{0, 0, 0};
  double brightness = 0.0;
  if (GetColourField(kTagGadgetLineColour, colour, brightness)) {
    settings_.SetVector(kTagLineColour, colour);
    settings_.SetReal(kTagLineBrightness, brightness);
  }
  return true;
}

BaseContainer DefaultTagSettings() {
  BaseContainer settings(kExportTagId);
  settings.SetBool(kTagOutline, true);
  settings.SetBool(kTagCrease, true);
  settings.SetReal(kTagCreaseAngle, kDefaultCreaseAngle);
  settings.SetInt(kTagLineWidth, 0);
  settings.SetBool(kTagFlatEdges, false);
  settings.SetVector(kTagLineColour, HostVector{0, 0, 0});
  settings.SetReal(kTagLineBrightness, 1.0);
  return settings;
}

namespace {

// Writes the tag keys of `from` into the host's own settings container.
void WriteTagSettings(const BaseContainer& from, HostContainer* settings) {
  BaseContainer to = BaseContainer::Borrow(settings);
  to.SetBool(kTagOutline, from.GetBool(kTagOutline));
  to.SetBool(kTagCrease, from.GetBool(kTagCrease));
  to.SetReal(kTagCreaseAngle, from.GetReal(kTagCreaseAngle));
  to.SetInt(kTagLineWidth, from.GetInt(kTagLineWidth));
  to.SetBool(kTagFlatEdges, from.GetBool(kTagFlatEdges));
  to.SetVector(kTagLineColour, from.GetVector(kTagLineColour));
  to.SetReal(kTagLineBrightness, from.GetReal(kTagLineBrightness));
}

}  // namespace

int32_t ExportTagInit(HostContainer* settings) {
  if (settings == nullptr) return 0;
  WriteTagSettings(DefaultTagSettings(), settings);
  return 1;
}

int32_t ExportTagEdit(HostContainer* settings) {
  if (settings == nullptr) return 0;
  BaseContainer copy = BaseContainer::CopyOf(settings);
  if (!copy.Valid()) return 0;
  TagDialog* dialog = HostNew<TagDialog>(copy);
  if (dialog == nullptr) return 0;
  const bool confirmed = dialog->Open();
  HostDelete(dialog);
  if (!confirmed) return 0;
  WriteTagSettings(copy, settings);
  return 1;
}
