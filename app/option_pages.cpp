#include "app/option_pages.h"

#include "app/option_table.h"

namespace app {
namespace {

// Text for roff: Markdown's escaped bar unescaped, backslashes and minus
// signs escaped, `code` in bold, and no line that starts with a control
// character.
std::string Roff(const std::string& markdown) {
  std::string text = markdown;
  for (size_t at = text.find("\\|"); at != std::string::npos; at = text.find("\\|", at))
    text.erase(at, 1);
  std::string out;
  bool bold = false;
  for (const char c : text) {
    if (c == '\\')
      out += "\\e";
    else if (c == '-')
      out += "\\-";
    else if (c == '`')
      out += (bold = !bold) ? "\\fB" : "\\fR";
    else if (c == '\n')
      out += ' ';
    else
      out += c;
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out = "\\&" + out;
  return out;
}

// "\fB\-o\fR, \fB\-\-output\fR \fIFILE\fR"
std::string RoffNames(const OptionEntry& entry) {
  std::string names = entry.shortName.empty() ? "" : "\\fB" + Roff(entry.shortName) + "\\fR, ";
  names += "\\fB" + Roff(entry.name) + "\\fR";
  return entry.valueName.empty() ? names : names + " \\fI" + Roff(entry.valueName) + "\\fR";
}

bool Listed(const OptionEntry& entry) {
  return entry.helpRow != Row::kHidden || entry.markdownRow != Row::kHidden;
}

// The OPTIONS section: one tagged paragraph per row of the README's table,
// and the options only --help lists with their help text.
std::string OptionSection() {
  std::string section = ".SH OPTIONS\n";
  std::string names, text;
  const auto flush = [&] {
    if (!names.empty()) section += ".TP\n" + names + "\n" + Roff(text) + "\n";
  };
  for (const OptionEntry& entry : OptionTable()) {
    if (!Listed(entry)) continue;
    const bool fromReadme = entry.markdownRow != Row::kHidden;
    const Row row = fromReadme ? entry.markdownRow : entry.helpRow;
    if (row == Row::kJoinsPrevious && !names.empty()) {
      names += ", " + RoffNames(entry);
      continue;
    }
    flush();
    names = RoffNames(entry);
    text = fromReadme ? entry.markdown : entry.help;
  }
  flush();
  return section;
}

// The words bash may complete after an option, as a compgen argument list;
// empty when nothing can be proposed (a number, a size, a colour).
std::string ValueWords(const OptionEntry& entry) {
  switch (entry.kind) {
    case ValueKind::kSwitch:
    case ValueKind::kOptionalSwitch:
      return "-W 'on off'";
    case ValueKind::kChoice: {
      std::string words;
      for (const Choice& choice : entry.choices) words += (words.empty() ? "" : " ") + choice.name;
      return "-W '" + words + "'";
    }
    case ValueKind::kFile:
      return "-f";
    default:
      return "";
  }
}

// "-o|--output|-y"
std::string CasePattern(const OptionEntry& entry) {
  std::string pattern = entry.name;
  for (const std::string& other : {entry.shortName, entry.alias})
    if (!other.empty()) pattern += "|" + other;
  return pattern;
}

}  // namespace

std::string ManPage() {
  return ".TH VEXMARK 1\n"
         ".SH NAME\n"
         "vexmark \\- export a 3D scene as an exact hidden\\-line vector drawing\n"
         ".SH SYNOPSIS\n"
         "\\fBvexmark\\fR [\\fISCENE\\fR] [\\fIoptions\\fR]\n"
         ".br\n"
         "\\fBvexmark info\\fR \\fISCENE\\fR\n"
         ".SH DESCRIPTION\n"
         "Exports the scene (the bundled example when none is given) as a hidden\\-line "
         "drawing, one file per frame, as Illustrator\\-5 flavoured EPS, standalone EPS, "
         "SVG, PDF or PNG. Options not given keep what the scene stored from its last "
         "export, else the defaults.\n" +
         OptionSection() +
         ".SH EXIT STATUS\n"
         "0 when every drawing was written; not 0 otherwise, with a line that says why.\n";
}

std::string BashCompletion() {
  std::string options, cases;
  for (const OptionEntry& entry : OptionTable()) {
    if (entry.helpRow == Row::kHidden && entry.markdownRow == Row::kHidden) continue;
    options += (options.empty() ? "" : " ") + entry.name;
    if (!entry.shortName.empty()) options += " " + entry.shortName;
    if (entry.kind == ValueKind::kNone) continue;
    const std::string words = ValueWords(entry);
    // An optional switch may be followed by the next option instead.
    const std::string guard = entry.kind == ValueKind::kOptionalSwitch ? "[[ $cur == -* ]] || " : "";
    cases += "    " + CasePattern(entry) + ") " + guard + "{ " +
             (words.empty() ? "" : "COMPREPLY=($(compgen " + words + " -- \"$cur\")); ") +
             "return; } ;;\n";
  }
  return "# bash completion for vexmark, made from its table of options\n"
         "_vexmark() {\n"
         "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
         "  COMPREPLY=()\n"
         "  case $prev in\n" +
         cases +
         "  esac\n"
         "  if [[ $cur == -* ]]; then\n"
         "    COMPREPLY=($(compgen -W '" +
         options +
         "' -- \"$cur\"))\n"
         "  else\n"
         "    COMPREPLY=($(compgen -f -- \"$cur\"))\n"
         "    [[ $COMP_CWORD == 1 ]] && COMPREPLY+=($(compgen -W 'info' -- \"$cur\"))\n"
         "  fi\n"
         "}\n"
         "complete -o filenames -F _vexmark vexmark\n";
}

std::string RequestedOptionPage(const Options& options) {
  if (options.markdownOptions) return MarkdownOptionTable();
  if (options.manPage) return ManPage();
  if (options.bashCompletion) return BashCompletion();
  return "";
}

}  // namespace app
