// Text from scene files and paths, made safe to print on a terminal: names
// in a scene are bytes the file chose, and may hold control characters or
// sequences that are not UTF-8.
#pragma once

#include <string>

namespace app {

// `text` with every control character (tab excepted) and every byte that is
// not part of a well-formed UTF-8 sequence written as an escape: "\x1b".
std::string Printable(const std::string& text);

}  // namespace app
