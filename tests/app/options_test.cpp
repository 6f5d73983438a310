// The command line read through the option table: every option lands in the
// field the table names, each spelling and each refusal reads as the
// program has always printed it, and the README's option table is the one
// the table generates.
#include "app/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/option_table.h"

namespace {

struct Parsed {
  bool ok = false;
  app::Options options;
  std::string error;
};

Parsed Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "vexmark");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  Parsed parsed;
  parsed.ok =
      app::ParseOptions(static_cast<int>(argv.size()), argv.data(), parsed.options, parsed.error);
  return parsed;
}

class OptionsTest : public ::testing::Test {
 protected:
  // The variable would be checked by every parse that does not set --threads.
  void SetUp() override { unsetenv("VEXMARK_THREADS"); }
};

// A value the option takes, for the kinds whose form the table gives.
std::string GoodValue(const app::OptionEntry& entry) {
  switch (entry.kind) {
    case app::ValueKind::kSwitch:
      return "off";
    case app::ValueKind::kWholeNumber:
      return std::to_string(static_cast<int64_t>(std::max(entry.least, std::min(entry.most, 7.0))));
    case app::ValueKind::kNumber:
      return "0.5";
    case app::ValueKind::kChoice:
      return entry.choices.back().name;
    default:
      return "";
  }
}

// Whether the field holds a value after the parse.
bool FieldSet(const app::Field& field, const app::Options& o) {
  return std::visit(
      [&](auto member) {
        if constexpr (std::is_same_v<decltype(member), std::monostate>) {
          return false;
        } else {
          const auto& value = o.*member;
          if constexpr (std::is_same_v<std::decay_t<decltype(value)>, bool>)
            return value;
          else if constexpr (std::is_same_v<std::decay_t<decltype(value)>,
                                            std::vector<std::string>>)
            return !value.empty();
          else
            return value.has_value();
        }
      },
      field);
}

// A table entry whose kind and field do not match would read its value and
// drop it; the dialog filler sets only whole numbers, switches and numbers.
TEST_F(OptionsTest, EveryOptionLandsInItsField) {
  const std::vector<std::pair<std::string, std::string>> ownForms = {
      {"--output", "out.svg"},      {"--size", "640x480"},     {"--preset", "1920x1080"},
      {"--line-color", "#FF8000"},  {"--paper", "A4"},         {"--camera", "Camera"},
      {"--tag", "Cube:outline=on"}, {"--save-scene", "s.vxm"},
  };
  for (const app::OptionEntry& entry : app::OptionTable()) {
    std::vector<std::string> args = {entry.name};
    const std::string value = GoodValue(entry);
    if (!value.empty()) args.push_back(value);
    for (const auto& [name, form] : ownForms)
      if (name == entry.name) args.push_back(form);
    const Parsed parsed = Parse(args);
    ASSERT_TRUE(parsed.ok) << entry.name << ": " << parsed.error;
    if (entry.parse == nullptr) {
      EXPECT_TRUE(FieldSet(entry.field, parsed.options)) << entry.name;
    } else {
      EXPECT_TRUE(std::holds_alternative<std::monostate>(entry.field)) << entry.name;
    }
    if (entry.gadget != 0) {
      EXPECT_TRUE((std::holds_alternative<std::optional<int32_t> app::Options::*>(entry.field) ||
                   std::holds_alternative<std::optional<bool> app::Options::*>(entry.field) ||
                   std::holds_alternative<std::optional<double> app::Options::*>(entry.field)))
          << entry.name;
    }
    EXPECT_EQ(app::FindOption(entry.name), &entry);
  }
}

TEST_F(OptionsTest, SpellingsOfOneOption) {
  const Parsed joined = Parse({"--fps=12", "--style=filled", "--plotter=off", "-y", "-q"});
  ASSERT_TRUE(joined.ok) << joined.error;
  EXPECT_EQ(joined.options.fps, 12);
  EXPECT_EQ(joined.options.style, 10037);
  EXPECT_EQ(joined.options.plotter, false);
  EXPECT_TRUE(joined.options.yes && joined.options.quiet);

  // --plotter alone means on and leaves a following scene alone; a style
  // may be given by its value.
  const Parsed flag = Parse({"--plotter", "scene.gltf", "--style", "10035", "-h"});
  ASSERT_TRUE(flag.ok) << flag.error;
  EXPECT_EQ(flag.options.plotter, true);
  EXPECT_EQ(flag.options.scene, "scene.gltf");
  EXPECT_EQ(flag.options.style, 10035);
  EXPECT_TRUE(flag.options.help);

  // After "--" every argument is the scene, and "=" splits nothing there.
  const Parsed plain = Parse({"-o", "a.svg", "--", "--x=1"});
  ASSERT_TRUE(plain.ok) << plain.error;
  EXPECT_EQ(plain.options.scene, "--x=1");
  EXPECT_EQ(plain.options.outputs, std::vector<std::string>{"a.svg"});

  const Parsed info = Parse({"info", "scene.gltf"});
  ASSERT_TRUE(info.ok) << info.error;
  EXPECT_EQ(info.options.command, "info");
}

// The lines the program has always printed for a value it cannot use.
TEST_F(OptionsTest, RefusalsKeepTheirWording) {
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"--fps", "0"}, "--fps: '0' is not at least 1"},
      {{"--fps", "x"}, "--fps: 'x' is not a whole number"},
      {{"--fps"}, "--fps needs a value"},
      {{"--style", "cubist"}, "--style: 'cubist' is not edges, visible, lines or filled"},
      {{"--style", "10038"}, "--style: '10038' is not edges, visible, lines or filled"},
      {{"--format", "tiff"}, "--format: 'tiff' is not ai, eps, svg, pdf or png"},
      {{"--back-faces", "x"}, "--back-faces: 'x' is not drop or keep"},
      {{"--threads", "257"}, "--threads: '257' is not a whole number from 1 to 256"},
      {{"--max-triangles", "0"}, "--max-triangles: '0' is not a whole number from 1 to 2000000000"},
      {{"--dpi", "7201"}, "--dpi: '7201' is not a whole number from 1 to 7200"},
      {{"--yes=1"}, "--yes takes no value"},
      {{"--plotter=maybe"}, "--plotter: 'maybe' is not on or off"},
      {{"--outline", "maybe"}, "--outline: 'maybe' is not on or off"},
      {{"--crease-angle", "270"}, "--crease-angle: '270' is not an angle from 0 to 180 degrees"},
      {{"--brightness", "x"}, "--brightness: 'x' is not a number"},
      {{"--brightness", "2"}, "--brightness: '2' is not between 0 and 1"},
      {{"--margin", "-1"}, "--margin: '-1' is not a number from 0 to 100000"},
      {{"--line-width", "21"}, "--line-width: '21' is not between 0 and 20"},
      {{"-o", ""}, "-o: '' is not a file name"},
      {{"--size", "100"}, "--size: '100' is not a size like 1920x1080 (1 to 100000 each)"},
      {{"--paper", "B5"},
       "--paper: 'B5' is not A4, A3, letter, none or a size like 200x300mm (each side from 10 "
       "to 5080 mm)"},
      {{"--line-color", "red"}, "--line-color: 'red' is not a colour like #FF8000"},
      {{"--tag", "nocolon"}, "--tag: 'nocolon' is not OBJECT:key=value,..."},
      {{"--frobnicate=2"}, "unknown option '--frobnicate' (try --help)"},
      {{"-"}, "unknown option '-' (try --help)"},
      {{"--", "-x", "-y"}, "more than one scene given: '-x' and '-y'"},
      {{"info"}, "info needs a scene file"},
      {{"--from", "3", "--to", "1"},
       "--from 3 is after --to 1: the frame range starts after it ends"},
      {{"--paper", "A4", "--margin", "105"},
       "--margin: '105' mm leaves no room on a 210 x 297 mm sheet"},
  };
  for (const auto& c : cases) {
    const Parsed parsed = Parse(c.args);
    EXPECT_FALSE(parsed.ok) << c.error;
    EXPECT_EQ(parsed.error, c.error);
  }
}

// The README's option table is the one the option table generates: run
// `build/vexmark --markdown-options` and paste its output over it.
TEST(OptionTableTest, ReadmeShowsTheGeneratedTable) {
  std::ifstream file(std::string(VEXMARK_SOURCE_DIR) + "/README.md");
  ASSERT_TRUE(file.good());
  std::string line, table;
  bool inside = false;
  while (std::getline(file, line)) {
    if (line == "| option | meaning |") inside = true;
    if (inside && line.empty()) break;
    if (inside) table += line + "\n";
  }
  EXPECT_EQ(table, app::MarkdownOptionTable());
}

}  // namespace
