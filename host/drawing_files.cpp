// The fileWriteDrawing entry: hands a drawing to the writer of its format,
// and the bytes on to the open host file.
#include "host/drawing_files.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <new>

#include "host/runtime.h"
#include "host/services.h"

namespace host {
namespace {

int32_t FileWriteDrawing(HostFile* f, int32_t format, const HostDrawing* drawing) {
  const HostApi* table = Table();
  if (f == nullptr || drawing == nullptr || drawing->width <= 0 || drawing->height <= 0) {
    MarkFileFailed(f, EINVAL);
    return 0;
  }
  const DrawingSink sink = [f, table](const void* data, size_t bytes) {
    const char* at = static_cast<const char*>(data);
    // fileWrite takes at most INT32_MAX bytes at a time.
    while (bytes > 0) {
      const size_t step = bytes > (1u << 30) ? (1u << 30) : bytes;
      if (table->fileWrite(f, at, static_cast<int32_t>(step)) == 0) return false;
      at += step;
      bytes -= step;
    }
    return true;
  };
  int error = EINVAL;
  try {
    if (format == kHostDrawingSvg) error = WriteSvgDrawing(*drawing, sink);
    if (format == kHostDrawingPdf) error = WritePdfDrawing(*drawing, sink);
    if (format == kHostDrawingPng) error = WritePngDrawing(*drawing, sink);
  } catch (const std::bad_alloc&) {
    // The writers build their text in memory; the file is recorded as not
    // written for lack of memory, like one the disk had no room for.
    error = ENOMEM;
  }
  if (error == 0) return 1;
  if (error != EIO) MarkFileFailed(f, error);
  return 0;
}

}  // namespace

std::string DrawingNumber(double value) {
  if (!std::isfinite(value)) value = 0;
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", value);
  std::string number = text;
  number.erase(number.find_last_not_of('0') + 1);
  if (number.back() == '.') number.pop_back();
  return number == "-0" ? "0" : number;
}

std::string DrawingColour(const uint8_t rgba[4]) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", rgba[0], rgba[1], rgba[2]);
  return text;
}

std::string DrawingLayerName(const HostDrawingPart& part) {
  const std::string kind = part.layer != nullptr && part.layer[0] != '\0' ? part.layer : "lines";
  std::string safe;
  for (char c : kind) safe += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '-';
  const bool fills = (part.paint & kHostPaintFill) != 0;
  return safe + " " + DrawingColour(fills ? part.fill : part.stroke);
}

void FillDrawingEntries(HostApi& table) {
  table.fileWriteDrawing = &FileWriteDrawing;
}

}  // namespace host
