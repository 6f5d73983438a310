#include "sdk/selections.h"

#include "sdk/host_table.h"

Selection::Selection(const Selection& other) {
  if (other.Valid() && Create()) CopyFrom(other.handle_);
}
Selection::Selection(Selection&& other) noexcept : handle_(other.handle_) {
  other.handle_ = nullptr;
}
Selection& Selection::operator=(const Selection& other) {
  if (this == &other) return *this;
  if (!other.Valid()) {
    DeselectAll();
  } else if (Valid() || Create()) {
    CopyFrom(other.handle_);
  }
  return *this;
}
Selection& Selection::operator=(Selection&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) Host().scene->selFree(handle_);
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}
Selection::~Selection() {
  if (handle_ != nullptr) Host().scene->selFree(handle_);
}

bool Selection::Create() {
  if (handle_ != nullptr) {
    DeselectAll();
    return true;
  }
  handle_ = Host().scene != nullptr ? Host().scene->selNew() : nullptr;
  return handle_ != nullptr;
}
bool Selection::Select(int32_t index) {
  return handle_ != nullptr && Host().scene->selSelect(handle_, index) != 0;
}
void Selection::DeselectAll() {
  if (handle_ != nullptr) Host().scene->selDeselectAll(handle_);
}
bool Selection::IsSelected(int32_t index) const {
  return handle_ != nullptr && Host().scene->selIsSelected(handle_, index) != 0;
}
int32_t Selection::Count() const {
  return handle_ != nullptr ? Host().scene->selCount(handle_) : 0;
}
bool Selection::CopyFrom(const HostSelection* source) {
  return handle_ != nullptr && source != nullptr && Host().scene->selCopyFrom(handle_, source) != 0;
}
