// The large-heap settings: glibc tunables, then a new start of the program.
#include "app/heap_settings.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace app {

namespace {

constexpr char kTunables[] = "GLIBC_TUNABLES";
// Set for the new start, so that a C library that drops the settings cannot
// make the program start itself over and over.
constexpr char kRestarted[] = "VEXMARK_HEAP_RESTARTED";
// One arena for all threads (the host allocator serialises every allocation
// anyway), huge pages for it, and 64 MiB more each time the heap grows.
constexpr char kHeapSettings[] =
    "glibc.malloc.arena_max=1:glibc.malloc.hugetlb=1:glibc.malloc.top_pad=67108864";

}  // namespace

void UseLargeHeapSettings(char** argv) {
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
  if (std::getenv(kRestarted) != nullptr) {
    unsetenv(kRestarted);
    return;
  }
  // Under a tool that preloads itself (a memory checker or profiler, another
  // allocator) the program keeps the process it was started in.
  const char* preload = std::getenv("LD_PRELOAD");
  if (preload != nullptr && *preload != '\0') return;
  const char* current = std::getenv(kTunables);
  const std::string before = current != nullptr ? current : "";
  // Set by an earlier start, or chosen by the user: left as they are.
  if (before.find("glibc.malloc.") != std::string::npos) return;
  const std::string settings = before.empty() ? kHeapSettings : before + ":" + kHeapSettings;
  if (setenv(kTunables, settings.c_str(), 1) != 0 || setenv(kRestarted, "1", 1) != 0) return;
  execv("/proc/self/exe", argv);
  // Not started again: go on as before.
  unsetenv(kRestarted);
  if (current != nullptr) {
    setenv(kTunables, before.c_str(), 1);
  } else {
    unsetenv(kTunables);
  }
#else
  (void)argv;
#endif
}

}  // namespace app
