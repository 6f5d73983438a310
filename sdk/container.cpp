#include "sdk/container.h"

#include "sdk/host_table.h"

BaseContainer::BaseContainer(int32_t id) : handle_(Host().bcNew(id)) {}
BaseContainer::BaseContainer(const BaseContainer& other)
    : handle_(other.handle_ != nullptr ? Host().bcCopy(other.handle_) : nullptr) {}
BaseContainer::BaseContainer(BaseContainer&& other) noexcept
    : handle_(other.handle_), borrowed_(other.borrowed_) {
  other.handle_ = nullptr;
  other.borrowed_ = false;
}

BaseContainer& BaseContainer::operator=(const BaseContainer& other) {
  if (this != &other) {
    HostContainer* copy = other.handle_ != nullptr ? Host().bcCopy(other.handle_) : nullptr;
    Release();
    handle_ = copy;
  }
  return *this;
}

BaseContainer& BaseContainer::operator=(BaseContainer&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = other.handle_;
    borrowed_ = other.borrowed_;
    other.handle_ = nullptr;
    other.borrowed_ = false;
  }
  return *this;
}

BaseContainer::~BaseContainer() {
  Release();
}

void BaseContainer::Release() {
  if (handle_ != nullptr && !borrowed_) Host().bcFree(handle_);
  handle_ = nullptr;
  borrowed_ = false;
}

BaseContainer BaseContainer::Adopt(HostContainer* handle) {
  BaseContainer c(0);
  c.Release();
  c.handle_ = handle;
  return c;
}

BaseContainer BaseContainer::CopyOf(const HostContainer* handle) {
  return Adopt(handle != nullptr ? Host().bcCopy(handle) : nullptr);
}

BaseContainer BaseContainer::Borrow(HostContainer* handle) {
  BaseContainer c = Adopt(handle);
  c.borrowed_ = true;
  return c;
}

int32_t BaseContainer::Id() const {
  return handle_ ? Host().bcId(handle_) : 0;
}
bool BaseContainer::Has(int32_t key) const {
  return handle_ && Host().bcHas(handle_, key);
}

int32_t BaseContainer::GetInt(int32_t key, int32_t preset) const {
  return handle_ ? static_cast<int32_t>(Host().bcGetInt(handle_, key, preset)) : preset;
}
void BaseContainer::SetInt(int32_t key, int32_t value) {
  if (handle_) Host().bcSetInt(handle_, key, value);
}
bool BaseContainer::GetBool(int32_t key, bool preset) const {
  return handle_ ? Host().bcGetBool(handle_, key, preset ? 1 : 0) != 0 : preset;
}
void BaseContainer::SetBool(int32_t key, bool value) {
  if (handle_) Host().bcSetBool(handle_, key, value ? 1 : 0);
}
double BaseContainer::GetReal(int32_t key, double preset) const {
  return handle_ ? Host().bcGetReal(handle_, key, preset) : preset;
}
void BaseContainer::SetReal(int32_t key, double value) {
  if (handle_) Host().bcSetReal(handle_, key, value);
}
HostVector BaseContainer::GetVector(int32_t key, HostVector preset) const {
  return handle_ ? Host().bcGetVector(handle_, key, preset) : preset;
}
void BaseContainer::SetVector(int32_t key, const HostVector& value) {
  if (handle_) Host().bcSetVector(handle_, key, value);
}
String BaseContainer::GetString(int32_t key, const String& preset) const {
  if (!handle_) return preset;
  return String::Adopt(Host().bcGetString(handle_, key, preset.Handle()));
}
void BaseContainer::SetString(int32_t key, const String& value) {
  if (handle_) Host().bcSetString(handle_, key, value.Handle());
}
String BaseContainer::GetFilename(int32_t key, const String& preset) const {
  if (!handle_) return preset;
  return String::Adopt(Host().bcGetFilename(handle_, key, preset.Handle()));
}
void BaseContainer::SetFilename(int32_t key, const String& value) {
  if (handle_) Host().bcSetFilename(handle_, key, value.Handle());
}
Time BaseContainer::GetTime(int32_t key, const Time& preset) const {
  return handle_ ? Time(Host().bcGetTime(handle_, key, preset)) : preset;
}
void BaseContainer::SetTime(int32_t key, const Time& value) {
  if (handle_) Host().bcSetTime(handle_, key, value);
}
BaseContainer BaseContainer::GetContainer(int32_t key) const {
  return Adopt(handle_ ? Host().bcGetContainer(handle_, key) : nullptr);
}
void BaseContainer::SetContainer(int32_t key, const BaseContainer& value) {
  if (handle_ && value.handle_) Host().bcSetContainer(handle_, key, value.handle_);
}
