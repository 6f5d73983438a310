// Exact times as the host stores them: reduced fractions with a positive
// denominator.
#pragma once

#include "host/api/host_api.h"

namespace host {

// num / den reduced, den > 0; a zero denominator gives 0 / 1.
HostTime ReduceTime(HostTime t);

}  // namespace host
