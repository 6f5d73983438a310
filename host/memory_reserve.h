// Room to fail in: a block of memory held back while the program runs, and
// given up at the first failed `new`, which then throws std::bad_alloc as
// usual.
//
// Without it, the code that handles an allocation failure may need memory
// itself: the destructors of large JSON trees allocate while they take the
// tree apart, and an exception thrown from a destructor during unwinding ends
// the program. With the reserve released, the unwinding and the one error
// line that follows have room.
#pragma once

#include <cstddef>

namespace host {

inline constexpr size_t kMemoryReserveBytes = size_t{32} << 20;

// Takes the reserve (again, after a failure released it) and makes the
// handler of failed `new`s release it. False when the memory is not there;
// then a failure throws at once, as without a reserve.
bool ArmMemoryReserve(size_t bytes = kMemoryReserveBytes);

// True while the reserve is held.
bool MemoryReserveHeld();

// The end of a thread whose work failed for lack of memory with no one to
// hand the failure to (an exception must not leave a thread): removes the
// temporary files still open, writes the program's one line to stderr and
// ends the process with status 1.
[[noreturn]] void ExitForLackOfMemory();

}  // namespace host
