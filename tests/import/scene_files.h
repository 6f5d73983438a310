// Small scene files that the import tests write themselves: a fresh folder
// per test, raw file writing, and a builder of glTF 2.0 files (as JSON text
// with an embedded buffer, or as a binary container).
#pragma once

#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "host/document.h"

namespace scene_files {

// A new empty folder for the running test.
std::string TestFolder();
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// Loads through the program's entry (host::LoadScene).
std::unique_ptr<HostDocument> Load(const std::string& path, std::string& error);

class GltfWriter {
 public:
  GltfWriter();
  // An accessor over `values`; `type` is "SCALAR", "VEC3", "VEC4", ...
  int Floats(const std::vector<float>& values, const char* type);
  int Indices(const std::vector<uint16_t>& values);
  // A buffer view over `bytes` (an embedded image, say).
  int View(const std::string& bytes);

  nlohmann::json doc;  // the glTF document; buffers and accessors are added on output
  std::string Gltf() const;
  std::string Glb() const;

 private:
  int Add(const std::string& bytes, int componentType, size_t count, const char* type);
  std::string data_;
  nlohmann::json views_ = nlohmann::json::array();
  nlohmann::json accessors_ = nlohmann::json::array();
};

}  // namespace scene_files
