// Controls of the host's headless user interface, for the program and the
// tests: find open dialogs, act on their gadgets the way a user would, run
// registered commands and tag callbacks, load modules.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/api/host_ui_api.h"

namespace host {

// ---------------------------------------------------------------- dialogs

// The open dialog registered under `id`, or null.
HostDialog* FindOpenDialog(int32_t id);
bool IsDialogOpen(const HostDialog* d);

// A user's edits. Each one is refused (false) for a missing or disabled
// gadget; a successful edit sends the dialog the gadget's command, as a real
// window does. Reals are given in the gadget's display unit (degrees for an
// angle gadget).
bool UserSetInt(HostDialog* d, int32_t gadget, int32_t value);
bool UserSetReal(HostDialog* d, int32_t gadget, double shown);
bool UserSetCheck(HostDialog* d, int32_t gadget, bool value);
bool UserSetText(HostDialog* d, int32_t gadget, const std::string& text);
bool UserSetColour(HostDialog* d, int32_t gadget, HostVector colour, double brightness);
// Picks an entry of a choice gadget by its value; false for an unknown value.
bool UserChoose(HostDialog* d, int32_t gadget, int32_t value);
// Clicks a button: false when the button is not shown or disabled.
bool UserClick(HostDialog* d, int32_t button);
// Closes the window as the user would: the dialog may refuse.
bool UserClose(HostDialog* d);

// What the window shows.
std::optional<int32_t> GadgetInt(const HostDialog* d, int32_t gadget);
std::optional<double> GadgetReal(const HostDialog* d, int32_t gadget);  // display unit
std::optional<bool> GadgetCheck(const HostDialog* d, int32_t gadget);
std::optional<std::string> GadgetText(const HostDialog* d, int32_t gadget);
std::optional<HostVector> GadgetColour(const HostDialog* d, int32_t gadget, double* brightness);
bool GadgetEnabled(const HostDialog* d, int32_t gadget);  // false when missing
// The entries of a choice gadget (empty for other gadgets).
std::vector<std::pair<int32_t, std::string>> GadgetChoices(const HostDialog* d, int32_t gadget);
// The buttons a group shows (its declared buttons until the dialog rebuilds it).
std::vector<int32_t> GroupButtons(const HostDialog* d, int32_t group);
int32_t LayoutRequestCount(const HostDialog* d, int32_t gadget, int32_t request);
// The messages sent to a gadget (their IDs), oldest first.
std::vector<int32_t> GadgetMessages(const HostDialog* d, int32_t gadget);

// Answers modal dialogs: called with the dialog once it shows; the driver
// acts on it like a user and closes it. Without a driver a modal dialog is
// closed at once.
void SetModalDialogDriver(std::function<void(HostDialog*)> driver);

// ---------------------------------------------------------------- registration

struct RegisteredPlugin {
  int32_t kind;
  int32_t id;
  std::string name;
  int32_t moduleVersion;
  HostCommandRecord command{};  // for kind 7
  HostTagRecord tag{};          // for kind 10
};

const RegisteredPlugin* FindPlugin(int32_t id);
std::vector<RegisteredPlugin> RegisteredPlugins();
// Runs a registered command on the active document; false when unknown.
bool ExecuteCommand(int32_t id);
int32_t CommandState(int32_t id);
bool RestoreCommandLayout(int32_t id, void* layoutData);
// A registered tag's callbacks on a settings container.
bool InitTagSettings(int32_t id, HostContainer* settings);
bool EditTagSettings(int32_t id, HostContainer* settings);
// Forgets every registration (the module that made them is gone).
void ClearRegistrations();

// ---------------------------------------------------------------- bitmaps

struct BitmapInfo {
  int32_t width = 0;
  int32_t height = 0;
};
std::optional<BitmapInfo> BitmapSize(const HostBitmap* b);  // empty when nothing loaded

}  // namespace host
