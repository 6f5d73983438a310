#include "sdk/parallel.h"

#include "sdk/host_table.h"

int32_t ParallelThreadCount() {
  if (Host().parallelThreads == nullptr || Host().parallelFor == nullptr) return 1;
  const int32_t threads = Host().parallelThreads();
  return threads > 1 ? threads : 1;
}

bool ParallelForCalls(int32_t count, HostParallelBody body, void* context) {
  if (Host().parallelFor != nullptr) return Host().parallelFor(count, body, context) != 0;
  for (int32_t index = 0; index < count; ++index) {
    if (body(context, index) == 0) return false;
  }
  return true;
}
