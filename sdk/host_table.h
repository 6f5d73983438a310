// The bound host table: the module's copy of the function table that the
// host hands it at init. Only sdk/ reads the table; module code calls the
// host through the wrappers of the other sdk/ headers, and the layout check
// (tools/check_layout.sh) rejects Host() and the table types anywhere else
// in the module.
#pragma once

#include <cstdint>

#include "host/api/host_api.h"

// Binds the module to the host's table. The table is copied, no more of it
// than both sides know, so an older host's shorter table leaves the newer
// entries null and the host's storage may go away afterwards.
void HostBind(const HostApi* table);

// The table of the init message (the entry point's first parameter): bound,
// and true, when it is a host of version kMinimumHostVersion or later; false,
// with nothing bound, for none or an older host.
bool AcceptHost(const void* table);

namespace sdk_detail {
extern HostApi gBoundTable;
}  // namespace sdk_detail

// The bound table. Calling a service before HostBind is a programming error.
inline const HostApi& Host() {
  return sdk_detail::gBoundTable;
}

// The interface version of the bound host (some answers depend on it).
inline int32_t HostVersion() {
  return sdk_detail::gBoundTable.version;
}
