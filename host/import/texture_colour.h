// The mean colours of the images that materials take their base colour from:
// images embedded in the scene (compressed bytes, or raw texels) and image
// files named relative to the scene file's folder.
#pragma once

#include <assimp/material.h>
#include <assimp/scene.h>

#include <map>
#include <optional>
#include <string>
#include <utility>

#include "host/import/image_colour.h"
#include "host/import/import_report.h"

namespace host::import {

// The path of the material's base-colour image (else its diffuse image) as
// the scene gives it; none when the material has no image.
std::optional<std::string> BaseColourImage(const aiMaterial& material);

class TextureColours {
 public:
  TextureColours(const aiScene& scene, std::string sceneFolder, ImportReport& report)
      : scene_(scene), sceneFolder_(std::move(sceneFolder)), report_(report) {}

  // The mean colour of `image` (a path from BaseColourImage); none when it
  // cannot be read. Each image is read once; the first material that asks
  // for an unreadable image gets it reported, one warning line per image.
  std::optional<MeanColour> MeanOf(const std::string& image, const std::string& material);

 private:
  std::optional<MeanColour> Read(const std::string& image) const;
  std::string Describe(const std::string& image) const;  // for the warning

  const aiScene& scene_;
  const std::string sceneFolder_;
  ImportReport& report_;
  std::map<std::string, std::optional<MeanColour>> read_;
};

}  // namespace host::import
