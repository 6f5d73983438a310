// The derivation of the packed line colour and the line-width range.
#include "core/export_settings.h"

void DeriveLineColour(LineStyle& s) {
  s.lineColourScaled.r = s.lineColour.r * s.lineBrightness;
  s.lineColourScaled.g = s.lineColour.g * s.lineBrightness;
  s.lineColourScaled.b = s.lineColour.b * s.lineBrightness;
  s.linePageColour = PageColourOf(s.lineColourScaled);
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
