// Host strings: UTF-8 text with value semantics. Other host services create
// the strings they return through NewString so that live handles are counted.
#pragma once

#include <string>

#include "host/api/host_api.h"

struct HostString {
  std::string text;
};

namespace host {

// A new string handle owned by the caller (freed with the table's strFree).
HostString* NewString(std::string text);
// The text of a handle; empty for null.
const std::string& TextOf(const HostString* s);

}  // namespace host
