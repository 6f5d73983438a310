// The program's options as one table: each option's names, the kind and
// range of its value, where the value goes (the Options field and, for the
// plain ones, the export dialog's gadget) and its help texts. The parser
// (options.cpp), --help, the dialog filler (dialog_options.cpp) and the
// README's option table (printed by the hidden --markdown-options) all read
// it, so that none of them can miss an option or disagree on one.
//
// The manual page and the bash completion (app/option_pages.h) read it
// too: each option's names, `valueName`, `kind` and `choices` say what to
// complete after it, and `markdown` is the longer text the manual shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/options.h"

namespace app {

enum class ValueKind {
  kNone,            // a flag: --yes
  kOptionalSwitch,  // a flag, or followed by on or off: --plotter [on|off]
  kSwitch,          // on or off (also yes/no, true/false, 1/0)
  kWholeNumber,     // a whole number from `least` to `most`
  kNumber,          // a number from `least` to `most`
  kChoice,          // one of `choices` (or a whole number from `least` to `most`, when given)
  kFile,            // a file name
  kText,            // anything else: a size, a colour, a camera's name, a tag
};

// A name an option takes and the value it stands for.
struct Choice {
  std::string name{};
  int32_t value = 0;
};

// Where an option's value goes in Options.
using Field = std::variant<std::monostate, bool Options::*, std::optional<bool> Options::*,
                           std::optional<int32_t> Options::*, std::optional<int64_t> Options::*,
                           std::optional<double> Options::*, std::optional<std::string> Options::*,
                           std::vector<std::string> Options::*>;

// Parses a value that a kind alone does not describe into its fields;
// false with `want` set to what the value is not ("a colour like #FF8000").
using TextParser = bool (*)(const std::string& value, Options& options, std::string& want);

// How an option's entry shows in a help listing.
enum class Row {
  kOwn,            // a row of its own
  kJoinsPrevious,  // its names join the row of the entry before it
  kHidden,         // not shown
};

struct OptionEntry {
  std::string name{};       // "--output"
  std::string shortName{};  // "-o", shown beside the name; empty: none
  std::string alias{};      // also accepted, never shown ("-y"); empty: none
  ValueKind kind = ValueKind::kNone;
  std::string valueName{};  // as the listings show the value: "FILE", "N", "on|off"
  double least = 0, most = 0;
  std::vector<Choice> choices{};
  std::string notValid{};    // what a value that does not parse is not ("a whole number")
  std::string outOfRange{};  // what a number outside least..most is not ("at least 1")
  Field field{};
  TextParser parse = nullptr;  // kText, kFile: checks and stores the value itself
  int32_t gadget =
      0;  // the dialog gadget the field sets; 0: none, or set by ApplyDialogOptions itself
  std::string help{};  // --help's text, wrapped to fit beside the names
  Row helpRow = Row::kOwn;
  std::string markdown{};  // the README's text
  Row markdownRow = Row::kOwn;
};

// Every option, in the order --help lists them.
const std::vector<OptionEntry>& OptionTable();

// The entry whose name, short name or alias is `arg`; null when none is.
const OptionEntry* FindOption(const std::string& arg);

// The options part of --help: one row per entry, the names at the left.
std::string HelpOptionRows();

// The README's table of options, as Markdown.
std::string MarkdownOptionTable();

}  // namespace app
