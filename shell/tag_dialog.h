// The export tag's editing: TagDialog, the small modal dialog on a copy of
// the tag's settings, and the tag's Init and Edit callbacks that the module
// registers with the host.
#pragma once

#include <cstdint>

#include "capture/export_tags.h"
#include "sdk/container.h"
#include "sdk/dialogs.h"

// The layout and gadget IDs: host/api/vexmark_ids.h.

class TagDialog : public GeModalDialog {
 public:
  explicit TagDialog(BaseContainer& settings) : settings_(settings) {}

  bool CreateLayout() override;
  bool InitValues() override;
  // Every command writes all gadgets back into the settings.
  bool Command(int32_t id, const BaseContainer& message) override;

 private:
  BaseContainer& settings_;
};

// The settings of a new export tag: outline and crease on at 60 degrees,
// width 0, flat edges off, black at brightness 1.
BaseContainer DefaultTagSettings();

// The tag callbacks registered with the host.
int32_t ExportTagInit(HostContainer* settings);
int32_t ExportTagEdit(HostContainer* settings);
