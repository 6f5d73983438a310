#include "host/import/texture_colour.h"

#include <assimp/texture.h>

#include <cstdint>
#include <filesystem>
#include <span>

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

std::optional<MeanColour> TextureColours::MeanOf(const std::string& image,
                                                 const std::string& material) {
  const auto found = read_.find(image);
  if (found != read_.end()) return found->second;
  const std::optional<MeanColour> mean = Read(image);
  read_.emplace(image, mean);
  if (!mean) {
    report_.Warn(Describe(image) + " of material '" + material +
                 "' could not be read; its colour factor is used");
  }
  return mean;
}

std::optional<MeanColour> TextureColours::Read(const std::string& image) const {
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
  // An absolute path stays as it is; a relative one starts at the scene's
  // folder. glTF names its files by URIs, whose "%20" and the like Assimp
  // passes on undecoded: when no file has the name as given, the decoded
  // name is tried.
  const std::filesystem::path folder(sceneFolder_);
  std::filesystem::path file = folder / path;
  std::error_code error;
  if (!std::filesystem::exists(file, error) && path.find('%') != std::string::npos) {
    file = folder / PercentDecoded(path);
  }
  return MeanImageFileColour(file.string());
}

std::string TextureColours::Describe(const std::string& image) const {
  if (NamesEmbeddedImage(image)) return "the embedded texture " + image.substr(1);
  return "the texture '" + image + "'";
}

}  // namespace host::import
