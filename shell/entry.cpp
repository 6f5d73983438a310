// The module's one exported function: the host's init, start, end and message
// calls. At start the module loads its resources and registers the export
// command (which opens the main dialog) and the export tag; at the end it
// releases them again.
#include <cstring>

#include "host/api/vexmark_ids.h"
#include "sdk/bitmaps.h"
#include "sdk/files.h"
#include "sdk/host_table.h"
#include "sdk/memory.h"
#include "sdk/registry.h"
#include "sdk/resources.h"
#include "sdk/strings.h"
#include "shell/tag_dialog.h"
#include "shell/vexmark_dialog.h"
#include "shell/entry.h"
#include "shell/preview_messages.h"
#include "core/export_settings.h"
#include "host/api/module_entry.h"

namespace {

constexpr int32_t kCommandState = 0x40000000;
constexpr size_t kModulePathSize = 1024;

struct ModuleState {
  int32_t initCount = 0;
  char modulePath[kModulePathSize] = {};
  String* commandHelp = nullptr;
  BaseBitmap* commandIcon = nullptr;
  VexmarkDialog* dialog = nullptr;
  String* tagHelp = nullptr;
  BaseBitmap* tagIcon = nullptr;
};

ModuleState gModule;

String ModuleFolder() { return FilenameFolderPart(String(gModule.modulePath)); }

String IconPath(const char* file) {
  return FilenameCompose(FilenameCompose(ModuleFolder(), "res"), file);
}

// ---------------------------------------------------------------- command callbacks

int32_t ExecuteCommand(HostDocument*) {
  if (gModule.dialog == nullptr) return 0;
  return gModule.dialog->Open(false, kVexmarkCommandId) ? 1 : 0;
}

int32_t CommandState(HostDocument*) { return kCommandState; }

int32_t RestoreCommandLayout(void* layoutData) {
  if (gModule.dialog == nullptr) gModule.dialog = HostNew<VexmarkDialog>();
  if (gModule.dialog == nullptr) return 0;
  return gModule.dialog->RestoreLayout(kVexmarkCommandId, layoutData) ? 1 : 0;
}

// ---------------------------------------------------------------- start and end

bool LoadResources() { return ResourcesLoad(ModuleFolder()); }

bool RegisterCommand() {
  gModule.commandHelp = HostNew<String>(LoadResourceString(kCommandHelpString));
  if (gModule.commandHelp == nullptr) return false;
  gModule.dialog = HostNew<VexmarkDialog>();
  if (gModule.dialog == nullptr) return false;
  gModule.commandIcon = AllocBitmap();
  if (gModule.commandIcon == nullptr) return false;
  // The command works without its icon.
  const bool iconLoaded = LoadBitmap(gModule.commandIcon, IconPath("vexmark.tif"));

  HostCommandRecord record{};
  record.help = const_cast<HostString*>(gModule.commandHelp->Handle());
  record.icon = iconLoaded ? gModule.commandIcon : nullptr;
  record.execute = &ExecuteCommand;
  record.getState = &CommandState;
  record.restoreLayout = &RestoreCommandLayout;
  return RegisterCommandPlugin(kVexmarkCommandId, LoadResourceString(kCommandNameString), record);
}

bool RegisterTag() {
  const String name = LoadResourceString(kTagNameString);
  if (name.Empty()) return true;  // no tag in this build of the resources
  gModule.tagHelp = HostNew<String>(LoadResourceString(kTagHelpString));
  gModule.tagIcon = AllocBitmap();
  if (gModule.tagHelp == nullptr || gModule.tagIcon == nullptr) return false;
  if (!LoadBitmap(gModule.tagIcon, IconPath("vexmark_small.tif"))) return false;

  HostTagRecord record{};
  record.help = const_cast<HostString*>(gModule.tagHelp->Handle());
  record.icon = gModule.tagIcon;
  record.visible = 1;
  record.init = &ExportTagInit;
  record.edit = &ExportTagEdit;
  record.flags = 1;
  return RegisterTagPlugin(kExportTagId, name, record);
}

void EndTag() {
  FreeBitmap(gModule.tagIcon);
  gModule.tagIcon = nullptr;
  HostDelete(gModule.tagHelp);
  gModule.tagHelp = nullptr;
}

void EndCommand() {
  FreeBitmap(gModule.commandIcon);
  gModule.commandIcon = nullptr;
  HostDelete(gModule.commandHelp);
  gModule.commandHelp = nullptr;
  HostDelete(gModule.dialog);
  gModule.dialog = nullptr;
}

int32_t Init(const void* table, const char* path) {
  if (++gModule.initCount != 1) return 1;
  // Refused hosts and paths leave the module uninitialised, so that a later
  // init is checked again.
  if (path == nullptr || std::strlen(path) >= kModulePathSize || !AcceptHost(table)) {
    --gModule.initCount;
    return kModuleRefused;
  }
  std::strcpy(gModule.modulePath, path);
  return 1;
}

int32_t Start() {
  if (gModule.initCount < 1) return 0;
  return LoadResources() && RegisterCommand() && RegisterTag() ? 1 : 0;
}

int32_t End() {
  if (gModule.initCount < 1) return 1;
  if (--gModule.initCount != 0) return 1;
  ReleasePreviews();
  EndTag();
  EndCommand();
  ResourcesFree();
  return 1;
}

}  // namespace

extern "C" VEXMARK_MODULE_EXPORT int32_t c4d_main(int32_t kind, void* p1, void* p2, void* p3) {
  switch (kind) {
    case kModuleInit:
      return Init(p1, static_cast<const char*>(p3));
    case kModuleStart:
      return Start();
    case kModuleEnd:
      return End();
    case kModuleMessage:
      // Before init there is no host to work with: no record is read.
      return HandleModuleMessage(reinterpret_cast<intptr_t>(p1),
                                 gModule.initCount > 0 ? p2 : nullptr, gModule.dialog);
    default:
      return -1;
  }
}
