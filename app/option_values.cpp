#include "app/option_values.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

#include "host/api/vexmark_ids.h"

namespace app {
namespace {

// A sheet's sides: from 10 mm, below which no margin and no line fits, to
// 5080 mm (200 inches, 14,400 points), the largest page a PDF holds.
constexpr double kMinSheetMm = 10.0;
constexpr double kMaxSheetMm = 5080.0;

}  // namespace

bool ParseInt(const std::string& text, int32_t& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX) return false;
  value = static_cast<int32_t>(parsed);
  return true;
}

bool ParseReal(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return *end == '\0' && std::isfinite(value);
}

bool ParseSwitch(const std::string& text, bool& value) {
  if (text == "on" || text == "yes" || text == "true" || text == "1") {
    value = true;
    return true;
  }
  if (text == "off" || text == "no" || text == "false" || text == "0") {
    value = false;
    return true;
  }
  return false;
}

bool ParseColour(const std::string& text, std::vector<double>& rgb) {
  if (text.size() != 7 || text[0] != '#') return false;
  // Six hexadecimal digits exactly: strtol alone would also take signs and
  // spaces ("#-1+1 1").
  if (!std::all_of(text.begin() + 1, text.end(),
                   [](unsigned char c) { return std::isxdigit(c) != 0; }))
    return false;
  rgb.clear();
  for (int i = 0; i < 3; ++i) {
    const std::string pair = text.substr(1 + 2 * i, 2);
    rgb.push_back(static_cast<double>(std::strtol(pair.c_str(), nullptr, 16)) / 255.0);
  }
  return true;
}

bool ParseSize(const std::string& text, int32_t& width, int32_t& height) {
  const size_t x = text.find_first_of("xX");
  return x != std::string::npos && ParseInt(text.substr(0, x), width) &&
         ParseInt(text.substr(x + 1), height) && width > 0 && height > 0 &&
         width <= kMaxPictureSize && height <= kMaxPictureSize;
}

bool ParsePaper(const std::string& text, std::array<double, 2>& size) {
  std::string lower;
  for (const char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  static const std::map<std::string, std::array<double, 2>> named = {
      {"a4", {210.0, 297.0}}, {"a3", {297.0, 420.0}}, {"letter", {215.9, 279.4}}, {"none", {0, 0}}};
  const auto it = named.find(lower);
  if (it != named.end()) {
    size = it->second;
    return true;
  }
  const size_t x = lower.find('x');
  if (x == std::string::npos || lower.size() < 3 || lower.compare(lower.size() - 2, 2, "mm") != 0)
    return false;
  return ParseReal(lower.substr(0, x), size[0]) &&
         ParseReal(lower.substr(x + 1, lower.size() - x - 3), size[1]) &&
         std::min(size[0], size[1]) >= kMinSheetMm && std::max(size[0], size[1]) <= kMaxSheetMm;
}

bool ParseTag(const std::string& text, TagRequest& tag) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  tag.object = text.substr(0, colon);
  std::stringstream pairs(text.substr(colon + 1));
  std::string pair;
  while (std::getline(pairs, pair, ',')) {
    const size_t equals = pair.find('=');
    if (equals == std::string::npos || equals == 0) return false;
    tag.values.emplace_back(pair.substr(0, equals), pair.substr(equals + 1));
  }
  return !tag.values.empty();
}

}  // namespace app
