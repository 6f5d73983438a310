// The text format of a module's string table (res/strings.txt): one entry
// per line as `ID "text"`, where ID is a decimal number and the text may
// hold \" \\ and \n escapes. Blank lines and lines starting with '#' are
// ignored; a '#' comment may also follow an entry.
#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <string>

namespace host {

struct StringTableResult {
  std::map<int32_t, std::string> strings;
  int32_t badLine = 0;  // 1-based line of the first malformed entry; 0 when all parsed
  std::string problem;  // what is wrong with that line
};

StringTableResult ParseStringTable(std::istream& in);

}  // namespace host
