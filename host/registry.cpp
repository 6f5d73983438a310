// Registration of commands and tags, and running their callbacks for the
// program and the tests.
#include <mutex>
#include <vector>

#include "host/host_string.h"
#include "host/runtime.h"
#include "host/services.h"
#include "host/ui.h"

namespace host {
namespace {

std::mutex gMutex;
std::vector<RegisteredPlugin> gPlugins;

int32_t RegisterPlugin(int32_t moduleVersion, int32_t kind, int32_t id, const HostString* name,
                       const void* record, int32_t recordSize) {
  if (record == nullptr) return 0;
  RegisteredPlugin plugin{kind, id, TextOf(name), moduleVersion, {}, {}};
  if (kind == kRegisterCommand && recordSize == sizeof(HostCommandRecord)) {
    plugin.command = *static_cast<const HostCommandRecord*>(record);
    if (plugin.command.execute == nullptr) return 0;
  } else if (kind == kRegisterTag && recordSize == sizeof(HostTagRecord)) {
    plugin.tag = *static_cast<const HostTagRecord*>(record);
  } else {
    return 0;
  }
  std::lock_guard<std::mutex> lock(gMutex);
  for (const RegisteredPlugin& existing : gPlugins)
    if (existing.id == id) return 0;  // one plug-in per ID
  gPlugins.push_back(plugin);
  return 1;
}

}  // namespace

const RegisteredPlugin* FindPlugin(int32_t id) {
  std::lock_guard<std::mutex> lock(gMutex);
  for (const RegisteredPlugin& plugin : gPlugins)
    if (plugin.id == id) return &plugin;
  return nullptr;
}

std::vector<RegisteredPlugin> RegisteredPlugins() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gPlugins;
}

bool ExecuteCommand(int32_t id) {
  const RegisteredPlugin* plugin = FindPlugin(id);
  if (plugin == nullptr || plugin->kind != kRegisterCommand) return false;
  return plugin->command.execute(ActiveDocument()) != 0;
}

int32_t CommandState(int32_t id) {
  const RegisteredPlugin* plugin = FindPlugin(id);
  if (plugin == nullptr || plugin->kind != kRegisterCommand || !plugin->command.getState) return 0;
  return plugin->command.getState(ActiveDocument());
}

bool RestoreCommandLayout(int32_t id, void* layoutData) {
  const RegisteredPlugin* plugin = FindPlugin(id);
  if (plugin == nullptr || plugin->kind != kRegisterCommand || !plugin->command.restoreLayout)
    return false;
  return plugin->command.restoreLayout(layoutData) != 0;
}

bool InitTagSettings(int32_t id, HostContainer* settings) {
  const RegisteredPlugin* plugin = FindPlugin(id);
  if (plugin == nullptr || plugin->kind != kRegisterTag || plugin->tag.init == nullptr) return false;
  return plugin->tag.init(settings) != 0;
}

bool EditTagSettings(int32_t id, HostContainer* settings) {
  const RegisteredPlugin* plugin = FindPlugin(id);
  if (plugin == nullptr || plugin->kind != kRegisterTag || plugin->tag.edit == nullptr) return false;
  return plugin->tag.edit(settings) != 0;
}

void ClearRegistrations() {
  std::lock_guard<std::mutex> lock(gMutex);
  gPlugins.clear();
}

void FillRegistryEntries(HostUiApi& ui) { ui.registerPlugin = &RegisterPlugin; }

}  // namespace host
