// Parallel work on the host's threads.
#pragma once

#include <cstdint>

#include "host/api/host_api.h"

// How many threads ParallelFor uses: the host's count, at least 1; 1 for a
// host before API version 8000, which has no parallel service.
int32_t ParallelThreadCount();

// Calls body(context, index) once for every index in 0..count-1 on the
// host's threads, the calling thread among them, in no fixed order; a host
// without the service, or with one thread, runs them in order on the
// calling thread. A call that returns 0 asks for the end: no index starts
// after it. True when every index ran and none returned 0. The other
// threads have no job bound (core/job.h); the body must be safe to run
// concurrently with itself.
bool ParallelForCalls(int32_t count, HostParallelBody body, void* context);

// The same with a callable: body(index) returns false to ask for the end.
template <class Body>
bool ParallelFor(int32_t count, Body& body) {
  return ParallelForCalls(
      count,
      [](void* context, int32_t index) -> int32_t {
        return (*static_cast<Body*>(context))(index) ? 1 : 0;
      },
      &body);
}
