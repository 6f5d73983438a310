#include "app/printable.h"

namespace app {
namespace {

// Length of the well-formed UTF-8 sequence at `i`, or 0 when there is none
// (overlong forms, surrogates and code points beyond U+10FFFF included).
size_t SequenceLength(const std::string& text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (size_t k = 2; k < length; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  return length;
}

// "\x1b": the byte escaped in the way C and shells spell it.
std::string Escaped(unsigned char byte) {
  static const char kDigits[] = "0123456789abcdef";
  return std::string("\\x") + kDigits[byte >> 4] + kDigits[byte & 0xF];
}

}  // namespace

std::string Printable(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if ((c < 0x20 && c != '\t') || c == 0x7F)
        out += Escaped(c);
      else
        out += static_cast<char>(c);
      ++i;
      continue;
    }
    const size_t length = SequenceLength(text, i);
    if (length == 0) {
      out += Escaped(c);
      ++i;
    } else {
      out.append(text, i, length);
      i += length;
    }
  }
  return out;
}

}  // namespace app
