// Loads a module file and talks to it through its one entry point.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace host {

class LoadedModule {
 public:
  // Null with `error` set when the file cannot be loaded or has no entry.
  static std::unique_ptr<LoadedModule> Load(const std::string& path, std::string& error);
  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  // init with the host's table and the module's path; 1 when accepted.
  int32_t Init();
  // start: resources and registrations; 1 on success.
  int32_t Start();
  // end: the module releases what it holds; 1.
  int32_t End();
  int32_t Call(int32_t kind, void* p1, void* p2, void* p3);

  const std::string& Path() const { return path_; }

 private:
  LoadedModule(void* handle, void* entry, std::string path);
  void* handle_;
  void* entry_;
  std::string path_;
};

}  // namespace host
