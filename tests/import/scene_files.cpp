#include "scene_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "host/import/load_scene.h"

namespace scene_files {

namespace fs = std::filesystem;

std::string TestFolder() {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(test->test_suite_name()) + "." + test->name();
  for (char& c : name) {
    if (c == '/' || c == '<' || c == '>' || c == ' ') c = '_';
  }
  const fs::path folder = fs::path(testing::TempDir()) / "vexmark_import" / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder.string();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::unique_ptr<HostDocument> Load(const std::string& path, std::string& error) {
  return std::unique_ptr<HostDocument>(host::LoadScene(path, error));
}

namespace {

std::string Base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t n = static_cast<uint8_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) n |= static_cast<uint8_t>(bytes[i + 2]);
    out += kDigits[(n >> 18) & 63];
    out += kDigits[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
  }
  return out;
}

std::string Uint32(uint32_t v) {
  std::string bytes(4, '\0');
  std::memcpy(bytes.data(), &v, 4);
  return bytes;
}

constexpr int kFloat = 5126;
constexpr int kUnsignedShort = 5123;

size_t Components(const char* type) {
  const std::string t = type;
  if (t == "VEC2") return 2;
  if (t == "VEC3") return 3;
  if (t == "VEC4") return 4;
  return 1;
}

}  // namespace

GltfWriter::GltfWriter() {
  doc = {{"asset", {{"version", "2.0"}}}};
}

int GltfWriter::View(const std::string& bytes) {
  while (data_.size() % 4 != 0) data_ += '\0';
  views_.push_back({{"buffer", 0}, {"byteOffset", data_.size()}, {"byteLength", bytes.size()}});
  data_ += bytes;
  return static_cast<int>(views_.size()) - 1;
}

int GltfWriter::Add(const std::string& bytes, int componentType, size_t count, const char* type) {
  const int view = View(bytes);
  accessors_.push_back(
      {{"bufferView", view}, {"componentType", componentType}, {"count", count}, {"type", type}});
  return static_cast<int>(accessors_.size()) - 1;
}

int GltfWriter::Floats(const std::vector<float>& values, const char* type) {
  std::string bytes(values.size() * 4, '\0');
  std::memcpy(bytes.data(), values.data(), bytes.size());
  const int index = Add(bytes, kFloat, values.size() / Components(type), type);
  if (std::string(type) == "VEC3" || std::string(type) == "SCALAR") {
    // glTF wants bounds on positions and animation inputs.
    const size_t n = Components(type);
    std::vector<float> low(values.begin(), values.begin() + static_cast<long>(n));
    std::vector<float> high = low;
    for (size_t i = 0; i < values.size(); ++i) {
      low[i % n] = std::min(low[i % n], values[i]);
      high[i % n] = std::max(high[i % n], values[i]);
    }
    accessors_[static_cast<size_t>(index)]["min"] = low;
    accessors_[static_cast<size_t>(index)]["max"] = high;
  }
  return index;
}

int GltfWriter::Indices(const std::vector<uint16_t>& values) {
  std::string bytes(values.size() * 2, '\0');
  std::memcpy(bytes.data(), values.data(), bytes.size());
  return Add(bytes, kUnsignedShort, values.size(), "SCALAR");
}

std::string GltfWriter::Gltf() const {
  nlohmann::json out = doc;
  out["bufferViews"] = views_;
  out["accessors"] = accessors_;
  out["buffers"] = {{{"byteLength", data_.size()},
                     {"uri", "data:application/octet-stream;base64," + Base64(data_)}}};
  return out.dump(1);
}

std::string GltfWriter::Glb() const {
  nlohmann::json out = doc;
  out["bufferViews"] = views_;
  out["accessors"] = accessors_;
  std::string bin = data_;
  while (bin.size() % 4 != 0) bin += '\0';
  out["buffers"] = {{{"byteLength", bin.size()}}};
  std::string text = out.dump();
  while (text.size() % 4 != 0) text += ' ';
  const std::string chunks = Uint32(static_cast<uint32_t>(text.size())) + "JSON" + text +
                             Uint32(static_cast<uint32_t>(bin.size())) + std::string("BIN\0", 4) +
                             bin;
  return "glTF" + Uint32(2) + Uint32(static_cast<uint32_t>(12 + chunks.size())) + chunks;
}

}  // namespace scene_files
