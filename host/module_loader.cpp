#include "host/module_loader.h"

#include <dlfcn.h>

#include "host/api/module_entry.h"
#include "host/runtime.h"
#include "host/ui.h"

namespace host {

std::unique_ptr<LoadedModule> LoadedModule::Load(const std::string& path, std::string& error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    error = "cannot load module " + path + ": " + (why != nullptr ? why : "unknown reason");
    return nullptr;
  }
  void* entry = dlsym(handle, kModuleEntryName);
  if (entry == nullptr) {
    dlclose(handle);
    error = "module " + path + " has no entry point " + kModuleEntryName;
    return nullptr;
  }
  return std::unique_ptr<LoadedModule>(new LoadedModule(handle, entry, path));
}

LoadedModule::LoadedModule(void* handle, void* entry, std::string path)
    : handle_(handle), entry_(entry), path_(std::move(path)) {}

LoadedModule::~LoadedModule() {
  // Registrations point into the module's code, which goes away now.
  ClearRegistrations();
  dlclose(handle_);
}

int32_t LoadedModule::Call(int32_t kind, void* p1, void* p2, void* p3) {
  return reinterpret_cast<ModuleEntry>(entry_)(kind, p1, p2, p3);
}

int32_t LoadedModule::Init() {
  return Call(kModuleInit, const_cast<HostApi*>(Table()), nullptr,
              const_cast<char*>(path_.c_str()));
}

int32_t LoadedModule::Start() { return Call(kModuleStart, nullptr, nullptr, nullptr); }

int32_t LoadedModule::End() { return Call(kModuleEnd, nullptr, nullptr, nullptr); }

}  // namespace host
