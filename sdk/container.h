// Host containers: typed values under integer keys. Vectors and colours
// cross as the host's HostVector.
#pragma once

#include <cstdint>

#include "host/api/host_api.h"
#include "sdk/exact_time.h"
#include "sdk/strings.h"

// Typed values under integer keys, with value semantics. Getters return the
// preset when the key is missing or holds another type.
class BaseContainer {
 public:
  explicit BaseContainer(int32_t id = 0);
  BaseContainer(const BaseContainer& other);
  BaseContainer(BaseContainer&& other) noexcept;
  BaseContainer& operator=(const BaseContainer& other);
  BaseContainer& operator=(BaseContainer&& other) noexcept;
  ~BaseContainer();
  // Takes ownership of a container the host returned (may be null: invalid).
  static BaseContainer Adopt(HostContainer* handle);
  // A new container with the values of one the host owns (may be null:
  // invalid), such as the settings a tag callback is handed.
  static BaseContainer CopyOf(const HostContainer* handle);
  // Works on a container the host owns and keeps (a tag callback's
  // settings): the setters change the host's container, and it is not freed
  // here. Copies of it are containers of their own, and assigning to it
  // lets go of the host's container.
  static BaseContainer Borrow(HostContainer* handle);

  bool Valid() const { return handle_ != nullptr; }
  int32_t Id() const;
  bool Has(int32_t key) const;

  int32_t GetInt(int32_t key, int32_t preset = 0) const;
  void SetInt(int32_t key, int32_t value);
  bool GetBool(int32_t key, bool preset = false) const;
  void SetBool(int32_t key, bool value);
  double GetReal(int32_t key, double preset = 0.0) const;
  void SetReal(int32_t key, double value);
  HostVector GetVector(int32_t key, HostVector preset = HostVector{0, 0, 0}) const;
  void SetVector(int32_t key, const HostVector& value);
  String GetString(int32_t key, const String& preset = String()) const;
  void SetString(int32_t key, const String& value);
  String GetFilename(int32_t key, const String& preset = String()) const;
  void SetFilename(int32_t key, const String& value);
  Time GetTime(int32_t key, const Time& preset = Time()) const;
  void SetTime(int32_t key, const Time& value);
  // A copy of the sub-container, or an invalid container when there is none.
  BaseContainer GetContainer(int32_t key) const;
  void SetContainer(int32_t key, const BaseContainer& value);

  const HostContainer* Handle() const { return handle_; }

 private:
  void Release();
  HostContainer* handle_ = nullptr;
  bool borrowed_ = false;  // the host owns handle_
};
