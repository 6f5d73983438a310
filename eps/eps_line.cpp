// The EPS line writer and its 8-bit conversion.
#include "eps/eps_line.h"

namespace {

constexpr char kLineEnd[2] = {'\r', '\n'};
constexpr unsigned char kUnknown = '?';

// The code point of the UTF-8 sequence at `text`, and its byte length in
// `length`; -1 for a malformed sequence (length 1).
int32_t DecodeUtf8(const unsigned char* text, int32_t& length) {
  const unsigned char lead = text[0];
  length = 1;
  if (lead < 0x80) return lead;
  int32_t extra = 0;
  int32_t code = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    code = lead & 0x07;
  } else {
    return -1;
  }
  for (int32_t k = 1; k <= extra; ++k) {
    if ((text[k] & 0xC0) != 0x80) return -1;  // also stops at the terminator
    code = (code << 6) | (text[k] & 0x3F);
  }
  length = extra + 1;
  return code;
}

}  // namespace

int32_t ToEightBit(const char* text, char* out) {
  const auto* in = reinterpret_cast<const unsigned char*>(text);
  int32_t written = 0;
  while (*in != 0 && written < kMaxEpsLine) {
    int32_t length = 1;
    const int32_t code = DecodeUtf8(in, length);
    // A line break or other control character inside a line would end the
    // comment it stands in and let the rest be read as PostScript.
    const bool fits = code <= 0xFF && (code >= 0x20 || code == '\t');
    out[written++] = static_cast<char>(fits ? code : kUnknown);
    in += length;
  }
  out[written] = '\0';
  return written;
}

int32_t WriteLine(HostFileWriter* file, const String& text, bool newline) {
  if (file == nullptr) return 0;
  char buffer[kMaxEpsLine + 1];
  const int32_t length = ToEightBit(text.Text(), buffer);
  bool ok = file->Write(buffer, length);
  if (newline) ok = file->Write(kLineEnd, sizeof kLineEnd) && ok;
  return ok ? 1 : 0;
}
