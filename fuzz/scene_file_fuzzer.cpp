// Fuzzing the reading of scene files: every input is written to a file with
// the suffix this harness is built for (VEXMARK_FUZZ_SUFFIX) and read
// through the program's own entry, host::LoadScene: the header checks, the
// importer library, our conversion and, for .vxm, our native reader. The
// importer runs in this process (the program runs it in a child process),
// so that a fault in it or in our conversion shows as the crash it is.
// Inputs of an odd size are read with a small triangle limit, so that the
// count of the triangles a scene expands to and its refusal are fuzzed too,
// and not only the reading of scenes under the limit.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "host/document.h"
#include "host/import/load_scene.h"
#include "host/runtime.h"

namespace {

std::string InputPath() {
  return "/tmp/vexmark-fuzz-" + std::to_string(::getpid()) + VEXMARK_FUZZ_SUFFIX;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  host::ResetForTest();
  host::SetConsoleSink([](const std::string&) {});  // warnings of every input
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = InputPath();
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  std::string error;
  host::LoadSettings settings;
  settings.place = host::ImporterPlace::kThisProcess;
  if (size % 2 == 1) settings.maxTriangles = 16;
  delete host::LoadScene(path, error, settings);
  std::remove(path.c_str());
  return 0;
}
