// Host containers: typed values under integer keys, with value semantics
// (copying a container copies its nested containers too).
//
// Getters return the caller's preset when the key is missing or holds a
// different type, with three coercions:
//   - an int read as bool gives value != 0, a bool read as int gives 0 or 1;
//   - an int read as real gives the int as a double.
// Strings and file names are distinct types and do not stand in for each
// other.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <variant>

#include "host/api/host_api.h"

namespace host {

// A file name: text like a string, but a type of its own so that a stored
// path reads back as a path and never as plain text.
struct FileName {
  std::string path;
};

// A container nested inside another, owned and deep-copied. It is never
// empty: moves copy too, which keeps the invariant simple.
class NestedContainer {
 public:
  explicit NestedContainer(const HostContainer& value);
  NestedContainer(const NestedContainer& other);
  NestedContainer& operator=(const NestedContainer& other);
  ~NestedContainer();
  const HostContainer& Get() const { return *value_; }

 private:
  std::unique_ptr<HostContainer> value_;
};

using ContainerValue = std::variant<int64_t, bool, double, HostVector, std::string, FileName,
                                    HostTime, NestedContainer>;

}  // namespace host

struct HostContainer {
  explicit HostContainer(int32_t id = 0) : id(id) {}

  int32_t id;
  std::map<int32_t, host::ContainerValue> values;

  // Keys in ascending order with their values, for code that walks them.
  const std::map<int32_t, host::ContainerValue>& Entries() const { return values; }
  void Set(int32_t key, host::ContainerValue value) {
    values.insert_or_assign(key, std::move(value));
  }
  // The value under `key` when it has type T, else null.
  template <class T>
  const T* Find(int32_t key) const {
    const auto it = values.find(key);
    return it == values.end() ? nullptr : std::get_if<T>(&it->second);
  }
};

namespace host {

// A new container handle owned by the caller (freed with the table's bcFree).
HostContainer* NewContainer(const HostContainer& value);

}  // namespace host
