// Registration of the module's command and tag with the host.
#pragma once

#include <cstdint>

#include "host/api/host_ui_api.h"
#include "sdk/strings.h"

// Registers a command (kRegisterCommand) or a tag (kRegisterTag) under `id`.
bool RegisterCommandPlugin(int32_t id, const String& name, const HostCommandRecord& record);
bool RegisterTagPlugin(int32_t id, const String& name, const HostTagRecord& record);
