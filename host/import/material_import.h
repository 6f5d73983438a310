// Assimp materials as standard materials of the document, and the tags that
// give a polygon object's polygons their materials: the most used material
// as the unrestricted texture tag, every other one as a polygon-selection
// tag with a texture tag restricted to it.
#pragma once

#include <assimp/scene.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/import/import_report.h"
#include "host/import/texture_colour.h"
#include "host/scene.h"

namespace host::import {

// Base or diffuse colour in channel 0, a non-black emission in channel 1.
// A material with a base-colour image gets the image's mean colour times
// its colour factor (white when it has none); an image that cannot be read
// leaves the factor alone. Assimp's stand-in for "no material" gets no
// channels, so its polygons take the default grey.
HostMaterial ConvertMaterial(const aiMaterial& material, TextureColours& textures);

class MaterialImporter {
 public:
  // Image files named by the scene are looked for in the folder of
  // `scenePath`; images that cannot be read are reported in `report`.
  MaterialImporter(const aiScene& source, Scene& target, const std::string& scenePath,
                   ImportReport& report)
      : source_(source), target_(target), textures_(source, scenePath, report) {}

  // Tags `object` for polygons whose Assimp materials are `polygonMaterials`.
  void AddTags(HostObject& object, const std::vector<uint32_t>& polygonMaterials);

 private:
  int32_t HostMaterialFor(uint32_t assimpIndex);  // kNoIndex when the file lacks it

  const aiScene& source_;
  Scene& target_;
  TextureColours textures_;
  std::map<uint32_t, int32_t> converted_;
};

}  // namespace host::import
