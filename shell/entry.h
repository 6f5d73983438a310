// The module's entry point, as the host calls it.
#pragma once

#include <cstdint>

#define VEXMARK_MODULE_EXPORT __attribute__((visibility("default")))

extern "C" VEXMARK_MODULE_EXPORT int32_t c4d_main(int32_t kind, void* p1, void* p2, void* p3);
