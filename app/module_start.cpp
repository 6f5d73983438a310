#include "app/module_start.h"

#include "app/install_layout.h"

namespace app {

std::unique_ptr<host::LoadedModule> StartModule(const std::filesystem::path& programFolder,
                                                std::string& error) {
  const std::string modulePath = FindModule(programFolder.string(), error);
  if (modulePath.empty()) return nullptr;
  std::unique_ptr<host::LoadedModule> module = host::LoadedModule::Load(modulePath, error);
  if (module == nullptr) return nullptr;
  if (module->Init() != 1) {
    error = "the module refused this host";
    return nullptr;
  }
  if (module->Start() != 1) {
    module->End();
    error = "the module could not start (are its resources beside it?)";
    return nullptr;
  }
  return module;
}

}  // namespace app
