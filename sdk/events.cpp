#include "sdk/events.h"

#include "sdk/host_table.h"

void PostSpecialEvent(int32_t id, int32_t a, int32_t b) {
  Host().postSpecialEvent(id, a, b);
}
