// Special events: posted from any thread, delivered later by the host to the
// open dialogs on the user-interface thread.
#pragma once

#include <cstdint>

void PostSpecialEvent(int32_t id, int32_t a, int32_t b);
