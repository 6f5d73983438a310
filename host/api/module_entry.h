// The one function a module exports, and the messages the host sends it.
//   init:    p1 = the host's HostApi table, p3 = the module file's path (UTF-8)
//   start:   load resources, register commands and tags
//   end:     release everything
//   message: p1 = a message ID, p2 = its record (host/api/preview_messages.h);
//            2 for an ID the module does not know
#pragma once

#include <cstdint>

extern "C" {

constexpr int32_t kModuleInit = 1;
constexpr int32_t kModuleStart = 2;
constexpr int32_t kModuleEnd = 3;
constexpr int32_t kModuleMessage = 4;

// Answers of init when the host is too old or gives no path.
constexpr int32_t kModuleRefused = -3;
// The lowest host interface version a module accepts.
constexpr int32_t kMinimumHostVersion = 7300;

using ModuleEntry = int32_t (*)(int32_t kind, void* p1, void* p2, void* p3);
constexpr const char* kModuleEntryName = "c4d_main";

}  // extern "C"
