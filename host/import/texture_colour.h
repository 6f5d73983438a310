// The mean colours of the images that materials take their base colour from:
// images embedded in the scene (compressed bytes, or raw texels) and image
// files named relative to the scene file's folder. An image file outside
// that folder's tree is not read (scene_folder.h); like an image that cannot
// be read, it costs the material its texture colour, not the scene.
#pragma once

#include <assimp/material.h>
#include <assimp/scene.h>

#include <map>
#include <optional>
#include <string>

#include "host/import/image_colour.h"
#include "host/import/import_report.h"
#include "host/import/scene_folder.h"

namespace host::import {

// The path of the material's base-colour image (else its diffuse image) as
// the scene gives it; none when the material has no image.
std::optional<std::string> BaseColourImage(const aiMaterial& material);

class TextureColours {
 public:
  // Image files are looked for in the folder of `scenePath`.
  TextureColours(const aiScene& scene, const std::string& scenePath, ImportReport& report);

  // The mean colour of `image` (a path from BaseColourImage); none when it
  // cannot be read or lies outside the scene's folder. Each image is read
  // once; the first material that asks for an unreadable image gets it
  // reported, one warning line per image.
  std::optional<MeanColour> MeanOf(const std::string& image, const std::string& material);

 private:
  // `outside` is set when the image is a file outside the scene's folder.
  std::optional<MeanColour> Read(const std::string& image, bool& outside) const;
  std::string Describe(const std::string& image) const;  // for the warning

  const aiScene& scene_;
  const std::string sceneFolder_;  // as the scene's path gives it
  const SceneFolder confinement_;
  const bool blendFile_;  // the scene is a Blender file
  ImportReport& report_;
  std::map<std::string, std::optional<MeanColour>> read_;
};

}  // namespace host::import
