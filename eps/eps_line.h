// The line writer through which every line of an EPS file passes: the text
// as 8-bit characters, then CR LF.
#pragma once

#include <cstdint>

#include "sdk/files.h"
#include "sdk/strings.h"

// The longest line the writer puts out, in 8-bit characters.
constexpr int32_t kMaxEpsLine = 489;

// Writes `text` converted to 8-bit characters (Latin-1; characters beyond it
// and control characters other than tab become '?'), cut after kMaxEpsLine
// characters, then CR LF when `newline`
// is set. Returns 1 when the host accepted the bytes; 0 without writing
// when `file` is null.
int32_t WriteLine(HostFileWriter* file, const String& text, bool newline);

// The 8-bit form of UTF-8 text as WriteLine writes it; returns its length.
// `out` holds at least kMaxEpsLine + 1 bytes and is zero-terminated.
int32_t ToEightBit(const char* text, char* out);
