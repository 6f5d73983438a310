#include "host/import/gltf_details.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "host/file_names.h"

namespace host::import {
namespace {

using nlohmann::json;

constexpr uint32_t kGlbMagic = 0x46546C67;      // "glTF"
constexpr uint32_t kGlbJsonChunk = 0x4E4F534A;  // "JSON"
constexpr size_t kGlbHeaderBytes = 12;
constexpr size_t kChunkHeaderBytes = 8;

std::string Lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

uint32_t ReadUint32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, sizeof value);  // glTF is little-endian, like us
  return value;
}

// The JSON text of a .gltf file, or of the first chunk of a .glb container.
std::optional<std::string> JsonText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < kGlbHeaderBytes + kChunkHeaderBytes || ReadUint32(bytes, 0) != kGlbMagic) {
    return bytes;
  }
  const uint32_t length = ReadUint32(bytes, kGlbHeaderBytes);
  if (ReadUint32(bytes, kGlbHeaderBytes + 4) != kGlbJsonChunk ||
      length > bytes.size() - kGlbHeaderBytes - kChunkHeaderBytes) {
    return std::nullopt;
  }
  return bytes.substr(kGlbHeaderBytes + kChunkHeaderBytes, length);
}

double Number(const json& object, const char* key, double preset) {
  const auto it = object.find(key);
  return it != object.end() && it->is_number() ? it->get<double>() : preset;
}

GltfCamera ReadCamera(const json& camera) {
  GltfCamera out;
  if (camera.value("type", std::string()) == "orthographic") {
    out.parallel = true;
    out.xmag = Number(camera.value("orthographic", json::object()), "xmag", 0);
    return out;
  }
  const json perspective = camera.value("perspective", json::object());
  out.yfov = Number(perspective, "yfov", 0);
  if (perspective.contains("aspectRatio")) out.aspectRatio = Number(perspective, "aspectRatio", 0);
  return out;
}

// Assimp names a node after its "name", or "nodes[i]" when it has none.
std::string NodeName(const json& nodes, size_t index) {
  if (index < nodes.size() && nodes[index].is_object()) {
    const std::string name = nodes[index].value("name", std::string());
    if (!name.empty()) return name;
  }
  return "nodes[" + std::to_string(index) + "]";
}

void ReadInterpolations(const json& root, GltfDetails& details) {
  const json nodes = root.value("nodes", json::array());
  for (const json& animation : root.value("animations", json::array())) {
    if (!animation.is_object()) continue;
    const json samplers = animation.value("samplers", json::array());
    for (const json& channel : animation.value("channels", json::array())) {
      if (!channel.is_object()) continue;
      const json target = channel.value("target", json::object());
      const double sampler = Number(channel, "sampler", -1);
      const double node = Number(target, "node", -1);
      if (!(sampler >= 0 && sampler < static_cast<double>(samplers.size()))) continue;
      if (!(node >= 0 && node < static_cast<double>(nodes.size()))) continue;
      const json& used = samplers[static_cast<size_t>(sampler)];
      if (!used.is_object()) continue;
      details.interpolation[{NodeName(nodes, static_cast<size_t>(node)),
                             target.value("path", std::string())}] =
          used.value("interpolation", std::string("LINEAR"));
    }
  }
}

// The depth of the node tree, walked with a list of its own (a chain of
// nodes may be deeper than any call stack). A node reached twice, as in a
// damaged file whose children form a cycle, is not walked again.
size_t NodeDepth(const json& root) {
  const json nodes = root.value("nodes", json::array());
  if (!nodes.is_array() || nodes.empty()) return 0;
  std::vector<bool> seen(nodes.size(), false);
  std::vector<bool> isChild(nodes.size(), false);
  for (const json& node : nodes) {
    if (!node.is_object()) continue;
    for (const json& child : node.value("children", json::array())) {
      if (child.is_number_unsigned() && child.get<size_t>() < nodes.size())
        isChild[child.get<size_t>()] = true;
    }
  }
  size_t deepest = 0;
  std::vector<std::pair<size_t, size_t>> pending;  // node, its depth
  for (size_t i = 0; i < nodes.size(); ++i) {
    if (!isChild[i]) pending.emplace_back(i, 1);
  }
  while (!pending.empty()) {
    const auto [index, depth] = pending.back();
    pending.pop_back();
    if (seen[index]) continue;
    seen[index] = true;
    deepest = std::max(deepest, depth);
    const json& node = nodes[index];
    if (!node.is_object()) continue;
    for (const json& child : node.value("children", json::array())) {
      if (child.is_number_unsigned() && child.get<size_t>() < nodes.size())
        pending.emplace_back(child.get<size_t>(), depth + 1);
    }
  }
  return deepest;
}

}  // namespace

bool IsGltfFile(const std::string& path) {
  const std::string suffix = Lowercase(Suffix(path));
  return suffix == "gltf" || suffix == "glb";
}

std::string UnsupportedRequiredExtension(const GltfDetails& details) {
  for (const std::string& name : details.extensionsRequired) {
    const bool harmless = name.rfind("KHR_materials_", 0) == 0 || name == "KHR_texture_transform" ||
                          name == "KHR_lights_punctual";
    if (!harmless) return name;
  }
  return "";
}

std::optional<GltfDetails> ReadGltfDetails(const std::string& path) {
  const std::optional<std::string> text = JsonText(path);
  if (!text) return std::nullopt;
  const json root = json::parse(*text, nullptr, /*allow_exceptions=*/false);
  if (!root.is_object()) return std::nullopt;
  GltfDetails details;
  try {
    for (const json& camera : root.value("cameras", json::array())) {
      details.cameras.push_back(camera.is_object() ? ReadCamera(camera) : GltfCamera{});
    }
    ReadInterpolations(root, details);
    for (const json& name : root.value("extensionsRequired", json::array())) {
      if (name.is_string()) details.extensionsRequired.push_back(name.get<std::string>());
    }
    details.nodeDepth = NodeDepth(root);
  } catch (const json::exception&) {
    return std::nullopt;  // a member of an unexpected type
  }
  return details;
}

}  // namespace host::import
