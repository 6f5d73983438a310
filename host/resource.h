// A module's loaded resources: its folder (dialog layouts and icons are read
// from <folder>/res on demand) and its string table.
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct HostResource {
  std::string folder;
  std::map<int32_t, std::string> strings;
};
