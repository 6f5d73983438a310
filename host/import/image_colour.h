// The mean colour of a PNG, JPEG or TGA image, for materials whose colour
// comes from an image texture. The format is told by the image's first bytes
// (for TGA, which has no signature, by a header consistent in every field),
// not by a file name. Rows are decoded one at a time and summed, so an image is
// never held whole. A damaged or cut-short image, an unknown format or an
// absurd size gives no colour; nothing here crashes or blocks on bad input.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace host::import {

// Red, green and blue, each in 0..1.
struct MeanColour {
  double red = 0;
  double green = 0;
  double blue = 0;
};

// Larger images are refused before anything is allocated for them.
constexpr uint64_t kMaxImagePixels = uint64_t{1} << 28;

// Sums pixels of 8 bits per component. Fully transparent pixels are left
// out: they show nothing of the texture, and their colour is often an
// arbitrary fill. An image transparent everywhere counts all its pixels.
class ColourSum {
 public:
  void Add(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha);
  std::optional<MeanColour> Mean() const;  // none when no pixel was added

 private:
  uint64_t visible_[3] = {0, 0, 0};
  uint64_t all_[3] = {0, 0, 0};
  uint64_t visibleCount_ = 0;
  uint64_t allCount_ = 0;
};

// The mean colour of an encoded image held in memory.
std::optional<MeanColour> MeanImageColour(std::span<const uint8_t> bytes);

// The mean colour of an image file. Only an ordinary file is read: a FIFO
// or a device named as an image is refused without waiting on it.
std::optional<MeanColour> MeanImageFileColour(const std::string& path);

}  // namespace host::import
