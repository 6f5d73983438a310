// The str* entries of the table. Positions and lengths are in bytes.
#include <algorithm>
#include <limits>

#include "host/handles.h"
#include "host/host_string.h"
#include "host/real_format.h"
#include "host/services.h"

namespace host {

HostString* NewString(std::string text) {
  CountHandle(HandleKind::kString, 1);
  return new HostString{std::move(text)};
}

const std::string& TextOf(const HostString* s) {
  static const std::string kEmpty;
  return s != nullptr ? s->text : kEmpty;
}

namespace {

int32_t ClampedLength(size_t length) {
  return static_cast<int32_t>(std::min<size_t>(length, std::numeric_limits<int32_t>::max()));
}

HostString* StrNew(const char* text) {
  return NewString(text != nullptr ? text : "");
}
HostString* StrCopy(const HostString* s) {
  return NewString(TextOf(s));
}

void StrFree(HostString* s) {
  if (s == nullptr) return;
  CountHandle(HandleKind::kString, -1);
  delete s;
}

const char* StrText(const HostString* s) {
  return TextOf(s).c_str();
}
int32_t StrLength(const HostString* s) {
  return ClampedLength(TextOf(s).size());
}

void StrSet(HostString* s, const char* text) {
  if (s != nullptr) s->text = text != nullptr ? text : "";
}

void StrAppend(HostString* s, const HostString* tail) {
  if (s != nullptr && tail != nullptr) s->text.append(tail->text);
}

// `ch` is a byte, given as 0..255 or as a (signed) char value.
int32_t StrFindChar(const HostString* s, int32_t ch, int32_t from) {
  if (s == nullptr || ch < -128 || ch > 255) return -1;
  const size_t at = s->text.find(static_cast<char>(ch), static_cast<size_t>(std::max(from, 0)));
  return at == std::string::npos ? -1 : ClampedLength(at);
}

// Out-of-range requests are clamped to the text: start to 0..length, count
// to what remains after start.
HostString* StrSub(const HostString* s, int32_t start, int32_t count) {
  const std::string& text = TextOf(s);
  const size_t first = std::min(static_cast<size_t>(std::max(start, 0)), text.size());
  const size_t length = std::min(static_cast<size_t>(std::max(count, 0)), text.size() - first);
  return NewString(text.substr(first, length));
}

HostString* StrFromInt(int64_t value) {
  return NewString(std::to_string(value));
}

HostString* StrFromReal(double value, int32_t intDigits, int32_t fracDigits, int32_t exponent,
                        int32_t fill) {
  const char fillChar = (fill >= ' ' && fill <= '~') ? static_cast<char>(fill) : '0';
  return NewString(FormatReal(value, intDigits, fracDigits, exponent != 0, fillChar));
}

}  // namespace

void FillStringEntries(HostApi& table) {
  table.strNew = &StrNew;
  table.strCopy = &StrCopy;
  table.strFree = &StrFree;
  table.strText = &StrText;
  table.strLength = &StrLength;
  table.strSet = &StrSet;
  table.strAppend = &StrAppend;
  table.strFindChar = &StrFindChar;
  table.strSub = &StrSub;
  table.strFromInt = &StrFromInt;
  table.strFromReal = &StrFromReal;
}

}  // namespace host
