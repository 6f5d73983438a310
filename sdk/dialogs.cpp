// Module-side dialogs over the host's user-interface table.
#include "sdk/dialogs.h"

#include <cmath>

#include "sdk/host_table.h"
#include "sdk/resources.h"

namespace {

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

const HostUiApi& Ui() {
  return *Host().ui;
}

GeDialog* Self(void* user) {
  return static_cast<GeDialog*>(user);
}

BaseContainer MessageOf(const HostContainer* message, int32_t id) {
  if (message == nullptr) return BaseContainer(id);
  return BaseContainer::CopyOf(message);
}

int32_t OnCreateLayout(void* user) {
  return Self(user)->CreateLayout() ? 1 : 0;
}
int32_t OnInitValues(void* user) {
  return Self(user)->InitValues() ? 1 : 0;
}
int32_t OnCoreMessage(void* user, int32_t id, const HostContainer* message) {
  return Self(user)->CoreMessage(id, MessageOf(message, id)) ? 1 : 0;
}
int32_t OnCommand(void* user, int32_t id, const HostContainer* message) {
  return Self(user)->Command(id, MessageOf(message, id)) ? 1 : 0;
}
int32_t OnAskClose(void* user) {
  return Self(user)->AskClose() ? 1 : 0;
}
void OnTimer(void* user, const HostContainer* message) {
  Self(user)->Timer(MessageOf(message, 0));
}
int32_t OnMessage(void* user, int32_t id, const HostContainer* message) {
  return Self(user)->Message(MessageOf(message, id)) ? 1 : 0;
}

}  // namespace

const HostDialogCallbacks GeDialog::kCallbacks = {
    &OnCreateLayout, &OnInitValues, &OnCoreMessage, &OnCommand, &OnAskClose, &OnTimer, &OnMessage,
};

GeDialog::GeDialog() : handle_(Ui().dlgNew(&kCallbacks, this)) {}

GeDialog::~GeDialog() {
  if (handle_ != nullptr) Ui().dlgFree(handle_);
}

bool GeDialog::CoreMessage(int32_t, const BaseContainer&) {
  return true;
}
bool GeDialog::Command(int32_t, const BaseContainer&) {
  return true;
}
void GeDialog::Timer(const BaseContainer&) {}
bool GeDialog::Message(const BaseContainer&) {
  return false;
}

bool GeDialog::LoadDialogResource(int32_t layoutId) {
  return handle_ != nullptr && Ui().dlgLoadLayout(handle_, ModuleResources(), layoutId) != 0;
}

bool GeDialog::Open(bool modal, int32_t id, int32_t x, int32_t y) {
  return handle_ != nullptr && Ui().dlgOpen(handle_, modal ? 1 : 0, id, x, y) != 0;
}

bool GeDialog::Close() {
  return handle_ != nullptr && Ui().dlgClose(handle_) != 0;
}

bool GeDialog::RestoreLayout(int32_t id, void* layoutData) {
  return handle_ != nullptr && Ui().dlgRestore(handle_, id, layoutData) != 0;
}

bool GeDialog::IsOpen() const {
  return handle_ != nullptr && Ui().dlgIsOpen(handle_) != 0;
}

bool GeDialog::SetInt(int32_t gadget, int32_t value, int32_t min, int32_t max, int32_t step) {
  return handle_ != nullptr && Ui().dlgSetInt(handle_, gadget, value, min, max, step) != 0;
}

bool GeDialog::GetInt(int32_t gadget, int32_t& value) const {
  return handle_ != nullptr && Ui().dlgGetInt(handle_, gadget, &value) != 0;
}

bool GeDialog::SetReal(int32_t gadget, double value, double min, double max, double step) {
  return handle_ != nullptr &&
         Ui().dlgSetReal(handle_, gadget, value, min, max, step, kUnitPlain) != 0;
}

bool GeDialog::GetReal(int32_t gadget, double& value) const {
  return handle_ != nullptr && Ui().dlgGetReal(handle_, gadget, &value) != 0;
}

bool GeDialog::SetDegree(int32_t gadget, double radians, double minDegrees, double maxDegrees,
                         double stepDegrees) {
  return handle_ != nullptr &&
         Ui().dlgSetReal(handle_, gadget, radians, minDegrees * kRadiansPerDegree,
                         maxDegrees * kRadiansPerDegree, stepDegrees * kRadiansPerDegree,
                         kUnitDegrees) != 0;
}

bool GeDialog::SetBool(int32_t gadget, bool value) {
  return handle_ != nullptr && Ui().dlgSetBool(handle_, gadget, value ? 1 : 0) != 0;
}

bool GeDialog::GetBool(int32_t gadget, bool& value) const {
  int32_t raw = 0;
  if (handle_ == nullptr || !Ui().dlgGetBool(handle_, gadget, &raw)) return false;
  value = raw != 0;
  return true;
}

bool GeDialog::SetString(int32_t gadget, const String& value) {
  return handle_ != nullptr && Ui().dlgSetString(handle_, gadget, value.Handle()) != 0;
}

bool GeDialog::GetString(int32_t gadget, String& value) const {
  if (handle_ == nullptr) return false;
  HostString* text = Ui().dlgGetString(handle_, gadget);
  if (text == nullptr) return false;
  value = String::Adopt(text);
  return true;
}

bool GeDialog::SetColourField(int32_t gadget, const HostVector& colour, double brightness,
                              double maxBrightness) {
  return handle_ != nullptr &&
         Ui().dlgSetColour(handle_, gadget, colour, brightness, maxBrightness) != 0;
}

bool GeDialog::GetColourField(int32_t gadget, HostVector& colour, double& brightness) const {
  HostVector raw{};
  if (handle_ == nullptr || !Ui().dlgGetColour(handle_, gadget, &raw, &brightness)) return false;
  colour = raw;
  return true;
}

bool GeDialog::Enable(int32_t gadget, bool enabled) {
  return handle_ != nullptr && Ui().dlgEnable(handle_, gadget, enabled ? 1 : 0) != 0;
}

bool GeDialog::LayoutRequest(int32_t gadget, int32_t request) {
  return handle_ != nullptr && Ui().dlgLayoutRequest(handle_, gadget, request) != 0;
}

bool GeDialog::LayoutFlushGroup(int32_t group) {
  return handle_ != nullptr && Ui().dlgGroupFlush(handle_, group) != 0;
}

bool GeDialog::AddDlgGroup(int32_t group, int32_t buttonRow) {
  return handle_ != nullptr && Ui().dlgAddButtonRow(handle_, group, buttonRow) != 0;
}

bool GeDialog::LayoutChanged(int32_t group) {
  return handle_ != nullptr && Ui().dlgLayoutChanged(handle_, group) != 0;
}

bool GeDialog::SendMessage(int32_t gadget, int32_t messageId) {
  return handle_ != nullptr && Ui().dlgSendMessage(handle_, gadget, messageId) != 0;
}
