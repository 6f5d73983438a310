// Host strings with value semantics.
#pragma once

#include <cstdint>

#include "host/api/host_api.h"

// A host string with value semantics. A string whose host allocation failed
// behaves as empty.
class String {
 public:
  String();
  String(const char* text);  // NOLINT: implicit on purpose, like a literal
  String(const String& other);
  String(String&& other) noexcept;
  String& operator=(const String& other);
  String& operator=(String&& other) noexcept;
  ~String();

  static String FromInt(int64_t value);
  // fracDigits < 0: the host's default form; see HostApi::strFromReal.
  static String FromReal(double value, int32_t intDigits = -1, int32_t fracDigits = -1,
                         bool exponent = false, char fill = '0');
  // Takes ownership of a string the host returned.
  static String Adopt(HostString* handle);

  const char* Text() const;
  int32_t Length() const;
  bool Empty() const { return Length() == 0; }
  int32_t FindChar(char ch, int32_t from = 0) const;  // -1 when absent
  String Sub(int32_t start, int32_t count) const;
  String& operator+=(const String& tail);
  friend String operator+(const String& a, const String& b);
  bool operator==(const char* text) const;
  bool operator==(const String& other) const { return *this == other.Text(); }

  const HostString* Handle() const { return handle_; }

 private:
  HostString* handle_ = nullptr;
};
