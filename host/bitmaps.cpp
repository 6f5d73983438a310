// Bitmaps: icons loaded from TIFF files with libtiff.
#include <tiffio.h>

#include <vector>

#include "host/host_string.h"
#include "host/services.h"
#include "host/ui.h"

struct HostBitmap {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // ABGR as libtiff delivers them, bottom row first
};

namespace host {
namespace {

// Silences libtiff's own warnings; a failed load is the caller's to report.
void QuietTiffHandler(const char*, const char*, va_list) {}

HostBitmap* BmpNew() { return new HostBitmap; }

void BmpFree(HostBitmap* b) { delete b; }

int32_t BmpLoad(HostBitmap* b, const HostString* path) {
  if (b == nullptr) return 0;
  TIFFSetWarningHandler(&QuietTiffHandler);
  TIFFSetErrorHandler(&QuietTiffHandler);
  TIFF* tiff = TIFFOpen(TextOf(path).c_str(), "r");
  if (tiff == nullptr) return 0;
  uint32_t width = 0, height = 0;
  TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
  bool loaded = false;
  if (width > 0 && height > 0 && width <= 4096 && height <= 4096) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    if (TIFFReadRGBAImage(tiff, width, height, pixels.data(), 0)) {
      b->width = static_cast<int32_t>(width);
      b->height = static_cast<int32_t>(height);
      b->pixels = std::move(pixels);
      loaded = true;
    }
  }
  TIFFClose(tiff);
  return loaded ? 1 : 0;
}

}  // namespace

std::optional<BitmapInfo> BitmapSize(const HostBitmap* b) {
  if (b == nullptr || b->width == 0) return std::nullopt;
  return BitmapInfo{b->width, b->height};
}

void FillBitmapEntries(HostUiApi& ui) {
  ui.bmpNew = &BmpNew;
  ui.bmpFree = &BmpFree;
  ui.bmpLoad = &BmpLoad;
}

}  // namespace host
