#include "sdk/registry.h"

#include "sdk/host_table.h"

namespace {

constexpr int32_t kModuleInterfaceVersion = 7300;

bool Register(int32_t kind, int32_t id, const String& name, const void* record, int32_t size) {
  return Host().ui->registerPlugin(kModuleInterfaceVersion, kind, id, name.Handle(), record,
                                   size) != 0;
}

}  // namespace

bool RegisterCommandPlugin(int32_t id, const String& name, const HostCommandRecord& record) {
  return Register(kRegisterCommand, id, name, &record, sizeof record);
}

bool RegisterTagPlugin(int32_t id, const String& name, const HostTagRecord& record) {
  return Register(kRegisterTag, id, name, &record, sizeof record);
}
