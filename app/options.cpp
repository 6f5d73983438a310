#include "app/options.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "app/option_table.h"
#include "app/option_values.h"
#include "app/output_clash.h"
#include "host/runtime.h"

namespace app {
namespace {

// The arguments with each "--name=value" split in two; every argument from
// `firstPlain` on came after "--" and is a scene file.
struct Arguments {
  std::vector<std::string> args;
  size_t firstPlain = SIZE_MAX;
};

// "--name=value" is the same as "--name value"; after "--" every argument
// is a scene file, even one whose name starts with '-'.
bool SplitArguments(int argc, char** argv, Arguments& a, std::string& error) {
  for (int k = 1; k < argc; ++k) {
    const std::string arg = argv[k];
    const size_t equals = arg.find('=');
    if (a.firstPlain == SIZE_MAX && arg == "--") {
      a.firstPlain = a.args.size();
    } else if (a.firstPlain == SIZE_MAX && arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      const std::string name = arg.substr(0, equals);
      const std::string value = arg.substr(equals + 1);
      const OptionEntry* entry = FindOption(name);
      if (entry != nullptr && entry->kind == ValueKind::kNone) {
        error = name + " takes no value";
        return false;
      }
      bool on = false;
      if (entry != nullptr && entry->kind == ValueKind::kOptionalSwitch &&
          !ParseSwitch(value, on)) {
        error = name + ": '" + value + "' is not " + entry->notValid;
        return false;
      }
      a.args.push_back(name);
      a.args.push_back(value);
    } else {
      a.args.push_back(arg);
    }
  }
  return true;
}

template <class Value>
void Store(const Field& field, Options& o, const Value& value) {
  std::visit(
      [&](auto member) {
        if constexpr (!std::is_same_v<decltype(member), std::monostate>) {
          using Target = std::remove_reference_t<decltype(o.*member)>;
          if constexpr (std::is_assignable_v<Target&, Value>) o.*member = value;
        }
      },
      field);
}

// A value of one of the kinds with a range: stored, or `want` says what it
// is not.
bool ReadNumber(const OptionEntry& entry, const std::string& value, Options& o, std::string& want) {
  if (entry.kind == ValueKind::kWholeNumber) {
    int32_t n = 0;
    if (!ParseInt(value, n))
      want = entry.notValid;
    else if (n < entry.least || n > entry.most)
      want = entry.outOfRange;
    else
      Store(entry.field, o, std::optional<int32_t>(n));
    return want.empty();
  }
  double x = 0;
  if (!ParseReal(value, x))
    want = entry.notValid;
  else if (x < entry.least || x > entry.most)
    want = entry.outOfRange;
  else
    Store(entry.field, o, std::optional<double>(x));
  return want.empty();
}

// One of the choices by name, or (where the option has a range) by value.
bool ReadChoice(const OptionEntry& entry, const std::string& value, Options& o, std::string& want) {
  for (const Choice& choice : entry.choices) {
    if (value != choice.name) continue;
    if (std::holds_alternative<std::optional<std::string> Options::*>(entry.field))
      Store(entry.field, o, std::optional<std::string>(choice.name));
    else
      Store(entry.field, o, std::optional<int32_t>(choice.value));
    return true;
  }
  int32_t n = 0;
  if (entry.most > entry.least && ParseInt(value, n) && n >= entry.least && n <= entry.most) {
    Store(entry.field, o, std::optional<int32_t>(n));
    return true;
  }
  want = entry.notValid;
  return false;
}

// The value of an option that takes one: stored, or `want` says what it is
// not.
bool ReadValue(const OptionEntry& entry, const std::string& value, Options& o, std::string& want) {
  switch (entry.kind) {
    case ValueKind::kSwitch: {
      bool on = false;
      if (!ParseSwitch(value, on)) {
        want = entry.notValid;
        return false;
      }
      Store(entry.field, o, std::optional<bool>(on));
      return true;
    }
    case ValueKind::kWholeNumber:
    case ValueKind::kNumber:
      return ReadNumber(entry, value, o, want);
    case ValueKind::kChoice:
      return ReadChoice(entry, value, o, want);
    default:
      if (entry.parse != nullptr) return entry.parse(value, o, want);
      Store(entry.field, o, std::optional<std::string>(value));
      return true;
  }
}

// Walks the arguments and fills the options.
class ArgumentReader {
 public:
  ArgumentReader(const Arguments& a, Options& o, std::string& error)
      : args_(a.args), firstPlain_(a.firstPlain), o_(o), error_(error) {}

  bool ReadAll() {
    if (!args_.empty() && (args_[0] == "info" || args_[0] == "studio")) {
      o_.command = args_[0];
      ++i_;
    }
    for (; i_ < args_.size(); ++i_) {
      const std::string& arg = args_[i_];
      const OptionEntry* entry = i_ < firstPlain_ ? FindOption(arg) : nullptr;
      if (entry != nullptr) {
        if (!ReadOption(*entry, arg)) return false;
      } else if (i_ < firstPlain_ && !arg.empty() && arg[0] == '-') {
        error_ = "unknown option '" + arg + "' (try --help)";
        return false;
      } else if (!o_.scene.empty()) {
        error_ = "more than one scene given: '" + o_.scene + "' and '" + arg + "'";
        return false;
      } else {
        o_.scene = arg;
      }
    }
    return true;
  }

 private:
  // The option at the reader's place and its value, if it takes one.
  bool ReadOption(const OptionEntry& entry, const std::string& arg) {
    if (entry.kind == ValueKind::kNone) {
      Store(entry.field, o_, true);
      return true;
    }
    if (entry.kind == ValueKind::kOptionalSwitch) {
      // A flag, or followed by on or off.
      bool on = true;
      if (i_ + 1 < args_.size() && i_ + 1 < firstPlain_ && ParseSwitch(args_[i_ + 1], on)) ++i_;
      Store(entry.field, o_, std::optional<bool>(on));
      return true;
    }
    if (i_ + 1 >= args_.size()) {
      error_ = arg + " needs a value";
      return false;
    }
    const std::string& value = args_[++i_];
    std::string want;
    if (ReadValue(entry, value, o_, want)) return true;
    error_ = arg + ": '" + value + "' is not " + want;
    return false;
  }

  const std::vector<std::string>& args_;
  const size_t firstPlain_;
  Options& o_;
  std::string& error_;
  size_t i_ = 0;
};

// The thread count that the environment sets, when --threads does not:
// a value the program cannot use is a mistake to report, not to ignore.
bool ThreadsVariableUsable(std::string& error) {
  const char* value = std::getenv(host::kThreadsVariable);
  if (value == nullptr || *value == '\0') return true;
  int32_t count = 0;
  if (ParseInt(value, count) && count >= 1 && count <= host::kMaxThreads) return true;
  error = std::string(host::kThreadsVariable) + ": '" + value +
          "' is not a whole number from 1 to " + std::to_string(host::kMaxThreads);
  return false;
}

bool FrameRangeInOrder(const Options& o, std::string& error) {
  if (!o.fromFrame || !o.toFrame || *o.fromFrame <= *o.toFrame) return true;
  error = "--from " + std::to_string(*o.fromFrame) + " is after --to " +
          std::to_string(*o.toFrame) + ": the frame range starts after it ends";
  return false;
}

bool MarginFitsSheet(const Options& o, std::string& error) {
  if (!o.paper || !o.margin || (*o.paper)[0] <= 0 ||
      2 * *o.margin < std::min((*o.paper)[0], (*o.paper)[1]))
    return true;
  std::ostringstream sheet;
  sheet << (*o.paper)[0] << " x " << (*o.paper)[1];
  std::ostringstream margin;
  margin << *o.margin;
  error = "--margin: '" + margin.str() + "' mm leaves no room on a " + sheet.str() + " mm sheet";
  return false;
}

// Each file once, already here for the names the command line gives:
// two -o, or -o and --save-scene, naming one file would write it twice.
bool OutputsDistinct(const Options& o, std::string& error) {
  std::vector<PlannedFile> files;
  for (const std::string& name : OutputNames(o)) files.push_back({DrawingPath(name)});
  if (o.saveScene) files.push_back({*o.saveScene});
  const std::string shared = SharedOutput(files, 0);
  if (shared.empty()) return true;
  error = SharedOutputError(shared);
  return false;
}

// What the options ask for together, once each is read.
bool OptionsAgree(const Options& o, std::string& error) {
  if (!FrameRangeInOrder(o, error)) return false;
  if (!o.threads && !o.help && !o.version && o.command.empty() && !ThreadsVariableUsable(error))
    return false;
  if (!MarginFitsSheet(o, error) || !OutputsDistinct(o, error)) return false;
  if (o.command == "info" && o.scene.empty() && !o.help) {
    error = "info needs a scene file";
    return false;
  }
  return true;
}

}  // namespace

std::string DrawingSuffix(const std::string& chosen) {
  std::string suffix = std::filesystem::path(chosen).extension().string();
  for (char& c : suffix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* known : {".eps", ".svg", ".pdf", ".png"})
    if (suffix == known) return suffix;
  return ".ai";
}

std::string DrawingPath(const std::string& chosen) {
  return std::filesystem::path(chosen).replace_extension(DrawingSuffix(chosen)).string();
}

std::vector<std::string> SuffixNotices(const Options& options) {
  std::vector<std::string> notices;
  for (const std::string& name : OutputNames(options)) {
    const std::string suffix = std::filesystem::path(name).extension().string();
    if (suffix.empty() || DrawingSuffix(name) != ".ai" || suffix == ".ai") continue;
    notices.push_back("-o " + name + ": " + suffix + " is not a drawing format; the drawing goes to " +
                      DrawingPath(name));
  }
  return notices;
}

std::vector<std::string> OutputNames(const Options& o) {
  std::vector<std::string> names;
  for (const std::string& name : o.outputs) {
    std::string own = std::filesystem::path(name).extension().string();
    for (char& c : own) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const bool hasDrawingSuffix = own == ".ai" || own == DrawingSuffix(name);
    if (o.format && (o.outputs.size() == 1 || !hasDrawingSuffix))
      names.push_back(std::filesystem::path(name).replace_extension("." + *o.format).string());
    else
      names.push_back(name);
  }
  return names;
}

std::string UsageText() {
  return "usage: vexmark [SCENE] [options]\n"
         "       vexmark info SCENE\n"
         "       vexmark studio [SCENE] [options] [--port N] [--open]\n"
         "\n"
         "Exports the scene (the bundled example when none is given) as a hidden-line\n"
         "drawing, one file per frame. Options not given keep what the scene stored\n"
         "from its last export, else the defaults. The studio serves a local page to\n"
         "aim, tune and preview the drawing live, and prints its address.\n"
         "\n" +
         HelpOptionRows();
}

bool ParseOptions(int argc, char** argv, Options& o, std::string& error) {
  Arguments arguments;
  if (!SplitArguments(argc, argv, arguments, error)) return false;
  if (!ArgumentReader(arguments, o, error).ReadAll()) return false;
  return OptionsAgree(o, error);
}

}  // namespace app
