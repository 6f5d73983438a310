#include "host/string_table.h"

#include <cctype>
#include <limits>
#include <optional>

namespace host {
namespace {

void SkipSpaces(const std::string& line, size_t& at) {
  while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
}

std::optional<int32_t> ParseId(const std::string& line, size_t& at) {
  const size_t start = at;
  int64_t id = 0;
  while (at < line.size() && std::isdigit(static_cast<unsigned char>(line[at]))) {
    id = id * 10 + (line[at] - '0');
    if (id > std::numeric_limits<int32_t>::max()) return std::nullopt;
    ++at;
  }
  if (at == start) return std::nullopt;
  return static_cast<int32_t>(id);
}

// The quoted text starting at `at` (which must be the opening quote).
std::optional<std::string> ParseQuoted(const std::string& line, size_t& at) {
  if (at >= line.size() || line[at] != '"') return std::nullopt;
  std::string text;
  for (++at; at < line.size(); ++at) {
    const char c = line[at];
    if (c == '"') {
      ++at;
      return text;
    }
    if (c != '\\') {
      text += c;
      continue;
    }
    if (++at >= line.size()) return std::nullopt;
    switch (line[at]) {
      case '"':
      case '\\':
        text += line[at];
        break;
      case 'n':
        text += '\n';
        break;
      default:
        return std::nullopt;
    }
  }
  return std::nullopt;  // no closing quote
}

// Parses one line into `table`; returns what is wrong, or "" when fine.
std::string ParseLine(const std::string& line, std::map<int32_t, std::string>& table) {
  size_t at = 0;
  SkipSpaces(line, at);
  if (at == line.size() || line[at] == '#') return "";
  const std::optional<int32_t> id = ParseId(line, at);
  if (!id) return "expected a numeric id";
  SkipSpaces(line, at);
  const std::optional<std::string> text = ParseQuoted(line, at);
  if (!text) return "expected a quoted text";
  SkipSpaces(line, at);
  if (at < line.size() && line[at] != '#') return "unexpected text after the entry";
  if (!table.emplace(*id, *text).second) return "duplicate id " + std::to_string(*id);
  return "";
}

}  // namespace

StringTableResult ParseStringTable(std::istream& in) {
  StringTableResult result;
  std::string line;
  for (int32_t number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string problem = ParseLine(line, result.strings);
    if (!problem.empty()) {
      result.badLine = number;
      result.problem = std::move(problem);
      return result;
    }
  }
  return result;
}

}  // namespace host
