// Dialog layouts: the text format of a module's dialog resources
// (res/dialogs/<id>.dlg) and its parsed form.
//
// One gadget per line:  KIND ID "label"
//   KIND   group, int, real, text, check, choice, color, button, static
//   ID     the gadget's decimal ID
// A group's gadgets follow it up to a line `end`. A choice's entries follow it
// as lines `item VALUE "label"` up to a line `end`. Blank lines and lines
// starting with # are ignored. The first line names the dialog:
//   dialog ID "title"
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace host {

enum class GadgetKind { kGroup, kInt, kReal, kText, kCheck, kChoice, kColour, kButton, kStatic };

struct ChoiceItem {
  int32_t value;
  std::string label;
};

struct GadgetDecl {
  GadgetKind kind;
  int32_t id;
  std::string label;
  int32_t parent = -1;  // index of the enclosing group, -1 at the top
  std::vector<ChoiceItem> items;
};

struct DialogLayout {
  int32_t id = 0;
  std::string title;
  std::vector<GadgetDecl> gadgets;
};

struct LayoutParseResult {
  DialogLayout layout;
  int32_t badLine = 0;  // 1-based line of the first error; 0 when it parsed
  std::string problem;
};

LayoutParseResult ParseDialogLayout(std::istream& in);

}  // namespace host
