#include "host/import/image_colour.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

// Both libraries report errors by a long jump back to the reader. The
// functions that set the jump point hold nothing with a destructor, and the
// work after it runs in a function of its own, so the jump skips no
// destructor and no local variable of the jumping frame is used after it.

namespace host::import {
namespace {

// libjpeg's memory for a progressive image (which it keeps whole while
// decoding); past it, the image is refused rather than the process growing.
constexpr long kMaxJpegMemory = 256L << 20;

// Where the encoded bytes come from: memory, or an open file.
struct Source {
  std::span<const uint8_t> bytes;
  size_t at = 0;
  FILE* file = nullptr;
};

bool IsPng(std::span<const uint8_t> head) {
  return head.size() >= 8 && png_sig_cmp(head.data(), 0, 8) == 0;
}

bool IsJpeg(std::span<const uint8_t> head) {
  return head.size() >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

// ---------------------------------------------------------------- PNG

void PngError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngReadBytes(png_structp png, png_bytep out, size_t count) {
  Source& source = *static_cast<Source*>(png_get_io_ptr(png));
  size_t got = 0;
  if (source.file != nullptr) {
    got = std::fread(out, 1, count, source.file);
  } else {
    got = std::min(count, source.bytes.size() - source.at);
    std::memcpy(out, source.bytes.data() + source.at, got);
    source.at += got;
  }
  if (got != count) png_error(png, "the image is cut short");
}

// Decodes every row as 8-bit RGBA and adds its pixels to `sum`. An
// interlaced image is read pass by pass as the passes' own smaller rows:
// each pixel is in exactly one pass, and one row buffer serves them all.
bool SumPngRows(png_structp png, png_infop info, std::vector<uint8_t>& row, ColourSum& sum) {
  png_read_info(png, info);
  const uint32_t width = png_get_image_width(png, info);
  const uint32_t height = png_get_image_height(png, info);
  if (uint64_t{width} * height > kMaxImagePixels) return false;
  png_set_expand(png);
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_read_update_info(png, info);
  if (png_get_channels(png, info) != 4 || png_get_bit_depth(png, info) != 8) return false;
  row.resize(png_get_rowbytes(png, info));

  const bool interlaced = png_get_interlace_type(png, info) == PNG_INTERLACE_ADAM7;
  for (int pass = 0; pass < (interlaced ? 7 : 1); ++pass) {
    const uint32_t columns = interlaced ? PNG_PASS_COLS(width, pass) : width;
    const uint32_t rows = interlaced ? PNG_PASS_ROWS(height, pass) : height;
    if (columns == 0 || rows == 0) continue;  // libpng skips empty passes too
    for (uint32_t y = 0; y < rows; ++y) {
      png_read_row(png, row.data(), nullptr);
      for (uint32_t x = 0; x < columns; ++x) {
        const uint8_t* p = &row[4 * size_t{x}];
        sum.Add(p[0], p[1], p[2], p[3]);
      }
    }
  }
  return true;
}

bool ReadPng(png_structp png, png_infop info, Source& source, std::vector<uint8_t>& row,
             ColourSum& sum) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, &source, PngReadBytes);
  return SumPngRows(png, info, row, sum);
}

std::optional<MeanColour> MeanPngColour(Source& source) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  if (png == nullptr) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  std::vector<uint8_t> row;
  ColourSum sum;
  const bool read = info != nullptr && ReadPng(png, info, source, row, sum);
  png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
  return read ? sum.Mean() : std::nullopt;
}

// ---------------------------------------------------------------- JPEG

struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void JpegError(j_common_ptr jpeg) {
  std::longjmp(reinterpret_cast<JpegErrors*>(jpeg->err)->jump, 1);
}

// Warnings are counted by the library and refused below; none is printed.
void JpegMessage(j_common_ptr) {}

bool SumJpegRows(jpeg_decompress_struct& jpeg, ColourSum& sum) {
  jpeg_read_header(&jpeg, TRUE);
  if (uint64_t{jpeg.image_width} * jpeg.image_height > kMaxImagePixels) return false;
  jpeg.out_color_space = JCS_RGB;
  jpeg_start_decompress(&jpeg);
  if (jpeg.output_components != 3) return false;
  JSAMPARRAY row = (*jpeg.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&jpeg), JPOOL_IMAGE,
                                             jpeg.output_width * 3, 1);
  while (jpeg.output_scanline < jpeg.output_height) {
    if (jpeg_read_scanlines(&jpeg, row, 1) != 1) return false;
    for (JDIMENSION x = 0; x < jpeg.output_width; ++x) {
      const JSAMPLE* p = &row[0][3 * size_t{x}];
      sum.Add(p[0], p[1], p[2], 0xFF);
    }
  }
  // A damaged or cut-short image only draws a warning, and the library
  // fills the missing part with grey: that mean would be wrong.
  return jpeg.err->num_warnings == 0;
}

bool ReadJpeg(jpeg_decompress_struct& jpeg, JpegErrors& errors, Source& source, ColourSum& sum) {
  if (setjmp(errors.jump)) return false;
  jpeg_create_decompress(&jpeg);
  jpeg.mem->max_memory_to_use = kMaxJpegMemory;
  if (source.file != nullptr) {
    jpeg_stdio_src(&jpeg, source.file);
  } else {
    jpeg_mem_src(&jpeg, source.bytes.data(), source.bytes.size());
  }
  return SumJpegRows(jpeg, sum);
}

std::optional<MeanColour> MeanJpegColour(Source& source) {
  jpeg_decompress_struct jpeg;
  std::memset(&jpeg, 0, sizeof jpeg);  // destroying is safe even if creating failed
  JpegErrors errors;
  jpeg.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = JpegError;
  errors.manager.output_message = JpegMessage;
  ColourSum sum;
  const bool read = ReadJpeg(jpeg, errors, source, sum);
  jpeg_destroy_decompress(&jpeg);
  return read ? sum.Mean() : std::nullopt;
}

// ---------------------------------------------------------------- TGA

// Reads `count` bytes; false when the image ends first.
bool ReadBytes(Source& source, uint8_t* out, size_t count) {
  if (source.file != nullptr) return std::fread(out, 1, count, source.file) == count;
  if (source.bytes.size() - source.at < count) return false;
  std::memcpy(out, source.bytes.data() + source.at, count);
  source.at += count;
  return true;
}

// The fields of a TGA header that the colour needs.
struct TgaHeader {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t bytesPerPixel = 0;
  bool runLength = false;
  bool grey = false;
  bool alpha = false;  // the descriptor counts attribute (alpha) bits
  uint32_t idLength = 0;
};

// TGA has no signature, so only a header that is consistent in every field
// counts: no colour map, a true-colour or grey image (plain or run-length),
// a pixel size that fits its kind, no interleaving. Text or other formats
// fail these tests at once (their second byte would have to be 0).
std::optional<TgaHeader> ParseTgaHeader(std::span<const uint8_t> head) {
  if (head.size() < 18) return std::nullopt;
  const uint8_t type = head[2];
  if (head[1] != 0 || (type != 2 && type != 3 && type != 10 && type != 11)) return std::nullopt;
  for (int i = 3; i < 8; ++i)
    if (head[i] != 0) return std::nullopt;  // a colour map's fields
  TgaHeader header;
  header.idLength = head[0];
  header.width = head[12] | (head[13] << 8);
  header.height = head[14] | (head[15] << 8);
  const uint8_t bits = head[16];
  const uint8_t descriptor = head[17];
  header.grey = type == 3 || type == 11;
  header.runLength = type == 10 || type == 11;
  header.alpha = (descriptor & 0x0F) != 0;
  const bool sizeFits = header.grey ? bits == 8 : (bits == 16 || bits == 24 || bits == 32);
  if (!sizeFits || (descriptor & 0xC0) != 0 || header.width == 0 || header.height == 0) {
    return std::nullopt;
  }
  header.bytesPerPixel = bits / 8;
  return header;
}

void AddTgaPixel(const TgaHeader& header, const uint8_t* p, ColourSum& sum) {
  if (header.grey) {
    sum.Add(p[0], p[0], p[0], 255);
  } else if (header.bytesPerPixel == 2) {
    // A1 R5 G5 B5, little-endian; 5 bits widened to 8.
    const uint32_t v = p[0] | (p[1] << 8);
    const auto widen = [](uint32_t five) { return static_cast<uint8_t>((five * 255 + 15) / 31); };
    const uint8_t alpha = header.alpha && (v & 0x8000) == 0 ? 0 : 255;
    sum.Add(widen((v >> 10) & 31), widen((v >> 5) & 31), widen(v & 31), alpha);
  } else {
    const uint8_t alpha = header.bytesPerPixel == 4 && header.alpha ? p[3] : 255;
    sum.Add(p[2], p[1], p[0], alpha);  // stored blue, green, red
  }
}

std::optional<MeanColour> MeanTgaColour(const TgaHeader& header, Source& source) {
  const uint64_t pixels = uint64_t{header.width} * header.height;
  if (pixels > kMaxImagePixels) return std::nullopt;
  uint8_t skipped[18 + 255];
  if (!ReadBytes(source, skipped, 18 + header.idLength)) return std::nullopt;
  ColourSum sum;
  uint8_t pixel[4];
  if (!header.runLength) {
    // Plain pixels, a row at a time.
    std::vector<uint8_t> row(size_t{header.width} * header.bytesPerPixel);
    for (uint32_t y = 0; y < header.height; ++y) {
      if (!ReadBytes(source, row.data(), row.size())) return std::nullopt;
      for (uint32_t x = 0; x < header.width; ++x) {
        AddTgaPixel(header, row.data() + size_t{x} * header.bytesPerPixel, sum);
      }
    }
    return sum.Mean();
  }
  // Run-length packets: a count byte, then one pixel repeated (high bit
  // set) or that many plain pixels. Packets may run across rows.
  uint64_t left = pixels;
  while (left > 0) {
    uint8_t packet = 0;
    if (!ReadBytes(source, &packet, 1)) return std::nullopt;
    const uint64_t count = std::min<uint64_t>((packet & 0x7F) + 1, left);
    if ((packet & 0x80) != 0) {
      if (!ReadBytes(source, pixel, header.bytesPerPixel)) return std::nullopt;
      for (uint64_t i = 0; i < count; ++i) AddTgaPixel(header, pixel, sum);
    } else {
      for (uint64_t i = 0; i < count; ++i) {
        if (!ReadBytes(source, pixel, header.bytesPerPixel)) return std::nullopt;
        AddTgaPixel(header, pixel, sum);
      }
    }
    left -= count;
  }
  return sum.Mean();
}

std::optional<MeanColour> MeanColourOf(std::span<const uint8_t> head, Source& source) {
  if (IsPng(head)) return MeanPngColour(source);
  if (IsJpeg(head)) return MeanJpegColour(source);
  if (const std::optional<TgaHeader> tga = ParseTgaHeader(head)) return MeanTgaColour(*tga, source);
  return std::nullopt;
}

}  // namespace

void ColourSum::Add(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) {
  const uint8_t rgb[3] = {red, green, blue};
  for (int i = 0; i < 3; ++i) {
    all_[i] += rgb[i];
    if (alpha != 0) visible_[i] += rgb[i];
  }
  ++allCount_;
  if (alpha != 0) ++visibleCount_;
}

std::optional<MeanColour> ColourSum::Mean() const {
  const bool anyVisible = visibleCount_ > 0;
  const uint64_t* sums = anyVisible ? visible_ : all_;
  const uint64_t count = anyVisible ? visibleCount_ : allCount_;
  if (count == 0) return std::nullopt;
  const double scale = 1.0 / (255.0 * static_cast<double>(count));
  return MeanColour{static_cast<double>(sums[0]) * scale, static_cast<double>(sums[1]) * scale,
                    static_cast<double>(sums[2]) * scale};
}

std::optional<MeanColour> MeanImageColour(std::span<const uint8_t> bytes) {
  Source source;
  source.bytes = bytes;
  return MeanColourOf(bytes, source);
}

std::optional<MeanColour> MeanImageFileColour(const std::string& path) {
  // Opened without waiting, then checked: the same rule as for the scene's
  // other companion files (GuardedFiles), with no gap between the check and
  // the opening.
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return std::nullopt;
  struct stat status;
  if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(descriptor);
    return std::nullopt;
  }
  FILE* file = ::fdopen(descriptor, "rb");
  if (file == nullptr) {
    ::close(descriptor);
    return std::nullopt;
  }
  uint8_t head[18];  // the longest header that tells a format: TGA's
  const size_t got = std::fread(head, 1, sizeof head, file);
  std::optional<MeanColour> mean;
  if (std::fseek(file, 0, SEEK_SET) == 0) {
    Source source;
    source.file = file;
    mean = MeanColourOf(std::span<const uint8_t>(head, got), source);
  }
  std::fclose(file);
  return mean;
}

}  // namespace host::import
