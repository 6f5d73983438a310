// The host's status display, mouse pointer and millisecond timer; callable
// from any thread.
#pragma once

#include <cstdint>

#include "sdk/strings.h"

void StatusSetText(const String& text);
void StatusSetBar(int32_t percent);
void StatusSetSpin();
void StatusClear();
// kPointerBusy or kPointerNormal (host/api/host_api.h).
void SetMousePointer(int32_t code);
int32_t TimerMs();
