// A picture read from binary PPM (P6, 8 bits a sample), as Ghostscript
// writes it and as the tests turn other pictures into; and its colours.
#pragma once

#include <array>
#include <sstream>
#include <string>
#include <vector>

using Rgb = std::array<int, 3>;

inline std::string Describe(const Rgb& c) {
  return "(" + std::to_string(c[0]) + ", " + std::to_string(c[1]) + ", " + std::to_string(c[2]) +
         ")";
}

// A rendered page; (x, y) is the pixel in column x and row y from the top.
class Picture {
 public:
  bool Load(const std::string& ppm) {
    std::istringstream in(ppm);
    std::string magic;
    int maxValue = 0;
    in >> magic;
    if (magic != "P6" || !Number(in, width_) || !Number(in, height_) || !Number(in, maxValue))
      return false;
    if (maxValue != 255 || width_ <= 0 || height_ <= 0) return false;
    in.get();  // the single blank before the samples
    pixels_.assign(static_cast<size_t>(width_) * height_ * 3, 0);
    in.read(reinterpret_cast<char*>(pixels_.data()), static_cast<std::streamsize>(pixels_.size()));
    return in.gcount() == static_cast<std::streamsize>(pixels_.size());
  }
  Rgb At(int x, int y) const {
    const size_t at = (static_cast<size_t>(y) * width_ + x) * 3;
    return {pixels_[at], pixels_[at + 1], pixels_[at + 2]};
  }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  // The next number of the header, past comment lines.
  static bool Number(std::istringstream& in, int& value) {
    in >> std::ws;
    while (in.peek() == '#') {
      std::string comment;
      std::getline(in, comment);
      in >> std::ws;
    }
    return static_cast<bool>(in >> value);
  }

  int width_ = 0;
  int height_ = 0;
  std::vector<unsigned char> pixels_;
};
