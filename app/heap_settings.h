// The program's heap settings.
//
// An export allocates hundreds of megabytes in small blocks from its
// conversion thread. With glibc's defaults that thread gets an arena of its
// own that grows a few pages at a time, and every fresh 4 KiB page costs a
// page fault: a third of the run on meshes of 100,000 triangles. One arena,
// grown in large steps and backed by transparent huge pages, takes about a
// tenth of the faults. glibc reads these settings only when a process starts,
// so the program starts itself once more with them set.
#pragma once

namespace app {

// Starts the program again with the large-heap settings unless they are in
// force already, the user set malloc settings of their own, or libraries are
// preloaded (a memory checker or profiler runs the program). Returns when
// nothing is to be done or when the new start failed; the program then runs
// with the settings it has.
void UseLargeHeapSettings(char** argv);

}  // namespace app
