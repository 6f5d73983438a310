#include "sdk/resources.h"

#include "sdk/host_table.h"

namespace {
HostResource* gResources = nullptr;
}  // namespace

bool ResourcesLoad(const String& folder) {
  ResourcesFree();
  gResources = Host().resLoad(folder.Handle());
  return gResources != nullptr;
}

void ResourcesFree() {
  if (gResources != nullptr) Host().resFree(gResources);
  gResources = nullptr;
}

const HostResource* ModuleResources() {
  return gResources;
}

String LoadResourceString(int32_t id) {
  if (gResources == nullptr) return String();
  return String::Adopt(Host().resString(gResources, id));
}
