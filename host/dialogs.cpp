// Headless dialogs: the dlg* entries of the user-interface table and the
// user-side controls of host/ui.h. A dialog's layout comes from the module's
// resource folder; gadget values live here; the dialog's callbacks run on the
// thread that acts (the user-interface thread).
#include <algorithm>
#include <cmath>
#include <climits>
#include <fstream>
#include <map>
#include <mutex>
#include <numbers>

#include "host/container.h"
#include "host/dialog_layout.h"
#include "host/file_names.h"
#include "host/host_string.h"
#include "host/resource.h"
#include "host/runtime.h"
#include "host/services.h"
#include "host/ui.h"

namespace {

struct GadgetState {
  host::GadgetDecl decl;
  bool enabled = true;
  int32_t intValue = 0;
  int32_t intMin = INT_MIN;
  int32_t intMax = INT_MAX;
  double realValue = 0.0;  // radians for an angle gadget
  int32_t unit = kUnitPlain;
  bool check = false;
  std::string text;
  HostVector colour{0, 0, 0};
  double brightness = 1.0;
  double maxBrightness = 1.0;
  std::vector<int32_t> rowButtons;  // groups: the buttons shown
  std::map<int32_t, int32_t> layoutRequests;
  std::vector<int32_t> messages;
};

}  // namespace

struct HostDialog {
  HostDialogCallbacks callbacks{};
  void* user = nullptr;
  host::DialogLayout layout;
  std::map<int32_t, GadgetState> gadgets;
  bool open = false;
  bool modal = false;
  bool confirmed = false;  // a modal window closed with button 1
  int32_t openId = 0;
};

namespace host {
namespace {

std::mutex gDialogsMutex;
std::vector<HostDialog*> gDialogs;
std::function<void(HostDialog*)> gModalDriver;
int32_t gEventToken = -1;

constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;

GadgetState* Find(HostDialog* d, int32_t id) {
  if (d == nullptr) return nullptr;
  const auto it = d->gadgets.find(id);
  return it == d->gadgets.end() ? nullptr : &it->second;
}

const GadgetState* Find(const HostDialog* d, int32_t id) {
  return Find(const_cast<HostDialog*>(d), id);
}

bool Is(const GadgetState* g, GadgetKind kind) { return g != nullptr && g->decl.kind == kind; }

// Whether a button sits in a group that shows a button row.
const GadgetState* RowGroupOf(const HostDialog* d, const GadgetState& button) {
  if (button.decl.parent < 0) return nullptr;
  const GadgetDecl& parent = d->layout.gadgets[button.decl.parent];
  const GadgetState* group = Find(d, parent.id);
  return group;
}

// Delivers special events to every open dialog, on the delivering thread.
void DeliverToDialogs(const SpecialEvent& e) {
  std::vector<HostDialog*> open;
  {
    std::lock_guard<std::mutex> lock(gDialogsMutex);
    for (HostDialog* d : gDialogs)
      if (d->open) open.push_back(d);
  }
  HostContainer message(e.id);
  message.Set(1, static_cast<int64_t>(e.a));
  message.Set(2, static_cast<int64_t>(e.b));
  for (HostDialog* d : open)
    if (d->callbacks.coreMessage != nullptr) d->callbacks.coreMessage(d->user, e.id, &message);
}

// Open dialogs receive special events through one listener of the event
// service (which forgets its listeners when the host is reset).
void EnsureEventListener() {
  if (gEventToken < 0) gEventToken = AddEventListener(&DeliverToDialogs);
}

void SendCommand(HostDialog* d, int32_t gadget) {
  HostContainer message(gadget);
  if (d->callbacks.command != nullptr) d->callbacks.command(d->user, gadget, &message);
}

// ---------------------------------------------------------------- table entries

HostDialog* DlgNew(const HostDialogCallbacks* callbacks, void* user) {
  if (callbacks == nullptr) return nullptr;
  auto* d = new HostDialog;
  d->callbacks = *callbacks;
  d->user = user;
  std::lock_guard<std::mutex> lock(gDialogsMutex);
  gDialogs.push_back(d);
  EnsureEventListener();
  return d;
}

void DlgFree(HostDialog* d) {
  if (d == nullptr) return;
  std::lock_guard<std::mutex> lock(gDialogsMutex);
  gDialogs.erase(std::remove(gDialogs.begin(), gDialogs.end(), d), gDialogs.end());
  delete d;
}

int32_t DlgLoadLayout(HostDialog* d, const HostResource* resources, int32_t layoutId) {
  if (d == nullptr || resources == nullptr) return 0;
  const std::string path =
      ComposePath(ComposePath(ComposePath(resources->folder, "res"), "dialogs"),
                  std::to_string(layoutId) + ".dlg");
  std::ifstream in(path);
  if (!in) {
    Table()->consolePrint(("cannot read dialog layout " + path).c_str());
    return 0;
  }
  LayoutParseResult parsed = ParseDialogLayout(in);
  if (parsed.badLine != 0) {
    const std::string line = path + ":" + std::to_string(parsed.badLine) +
                             ": malformed dialog layout (" + parsed.problem + ")";
    Table()->consolePrint(line.c_str());
    return 0;
  }
  d->layout = std::move(parsed.layout);
  d->gadgets.clear();
  for (const GadgetDecl& decl : d->layout.gadgets) {
    GadgetState state;
    state.decl = decl;
    d->gadgets[decl.id] = state;
  }
  for (const GadgetDecl& decl : d->layout.gadgets)
    if (decl.kind == GadgetKind::kButton && decl.parent >= 0)
      d->gadgets[d->layout.gadgets[decl.parent].id].rowButtons.push_back(decl.id);
  return 1;
}

int32_t DlgOpen(HostDialog* d, int32_t modal, int32_t id, int32_t, int32_t) {
  if (d == nullptr) return 0;
  if (d->open) return 1;
  {
    std::lock_guard<std::mutex> lock(gDialogsMutex);
    EnsureEventListener();
  }
  if (d->callbacks.createLayout != nullptr && !d->callbacks.createLayout(d->user)) return 0;
  d->open = true;
  d->modal = modal != 0;
  d->openId = id;
  if (d->callbacks.initValues != nullptr && !d->callbacks.initValues(d->user)) {
    d->open = false;
    return 0;
  }
  if (d->modal) {
    // A modal dialog lasts as long as the user works in it.
    d->confirmed = false;
    if (gModalDriver) gModalDriver(d);
    d->open = false;
    return d->confirmed ? 1 : 0;
  }
  return 1;
}

int32_t DlgClose(HostDialog* d) {
  if (d == nullptr) return 0;
  d->open = false;
  return 1;
}

int32_t DlgRestore(HostDialog* d, int32_t id, void*) { return DlgOpen(d, 0, id, -1, -1); }

int32_t DlgIsOpen(const HostDialog* d) { return d != nullptr && d->open; }

int32_t DlgSetInt(HostDialog* d, int32_t gadget, int32_t value, int32_t min, int32_t max,
                  int32_t) {
  GadgetState* g = Find(d, gadget);
  if (!Is(g, GadgetKind::kInt) && !Is(g, GadgetKind::kChoice)) return 0;
  g->intValue = value;
  g->intMin = min;
  g->intMax = max;
  return 1;
}

int32_t DlgGetInt(const HostDialog* d, int32_t gadget, int32_t* value) {
  const GadgetState* g = Find(d, gadget);
  if (!Is(g, GadgetKind::kInt) && !Is(g, GadgetKind::kChoice)) return 0;
  if (value != nullptr) *value = g->intValue;
  return 1;
}

int32_t DlgSetReal(HostDialog* d, int32_t gadget, double value, double, double, double,
                   int32_t unit) {
  GadgetState* g = Find(d, gadget);
  if (!Is(g, GadgetKind::kReal)) return 0;
  g->realValue = value;
  g->unit = unit;
  return 1;
}

int32_t DlgGetReal(const HostDialog* d, int32_t gadget, double* value) {
  const GadgetState* g = Find(d, gadget);
  if (!Is(g, GadgetKind::kReal)) return 0;
  if (value != nullptr) *value = g->realValue;
  return 1;
}

int32_t DlgSetBool(HostDialog* d, int32_t gadget, int32_t value) {
  GadgetState* g = Find(d, gadget);
  if (!Is(g, GadgetKind::kCheck)) return 0;
  g->check = value != 0;
  return 1;
}

int32_t DlgGetBool(const HostDialog* d, int32_t gadget, int32_t* value) {
  const GadgetState* g = Find(d, gadget);
  if (!Is(g, GadgetKind::kCheck)) return 0;
  if (value != nullptr) *value = g->check ? 1 : 0;
  return 1;
}

int32_t DlgSetString(HostDialog* d, int32_t gadget, const HostString* value) {
  GadgetState* g = Find(d, gadget);
  if (!Is(g, GadgetKind::kText) && !Is(g, GadgetKind::kStatic)) return 0;
  g->text = TextOf(value);
  return 1;
}

HostString* DlgGetString(const HostDialog* d, int32_t gadget) {
  const GadgetState* g = Find(d, gadget);
  if (!Is(g, GadgetKind::kText) && !Is(g, GadgetKind::kStatic)) return nullptr;
  return NewString(g->text);
}

int32_t DlgSetColour(HostDialog* d, int32_t gadget, HostVector colour, double brightness,
                     double maxBrightness) {
  GadgetState* g = Find(d, gadget);
  if (!Is(g, GadgetKind::kColour)) return 0;
  g->colour = colour;
  g->brightness = brightness;
  g->maxBrightness = maxBrightness;
  return 1;
}

int32_t DlgGetColour(const HostDialog* d, int32_t gadget, HostVector* colour, double* brightness) {
  const GadgetState* g = Find(d, gadget);
  if (!Is(g, GadgetKind::kColour)) return 0;
  if (colour != nullptr) *colour = g->colour;
  if (brightness != nullptr) *brightness = g->brightness;
  return 1;
}

int32_t DlgEnable(HostDialog* d, int32_t gadget, int32_t enabled) {
  GadgetState* g = Find(d, gadget);
  if (g == nullptr) return 0;
  g->enabled = enabled != 0;
  return 1;
}

int32_t DlgLayoutRequest(HostDialog* d, int32_t gadget, int32_t request) {
  GadgetState* g = Find(d, gadget);
  if (g == nullptr) return 0;
  ++g->layoutRequests[request];
  return 1;
}

int32_t DlgGroupFlush(HostDialog* d, int32_t group) {
  GadgetState* g = Find(d, group);
  if (!Is(g, GadgetKind::kGroup)) return 0;
  g->rowButtons.clear();
  return 1;
}

int32_t DlgAddButtonRow(HostDialog* d, int32_t group, int32_t row) {
  GadgetState* g = Find(d, group);
  if (!Is(g, GadgetKind::kGroup)) return 0;
  if (row == kButtonRowCancel) {
    g->rowButtons = {2};
  } else if (row == kButtonRowExportCancel) {
    g->rowButtons = {1, 2};
  } else {
    return 0;
  }
  // The row's buttons exist in the window even when the layout lacked them.
  for (int32_t id : g->rowButtons) {
    if (d->gadgets.count(id) != 0) continue;
    GadgetState button;
    button.decl = GadgetDecl{GadgetKind::kButton, id, id == 1 ? "Export" : "Cancel", -1, {}};
    d->gadgets[id] = button;
  }
  return 1;
}

int32_t DlgLayoutChanged(HostDialog* d, int32_t group) {
  GadgetState* g = Find(d, group);
  if (g == nullptr) return 0;
  ++g->layoutRequests[-1];
  return 1;
}

int32_t DlgSendMessage(HostDialog* d, int32_t gadget, int32_t messageId) {
  GadgetState* g = Find(d, gadget);
  if (g == nullptr) return 0;
  g->messages.push_back(messageId);
  HostContainer message(messageId);
  message.Set(0, static_cast<int64_t>(gadget));
  if (d->callbacks.message != nullptr) return d->callbacks.message(d->user, messageId, &message);
  return 0;
}

// Enabled when the gadget and every group around it are.
bool EffectivelyEnabled(const HostDialog* d, const GadgetState& g) {
  if (!g.enabled) return false;
  for (int32_t parent = g.decl.parent; parent >= 0;) {
    const GadgetState* group = Find(d, d->layout.gadgets[parent].id);
    if (group == nullptr || !group->enabled) return false;
    parent = group->decl.parent;
  }
  return true;
}

// A gadget the user can edit: present, open window, enabled.
GadgetState* Editable(HostDialog* d, int32_t gadget, GadgetKind kind) {
  if (d == nullptr || !d->open) return nullptr;
  GadgetState* g = Find(d, gadget);
  if (!Is(g, kind) || !EffectivelyEnabled(d, *g)) return nullptr;
  return g;
}

}  // namespace

// ---------------------------------------------------------------- user controls

HostDialog* FindOpenDialog(int32_t id) {
  std::lock_guard<std::mutex> lock(gDialogsMutex);
  for (HostDialog* d : gDialogs)
    if (d->open && d->openId == id) return d;
  return nullptr;
}

bool IsDialogOpen(const HostDialog* d) { return d != nullptr && d->open; }

bool UserSetInt(HostDialog* d, int32_t gadget, int32_t value) {
  GadgetState* g = Editable(d, gadget, GadgetKind::kInt);
  if (g == nullptr) return false;
  g->intValue = value;  // typed text; the dialog enforces its own range
  SendCommand(d, gadget);
  return true;
}

bool UserSetReal(HostDialog* d, int32_t gadget, double shown) {
  GadgetState* g = Editable(d, gadget, GadgetKind::kReal);
  if (g == nullptr || !std::isfinite(shown)) return false;
  g->realValue = g->unit == kUnitDegrees ? shown / kDegreesPerRadian : shown;
  SendCommand(d, gadget);
  return true;
}

bool UserSetCheck(HostDialog* d, int32_t gadget, bool value) {
  GadgetState* g = Editable(d, gadget, GadgetKind::kCheck);
  if (g == nullptr) return false;
  g->check = value;
  SendCommand(d, gadget);
  return true;
}

bool UserSetText(HostDialog* d, int32_t gadget, const std::string& text) {
  GadgetState* g = Editable(d, gadget, GadgetKind::kText);
  if (g == nullptr) return false;
  g->text = text;
  SendCommand(d, gadget);
  return true;
}

bool UserSetColour(HostDialog* d, int32_t gadget, HostVector colour, double brightness) {
  GadgetState* g = Editable(d, gadget, GadgetKind::kColour);
  if (g == nullptr) return false;
  g->colour = colour;
  g->brightness = std::clamp(brightness, 0.0, g->maxBrightness);
  SendCommand(d, gadget);
  return true;
}

bool UserChoose(HostDialog* d, int32_t gadget, int32_t value) {
  GadgetState* g = Editable(d, gadget, GadgetKind::kChoice);
  if (g == nullptr) return false;
  const auto& items = g->decl.items;
  if (std::none_of(items.begin(), items.end(),
                   [value](const ChoiceItem& item) { return item.value == value; }))
    return false;
  g->intValue = value;
  SendCommand(d, gadget);
  return true;
}

bool UserClick(HostDialog* d, int32_t button) {
  GadgetState* g = Editable(d, button, GadgetKind::kButton);
  if (g == nullptr) return false;
  const GadgetState* group = RowGroupOf(d, *g);
  if (group != nullptr) {
    const auto& shown = group->rowButtons;
    if (std::find(shown.begin(), shown.end(), button) == shown.end()) return false;
  }
  SendCommand(d, button);
  // Buttons 1 and 2 end a modal window: confirmed or cancelled.
  if (d->modal && (button == 1 || button == 2)) {
    d->confirmed = button == 1;
    d->open = false;
  }
  return true;
}

bool UserClose(HostDialog* d) {
  if (d == nullptr || !d->open) return false;
  if (d->callbacks.askClose != nullptr && d->callbacks.askClose(d->user)) return false;
  d->open = false;
  return true;
}

std::optional<int32_t> GadgetInt(const HostDialog* d, int32_t gadget) {
  int32_t value = 0;
  if (!DlgGetInt(d, gadget, &value)) return std::nullopt;
  return value;
}

std::optional<double> GadgetReal(const HostDialog* d, int32_t gadget) {
  const GadgetState* g = Find(d, gadget);
  if (!Is(g, GadgetKind::kReal)) return std::nullopt;
  return g->unit == kUnitDegrees ? g->realValue * kDegreesPerRadian : g->realValue;
}

std::optional<bool> GadgetCheck(const HostDialog* d, int32_t gadget) {
  const GadgetState* g = Find(d, gadget);
  if (!Is(g, GadgetKind::kCheck)) return std::nullopt;
  return g->check;
}

std::optional<std::string> GadgetText(const HostDialog* d, int32_t gadget) {
  const GadgetState* g = Find(d, gadget);
  if (!Is(g, GadgetKind::kText) && !Is(g, GadgetKind::kStatic)) return std::nullopt;
  return g->text;
}

std::optional<HostVector> GadgetColour(const HostDialog* d, int32_t gadget, double* brightness) {
  const GadgetState* g = Find(d, gadget);
  if (!Is(g, GadgetKind::kColour)) return std::nullopt;
  if (brightness != nullptr) *brightness = g->brightness;
  return g->colour;
}

bool GadgetEnabled(const HostDialog* d, int32_t gadget) {
  const GadgetState* g = Find(d, gadget);
  return g != nullptr && EffectivelyEnabled(d, *g);
}

std::vector<std::pair<int32_t, std::string>> GadgetChoices(const HostDialog* d, int32_t gadget) {
  std::vector<std::pair<int32_t, std::string>> choices;
  const GadgetState* g = Find(d, gadget);
  if (Is(g, GadgetKind::kChoice))
    for (const ChoiceItem& item : g->decl.items) choices.emplace_back(item.value, item.label);
  return choices;
}

std::vector<int32_t> GroupButtons(const HostDialog* d, int32_t group) {
  const GadgetState* g = Find(d, group);
  return Is(g, GadgetKind::kGroup) ? g->rowButtons : std::vector<int32_t>{};
}

int32_t LayoutRequestCount(const HostDialog* d, int32_t gadget, int32_t request) {
  const GadgetState* g = Find(d, gadget);
  if (g == nullptr) return 0;
  const auto it = g->layoutRequests.find(request);
  return it == g->layoutRequests.end() ? 0 : it->second;
}

std::vector<int32_t> GadgetMessages(const HostDialog* d, int32_t gadget) {
  const GadgetState* g = Find(d, gadget);
  return g == nullptr ? std::vector<int32_t>{} : g->messages;
}

void SetModalDialogDriver(std::function<void(HostDialog*)> driver) {
  gModalDriver = std::move(driver);
}

void ResetDialogs() {
  std::lock_guard<std::mutex> lock(gDialogsMutex);
  gModalDriver = nullptr;
  gEventToken = -1;  // the event service forgets its listeners on reset
}

void FillDialogEntries(HostUiApi& ui) {
  ui.dlgNew = &DlgNew;
  ui.dlgFree = &DlgFree;
  ui.dlgLoadLayout = &DlgLoadLayout;
  ui.dlgOpen = &DlgOpen;
  ui.dlgClose = &DlgClose;
  ui.dlgRestore = &DlgRestore;
  ui.dlgIsOpen = &DlgIsOpen;
  ui.dlgSetInt = &DlgSetInt;
  ui.dlgGetInt = &DlgGetInt;
  ui.dlgSetReal = &DlgSetReal;
  ui.dlgGetReal = &DlgGetReal;
  ui.dlgSetBool = &DlgSetBool;
  ui.dlgGetBool = &DlgGetBool;
  ui.dlgSetString = &DlgSetString;
  ui.dlgGetString = &DlgGetString;
  ui.dlgSetColour = &DlgSetColour;
  ui.dlgGetColour = &DlgGetColour;
  ui.dlgEnable = &DlgEnable;
  ui.dlgLayoutRequest = &DlgLayoutRequest;
  ui.dlgGroupFlush = &DlgGroupFlush;
  ui.dlgAddButtonRow = &DlgAddButtonRow;
  ui.dlgLayoutChanged = &DlgLayoutChanged;
  ui.dlgSendMessage = &DlgSendMessage;
}

}  // namespace host
