// The derivation of the packed line colour and the line-width range.
#include "core/export_settings.h"

namespace {

uint8_t ColourByte(float component) {
  // Truncation, not rounding; out-of-range components are held to the byte.
  const float scaled = 255.0f * component;
  if (!(scaled > 0.0f)) return 0;
  if (scaled >= 255.0f) return 255;
  return static_cast<uint8_t>(scaled);
}

}  // namespace

void DeriveLineColour(LineStyle& s) {
  s.lineColourScaled.r = s.lineColour.r * s.lineBrightness;
  s.lineColourScaled.g = s.lineColour.g * s.lineBrightness;
  s.lineColourScaled.b = s.lineColour.b * s.lineBrightness;
  s.lineRGBA[0] = ColourByte(s.lineColourScaled.r);
  s.lineRGBA[1] = ColourByte(s.lineColourScaled.g);
  s.lineRGBA[2] = ColourByte(s.lineColourScaled.b);
  s.lineRGBA[3] = 255;
}

int32_t ClampLineWidth(int32_t width) {
  if (width < 0) return 0;
  if (width > kMaxLineWidth) return kMaxLineWidth;
  return width;
}

bool NextListedFile(const String& list, int32_t& from, String& name) {
  while (from < list.Length()) {
    int32_t end = list.FindChar('\n', from);
    if (end < 0) end = list.Length();
    const int32_t start = from;
    from = end + 1;
    if (end > start) {
      name = list.Sub(start, end - start);
      return true;
    }
  }
  return false;
}
