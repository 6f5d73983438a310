#include "host/import/texture_colour.h"

#include <assimp/texture.h>
#include <strings.h>

#include <cstdint>
#include <filesystem>
#include <span>

#include "host/file_names.h"

namespace host::import {
namespace {

std::optional<MeanColour> EmbeddedMean(const aiTexture& texture) {
  if (texture.pcData == nullptr) return std::nullopt;
  if (texture.mHeight == 0) {
    // Compressed bytes (PNG, JPEG, ...), mWidth of them.
    return MeanImageColour(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(texture.pcData), texture.mWidth));
  }
  const uint64_t pixels = uint64_t{texture.mWidth} * texture.mHeight;
  if (pixels > kMaxImagePixels) return std::nullopt;
  ColourSum sum;
  for (uint64_t i = 0; i < pixels; ++i) {
    const aiTexel& t = texture.pcData[i];
    sum.Add(t.r, t.g, t.b, t.a);
  }
  return sum.Mean();
}

bool NamesEmbeddedImage(const std::string& image) {
  return !image.empty() && image[0] == '*';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "%20" and the like as the characters they stand for; a '%' that starts no
// such pair, or one that would give a zero byte, stays as it is.
std::string PercentDecoded(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const int high = text[i] == '%' && i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
    if (low >= 0 && (high | low) != 0) {
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::optional<std::string> BaseColourImage(const aiMaterial& material) {
  for (const aiTextureType type : {aiTextureType_BASE_COLOR, aiTextureType_DIFFUSE}) {
    aiString path;
    if (material.GetTextureCount(type) > 0 && material.GetTexture(type, 0, &path) == AI_SUCCESS &&
        path.length > 0) {
      return std::string(path.C_Str());
    }
  }
  return std::nullopt;
}

TextureColours::TextureColours(const aiScene& scene, const std::string& scenePath,
                               ImportReport& report)
    : scene_(scene),
      sceneFolder_(FolderPart(scenePath)),
      confinement_(scenePath),
      blendFile_(::strcasecmp(Suffix(scenePath).c_str(), "blend") == 0),
      report_(report) {}

std::optional<MeanColour> TextureColours::MeanOf(const std::string& image,
                                                 const std::string& material) {
  const auto found = read_.find(image);
  if (found != read_.end()) return found->second;
  bool outside = false;
  const std::optional<MeanColour> mean = Read(image, outside);
  read_.emplace(image, mean);
  if (outside) {
    report_.Warn(Describe(image) + " of material '" + material +
                 "' lies outside the scene's folder and is not read; its colour factor is used");
  } else if (!mean) {
    report_.Warn(Describe(image) + " of material '" + material +
                 "' could not be read; its colour factor is used");
  }
  return mean;
}

std::optional<MeanColour> TextureColours::Read(const std::string& image, bool& outside) const {
  // Embedded images are named "*<index>", or, in some formats, by the name
  // of the file they were embedded from.
  if (scene_.mTextures != nullptr) {
    if (const aiTexture* embedded = scene_.GetEmbeddedTexture(image.c_str())) {
      return EmbeddedMean(*embedded);
    }
  }
  if (NamesEmbeddedImage(image)) return std::nullopt;
  std::string path = image;
  const std::string fileScheme = "file://";
  if (path.rfind(fileScheme, 0) == 0) path.erase(0, fileScheme.size());
  // Blender names a file beside the scene "//name".
  if (blendFile_ && path.rfind("//", 0) == 0) path.erase(0, 2);
  // An absolute path stays as it is; a relative one starts at the scene's
  // folder; either is read only inside the folder's tree. glTF names its files by URIs, whose "%20"
  // and the like Assimp passes on undecoded: when no file has the name as given, the decoded name
  // is tried.
  const std::filesystem::path folder(sceneFolder_);
  std::filesystem::path file = folder / path;
  std::error_code error;
  if (!std::filesystem::exists(file, error) && path.find('%') != std::string::npos) {
    file = folder / PercentDecoded(path);
  }
  // The name decoded, if it was, is the one checked: "..%2F" is "../".
  const std::filesystem::path inside = confinement_.Resolve(file.string());
  outside = inside.empty();
  return outside ? std::nullopt : MeanImageFileColour(inside.string());
}

std::string TextureColours::Describe(const std::string& image) const {
  if (NamesEmbeddedImage(image)) return "the embedded texture " + image.substr(1);
  return "the texture '" + image + "'";
}

}  // namespace host::import
