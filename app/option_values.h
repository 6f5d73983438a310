// Readers of option values: whole numbers, numbers, switches, and the values
// of a form of their own (sizes, colours, sheets, tags). Each takes the whole
// text or nothing.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/options.h"

namespace app {

// A whole number in the range of int32_t, nothing else around it.
bool ParseInt(const std::string& text, int32_t& value);
// A finite number.
bool ParseReal(const std::string& text, double& value);
// on/off, yes/no, true/false, 1/0.
bool ParseSwitch(const std::string& text, bool& value);
// "#RRGGBB" to components in 0..1.
bool ParseColour(const std::string& text, std::vector<double>& rgb);
// "WxH", each side from 1 to kMaxPictureSize.
bool ParseSize(const std::string& text, int32_t& width, int32_t& height);
// A sheet: a named size (portrait, millimetres), "WxHmm", or "none" (0, 0).
bool ParsePaper(const std::string& text, std::array<double, 2>& size);
// OBJECT:key=value,key=value
bool ParseTag(const std::string& text, TagRequest& tag);

}  // namespace app
