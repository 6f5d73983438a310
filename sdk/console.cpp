#include "sdk/console.h"

#include <cstdio>

#include "sdk/host_table.h"

void ConsolePrint(const char* line) {
  Host().consolePrint(line);
}

void ReportNoMemory(const char* source, int32_t line) {
  char text[128];
  std::snprintf(text, sizeof text, "NO MEMORY: %s %d", source, static_cast<int>(line));
  ConsolePrint(text);
}

int32_t MessageDialog(const String& text, int32_t code) {
  return Host().messageBox(text.Text(), code);
}
