#include "sdk/host_table.h"

#include <cstring>

#include "host/api/module_entry.h"

namespace sdk_detail {
HostApi gBoundTable{};
}  // namespace sdk_detail

void HostBind(const HostApi* table) {
  if (table == nullptr) return;
  HostApi& bound = sdk_detail::gBoundTable;
  bound = HostApi{};
  size_t bytes = static_cast<size_t>(table->size);
  if (bytes == 0 || bytes > sizeof(HostApi)) bytes = sizeof(HostApi);
  std::memcpy(&bound, table, bytes);
}

bool AcceptHost(const void* table) {
  const HostApi* host = static_cast<const HostApi*>(table);
  if (host == nullptr || host->version < kMinimumHostVersion) return false;
  HostBind(host);
  return true;
}
