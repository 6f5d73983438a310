// The module's resources: the string table of its resource folder.
#pragma once

#include <cstdint>

#include "host/api/host_api.h"
#include "sdk/strings.h"

// Loads the module's resources (string table) from its resource folder.
bool ResourcesLoad(const String& folder);
void ResourcesFree();
// A string of the module's string table; empty when missing or not loaded.
String LoadResourceString(int32_t id);
// The resources that ResourcesLoad loaded (null before and after).
const HostResource* ModuleResources();
