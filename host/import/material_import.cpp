#include "host/import/material_import.h"

#include <cmath>
#include <optional>
#include <set>
#include <string>

namespace host::import {
namespace {

float Component(float c) {
  return std::isfinite(c) && c > 0 ? c : 0.0f;
}

HostVector Colour(const aiColor4D& c) {
  return {Component(c.r), Component(c.g), Component(c.b)};
}

// A name for a selection that no other selection of the object has.
std::string UniqueName(const std::string& wanted, std::set<std::string>& taken) {
  const std::string base = wanted.empty() ? "Material" : wanted;
  std::string name = base;
  for (int n = 1; taken.count(name) != 0; ++n) name = base + "." + std::to_string(n);
  taken.insert(name);
  return name;
}

}  // namespace

HostMaterial ConvertMaterial(const aiMaterial& source, TextureColours& textures) {
  HostMaterial material;
  aiString name;
  if (source.Get(AI_MATKEY_NAME, name) == AI_SUCCESS) material.name = name.C_Str();
  if (material.name == AI_DEFAULT_MATERIAL_NAME) return material;

  aiColor4D colour;
  const bool hasFactor = source.Get(AI_MATKEY_BASE_COLOR, colour) == AI_SUCCESS ||
                         source.Get(AI_MATKEY_COLOR_DIFFUSE, colour) == AI_SUCCESS;
  const HostVector factor = hasFactor ? Colour(colour) : HostVector{1, 1, 1};
  const std::optional<std::string> image = BaseColourImage(source);
  const std::optional<MeanColour> mean =
      image ? textures.MeanOf(*image, material.name) : std::nullopt;
  if (mean) {
    const HostVector textured{factor.x * static_cast<float>(mean->red),
                              factor.y * static_cast<float>(mean->green),
                              factor.z * static_cast<float>(mean->blue)};
    SetChannel(material, kChannelColour, textured, 1.0);
  } else if (hasFactor) {
    SetChannel(material, kChannelColour, factor, 1.0);
  }
  aiColor4D emission;
  if (source.Get(AI_MATKEY_COLOR_EMISSIVE, emission) == AI_SUCCESS) {
    const HostVector glow = Colour(emission);
    float strength = 1.0f;
    if (source.Get(AI_MATKEY_EMISSIVE_INTENSITY, strength) != AI_SUCCESS ||
        !std::isfinite(strength) || strength < 0) {
      strength = 1.0f;
    }
    if ((glow.x > 0 || glow.y > 0 || glow.z > 0) && strength > 0) {
      SetChannel(material, kChannelLuminance, glow, strength);
    }
  }
  return material;
}

int32_t MaterialImporter::HostMaterialFor(uint32_t assimpIndex) {
  const auto found = converted_.find(assimpIndex);
  if (found != converted_.end()) return found->second;
  int32_t index = kNoIndex;
  if (source_.mMaterials != nullptr && assimpIndex < source_.mNumMaterials &&
      source_.mMaterials[assimpIndex] != nullptr) {
    index = AddMaterial(target_, ConvertMaterial(*source_.mMaterials[assimpIndex], textures_));
  }
  converted_[assimpIndex] = index;
  return index;
}

void MaterialImporter::AddTags(HostObject& object, const std::vector<uint32_t>& polygonMaterials) {
  // Polygon counts per material, in the order the materials first appear.
  std::vector<uint32_t> order;
  std::map<uint32_t, size_t> countOf;
  for (const uint32_t m : polygonMaterials) {
    if (countOf[m]++ == 0) order.push_back(m);
  }
  if (order.empty()) return;

  uint32_t mostUsed = order.front();
  for (const uint32_t m : order) {
    if (countOf[m] > countOf[mostUsed]) mostUsed = m;
  }
  const int32_t base = HostMaterialFor(mostUsed);
  if (base != kNoIndex) AddTag(object, TextureTag(base, ""));

  // Only the other materials get a selection of their polygons; on a mesh
  // of one material (most scans) no polygon list is built at all.
  std::map<uint32_t, std::set<int32_t>> polygonsOf;
  for (size_t i = 0; i < polygonMaterials.size(); ++i) {
    if (polygonMaterials[i] != mostUsed)
      polygonsOf[polygonMaterials[i]].insert(static_cast<int32_t>(i));
  }

  std::set<std::string> taken;
  for (const uint32_t m : order) {
    const int32_t material = HostMaterialFor(m);
    if (m == mostUsed || material == kNoIndex) continue;
    const std::string name =
        UniqueName(target_.materials[static_cast<size_t>(material)]->name, taken);
    AddTag(object, SelectionTag(name, std::move(polygonsOf[m])));
    AddTag(object, TextureTag(material, name));
  }
}

}  // namespace host::import
