// The process-wide memory-error flag. Plain and unlocked: only the export
// thread writes it during a run.
#include "core/stack.h"

namespace {
int32_t gMemoryError = 0;
}

void MemoryErrorFlag::Set() { gMemoryError = 1; }
void MemoryErrorFlag::Clear() { gMemoryError = 0; }
int32_t MemoryErrorFlag::Test() { return gMemoryError; }
