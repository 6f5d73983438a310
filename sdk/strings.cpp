#include "sdk/strings.h"

#include <cstring>

#include "sdk/host_table.h"

// An empty string holds no host handle until it is first changed, so that
// empty strings cost nothing and can exist before the host is bound.
String::String() = default;
String::String(const char* text) : handle_(Host().strNew(text == nullptr ? "" : text)) {}
String::String(const String& other)
    : handle_(other.handle_ != nullptr ? Host().strCopy(other.handle_) : nullptr) {}
String::String(String&& other) noexcept : handle_(other.handle_) {
  other.handle_ = nullptr;
}

String& String::operator=(const String& other) {
  if (this != &other) {
    if (handle_ == nullptr) {
      if (other.handle_ != nullptr) handle_ = Host().strCopy(other.handle_);
    } else {
      Host().strSet(handle_, other.Text());
    }
  }
  return *this;
}

String& String::operator=(String&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) Host().strFree(handle_);
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

String::~String() {
  if (handle_ != nullptr) Host().strFree(handle_);
}

String String::Adopt(HostString* handle) {
  String s;
  s.handle_ = handle;
  return s;
}

String String::FromInt(int64_t value) {
  return Adopt(Host().strFromInt(value));
}

String String::FromReal(double value, int32_t intDigits, int32_t fracDigits, bool exponent,
                        char fill) {
  return Adopt(Host().strFromReal(value, intDigits, fracDigits, exponent ? 1 : 0, fill));
}

const char* String::Text() const {
  return handle_ != nullptr ? Host().strText(handle_) : "";
}
int32_t String::Length() const {
  return handle_ != nullptr ? Host().strLength(handle_) : 0;
}

int32_t String::FindChar(char ch, int32_t from) const {
  return handle_ != nullptr ? Host().strFindChar(handle_, static_cast<unsigned char>(ch), from)
                            : -1;
}

String String::Sub(int32_t start, int32_t count) const {
  if (handle_ == nullptr) return String();
  return Adopt(Host().strSub(handle_, start, count));
}

String& String::operator+=(const String& tail) {
  if (handle_ == nullptr) handle_ = Host().strNew("");
  if (handle_ != nullptr && tail.handle_ != nullptr) Host().strAppend(handle_, tail.handle_);
  return *this;
}

String operator+(const String& a, const String& b) {
  String s(a);
  s += b;
  return s;
}

bool String::operator==(const char* text) const {
  return std::strcmp(Text(), text == nullptr ? "" : text) == 0;
}
