// The bc* entries of the table over HostContainer.
#include "host/container.h"

#include "host/exact_time.h"
#include "host/handles.h"
#include "host/host_string.h"
#include "host/services.h"

namespace host {

NestedContainer::NestedContainer(const HostContainer& value)
    : value_(std::make_unique<HostContainer>(value)) {}
NestedContainer::NestedContainer(const NestedContainer& other)
    : value_(std::make_unique<HostContainer>(*other.value_)) {}
NestedContainer& NestedContainer::operator=(const NestedContainer& other) {
  if (this != &other) value_ = std::make_unique<HostContainer>(*other.value_);
  return *this;
}
NestedContainer::~NestedContainer() = default;

HostContainer* NewContainer(const HostContainer& value) {
  CountHandle(HandleKind::kContainer, 1);
  return new HostContainer(value);
}

namespace {

HostContainer* BcNew(int32_t id) {
  return NewContainer(HostContainer(id));
}
HostContainer* BcCopy(const HostContainer* c) {
  return c != nullptr ? NewContainer(*c) : nullptr;
}

void BcFree(HostContainer* c) {
  if (c == nullptr) return;
  CountHandle(HandleKind::kContainer, -1);
  delete c;
}

int32_t BcId(const HostContainer* c) {
  return c != nullptr ? c->id : 0;
}
int32_t BcHas(const HostContainer* c, int32_t key) {
  return c != nullptr && c->values.count(key) != 0 ? 1 : 0;
}
void BcRemove(HostContainer* c, int32_t key) {
  if (c != nullptr) c->values.erase(key);
}

template <class T>
void Store(HostContainer* c, int32_t key, T value) {
  if (c != nullptr) c->Set(key, ContainerValue(std::move(value)));
}

template <class T>
const T* Lookup(const HostContainer* c, int32_t key) {
  return c != nullptr ? c->Find<T>(key) : nullptr;
}

int64_t BcGetInt(const HostContainer* c, int32_t key, int64_t preset) {
  if (const auto* v = Lookup<int64_t>(c, key)) return *v;
  if (const auto* v = Lookup<bool>(c, key)) return *v ? 1 : 0;
  return preset;
}

int32_t BcGetBool(const HostContainer* c, int32_t key, int32_t preset) {
  if (const auto* v = Lookup<bool>(c, key)) return *v ? 1 : 0;
  if (const auto* v = Lookup<int64_t>(c, key)) return *v != 0 ? 1 : 0;
  return preset;
}

double BcGetReal(const HostContainer* c, int32_t key, double preset) {
  if (const auto* v = Lookup<double>(c, key)) return *v;
  if (const auto* v = Lookup<int64_t>(c, key)) return static_cast<double>(*v);
  return preset;
}

HostVector BcGetVector(const HostContainer* c, int32_t key, HostVector preset) {
  const auto* v = Lookup<HostVector>(c, key);
  return v != nullptr ? *v : preset;
}

HostString* BcGetString(const HostContainer* c, int32_t key, const HostString* preset) {
  const auto* v = Lookup<std::string>(c, key);
  return NewString(v != nullptr ? *v : TextOf(preset));
}

HostString* BcGetFilename(const HostContainer* c, int32_t key, const HostString* preset) {
  const auto* v = Lookup<FileName>(c, key);
  return NewString(v != nullptr ? v->path : TextOf(preset));
}

HostTime BcGetTime(const HostContainer* c, int32_t key, HostTime preset) {
  const auto* v = Lookup<HostTime>(c, key);
  return v != nullptr ? *v : preset;
}

HostContainer* BcGetContainer(const HostContainer* c, int32_t key) {
  const auto* v = Lookup<NestedContainer>(c, key);
  return v != nullptr ? NewContainer(v->Get()) : nullptr;
}

void BcSetInt(HostContainer* c, int32_t key, int64_t value) {
  Store(c, key, value);
}
void BcSetBool(HostContainer* c, int32_t key, int32_t value) {
  Store(c, key, value != 0);
}
void BcSetReal(HostContainer* c, int32_t key, double value) {
  Store(c, key, value);
}
void BcSetVector(HostContainer* c, int32_t key, HostVector value) {
  Store(c, key, value);
}
void BcSetString(HostContainer* c, int32_t key, const HostString* value) {
  Store(c, key, TextOf(value));
}
void BcSetFilename(HostContainer* c, int32_t key, const HostString* value) {
  Store(c, key, FileName{TextOf(value)});
}
void BcSetTime(HostContainer* c, int32_t key, HostTime value) {
  Store(c, key, ReduceTime(value));
}
// Copies `value` first, so a container may be stored inside itself.
void BcSetContainer(HostContainer* c, int32_t key, const HostContainer* value) {
  if (value != nullptr) Store(c, key, NestedContainer(*value));
}

}  // namespace

void FillContainerEntries(HostApi& table) {
  table.bcNew = &BcNew;
  table.bcCopy = &BcCopy;
  table.bcFree = &BcFree;
  table.bcId = &BcId;
  table.bcHas = &BcHas;
  table.bcRemove = &BcRemove;
  table.bcGetInt = &BcGetInt;
  table.bcSetInt = &BcSetInt;
  table.bcGetBool = &BcGetBool;
  table.bcSetBool = &BcSetBool;
  table.bcGetReal = &BcGetReal;
  table.bcSetReal = &BcSetReal;
  table.bcGetVector = &BcGetVector;
  table.bcSetVector = &BcSetVector;
  table.bcGetString = &BcGetString;
  table.bcSetString = &BcSetString;
  table.bcGetFilename = &BcGetFilename;
  table.bcSetFilename = &BcSetFilename;
  table.bcGetTime = &BcGetTime;
  table.bcSetTime = &BcSetTime;
  table.bcGetContainer = &BcGetContainer;
  table.bcSetContainer = &BcSetContainer;
}

}  // namespace host
