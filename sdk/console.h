// The host console and its modal message box.
#pragma once

#include <cstdint>

#include "sdk/strings.h"

void ConsolePrint(const char* line);
// Prints "NO MEMORY: <source> <line>", the module's report of a failed allocation.
void ReportNoMemory(const char* source, int32_t line);

// A modal message box of kind `code` (kMessageBox* in host/api/host_api.h);
// returns the answer (kMessageAnswer*).
int32_t MessageDialog(const String& text, int32_t code);
