#include "host/dialog_layout.h"

#include <map>
#include <sstream>

namespace host {
namespace {

const std::map<std::string, GadgetKind>& Kinds() {
  static const std::map<std::string, GadgetKind> kinds = {
      {"group", GadgetKind::kGroup},   {"int", GadgetKind::kInt},
      {"real", GadgetKind::kReal},     {"text", GadgetKind::kText},
      {"check", GadgetKind::kCheck},   {"choice", GadgetKind::kChoice},
      {"color", GadgetKind::kColour},  {"button", GadgetKind::kButton},
      {"static", GadgetKind::kStatic},
  };
  return kinds;
}

// Reads `WORD NUMBER "label"`; the label is optional.
bool SplitLine(const std::string& line, std::string& word, int32_t& number, std::string& label,
               std::string& problem) {
  std::istringstream in(line);
  std::string numberText;
  if (!(in >> word >> numberText)) {
    problem = "expected a kind and an ID";
    return false;
  }
  try {
    size_t used = 0;
    const long value = std::stol(numberText, &used);
    if (used != numberText.size()) throw std::invalid_argument(numberText);
    number = static_cast<int32_t>(value);
  } catch (const std::exception&) {
    problem = "'" + numberText + "' is not a number";
    return false;
  }
  std::string rest;
  std::getline(in, rest);
  const size_t open = rest.find('"');
  if (open == std::string::npos) {
    label.clear();
    return true;
  }
  const size_t close = rest.rfind('"');
  if (close == open) {
    problem = "unterminated label";
    return false;
  }
  label = rest.substr(open + 1, close - open - 1);
  return true;
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

LayoutParseResult ParseDialogLayout(std::istream& in) {
  LayoutParseResult result;
  std::vector<int32_t> openGroups;
  int32_t openChoice = -1;
  bool named = false;
  std::string raw;
  int32_t lineNumber = 0;
  auto fail = [&](const std::string& problem) {
    result.badLine = lineNumber > 0 ? lineNumber : 1;
    result.problem = problem;
    return result;
  };

  while (std::getline(in, raw)) {
    ++lineNumber;
    const std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;
    if (line == "end") {
      if (openChoice >= 0) {
        openChoice = -1;
      } else if (!openGroups.empty()) {
        openGroups.pop_back();
      } else {
        return fail("'end' without a group or choice");
      }
      continue;
    }
    std::string word, label, problem;
    int32_t number = 0;
    if (!SplitLine(line, word, number, label, problem)) return fail(problem);

    if (!named) {
      if (word != "dialog") return fail("the first line must be 'dialog ID \"title\"'");
      result.layout.id = number;
      result.layout.title = label;
      named = true;
      continue;
    }
    if (openChoice >= 0) {
      if (word != "item") return fail("a choice holds only 'item' lines");
      result.layout.gadgets[openChoice].items.push_back({number, label});
      continue;
    }
    const auto kind = Kinds().find(word);
    if (kind == Kinds().end()) return fail("unknown gadget kind '" + word + "'");
    for (const GadgetDecl& g : result.layout.gadgets)
      if (g.id == number && number > 0) return fail("gadget " + std::to_string(number) + " twice");
    GadgetDecl gadget{kind->second, number, label, openGroups.empty() ? -1 : openGroups.back(), {}};
    result.layout.gadgets.push_back(gadget);
    const int32_t index = static_cast<int32_t>(result.layout.gadgets.size()) - 1;
    if (kind->second == GadgetKind::kGroup) openGroups.push_back(index);
    if (kind->second == GadgetKind::kChoice) openChoice = index;
  }
  if (!named) return fail("empty layout");
  if (openChoice >= 0 || !openGroups.empty()) return fail("missing 'end'");
  return result;
}

}  // namespace host
