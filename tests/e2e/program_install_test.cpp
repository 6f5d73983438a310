// The program installed under a prefix (cmake --install, as make install
// runs it): the installed program finds its module and its example
// relative to itself, a copy without a module says where it looked, and
// the manual page and the bash completion, made from the table of options,
// name every option --help lists.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "export_support.h"

namespace {

using namespace e2e;

struct Output {
  int status = -1;
  std::string text;  // stdout and stderr
};

Output Capture(const std::string& command) {
  Output output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output.text += buffer;
  const int raw = pclose(pipe);
  output.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return output;
}

// The long option names --help lists: each word that starts with "--".
std::set<std::string> HelpOptionNames(const std::string& help) {
  std::set<std::string> names;
  for (size_t at = help.find(" --"); at != std::string::npos; at = help.find(" --", at + 1)) {
    size_t end = at + 3;
    while (end < help.size() && (std::isalnum(static_cast<unsigned char>(help[end])) != 0 ||
                                 help[end] == '-'))
      ++end;
    if (end > at + 3) names.insert(help.substr(at + 1, end - at - 1));
  }
  return names;
}

class ProgramInstallTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    prefix_ = folder_ / "prefix";
    const Output install = Capture("cmake --install " + Quote(VEXMARK_BINARY_DIR) +
                                   " --prefix " + Quote(prefix_));
    ASSERT_EQ(install.status, 0) << install.text;
  }

  std::string Installed(const std::string& path) const { return prefix_ + "/" + path; }

  ScratchFolder folder_;
  std::string prefix_;
};

// The installed program exports a scene, and without one the installed
// example, from any working folder.
TEST_F(ProgramInstallTest, InstalledProgramFindsItsModuleAndExample) {
  const std::string program = Quote(Installed("bin/vexmark"));
  const std::string scene = Quote(Installed("share/vexmark/examples/still-life.gltf"));
  const Output given = Capture("cd / && " + program + " " + scene + " -q -o " +
                               Quote(folder_ / "given.svg"));
  EXPECT_EQ(given.status, 0) << given.text;
  EXPECT_TRUE(fs::exists(folder_ / "given.svg"));
  const Output bundled = Capture("cd " + Quote(folder_.Path()) + " && " + program +
                                 " -q --format png -o bundled");
  EXPECT_EQ(bundled.status, 0) << bundled.text;
  EXPECT_TRUE(fs::exists(folder_ / "bundled.png"));
}

// A copy of the program alone names the places it looked for the module.
TEST_F(ProgramInstallTest, ProgramWithoutItsModuleSaysWhereItLooked) {
  fs::create_directories(folder_ / "alone/bin");
  fs::copy_file(Installed("bin/vexmark"), folder_ / "alone/bin/vexmark");
  const Output run = Capture(Quote(folder_ / "alone/bin/vexmark") + " " +
                             Quote(Installed("share/vexmark/examples/still-life.gltf")) +
                             " -q -o " + Quote(folder_ / "none.ai"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.text.find("looked for " + (folder_ / "alone/bin/vexmark_module.so") + " and " +
                          (folder_ / "alone/lib/vexmark/vexmark_module.so")),
            std::string::npos)
      << run.text;
  EXPECT_FALSE(fs::exists(folder_ / "none.ai"));
}

// man reads the installed page, and it names every option --help lists.
TEST_F(ProgramInstallTest, ManualPageNamesEveryOption) {
  const Output man = Capture("MANWIDTH=200 man -l " + Quote(Installed("share/man/man1/vexmark.1")));
  ASSERT_EQ(man.status, 0) << man.text;
  EXPECT_NE(man.text.find("vexmark - export a 3D scene"), std::string::npos) << man.text;
  const Output help = Capture(Quote(Installed("bin/vexmark")) + " --help");
  const std::set<std::string> names = HelpOptionNames(help.text);
  EXPECT_GT(names.size(), 20u) << help.text;
  for (const std::string& name : names)
    EXPECT_NE(man.text.find(name), std::string::npos) << name << " is not in the manual page";
}

// bash's complete, with the installed script loaded, proposes option
// names, the values of choices and switches, and file names.
TEST_F(ProgramInstallTest, BashCompletesOptionsAndValues) {
  fs::create_directories(folder_ / "files");
  std::ofstream(folder_ / "files/scene.gltf") << "{}";
  const struct {
    std::string words;  // the command line so far; the last word is completed
    std::string proposals;
  } cases[] = {
      {"vexmark --form", "--format"},
      {"vexmark --format ''", "ai eps svg pdf png"},
      {"vexmark --format p", "pdf png"},
      {"vexmark --style f", "filled"},
      {"vexmark --outline ''", "on off"},
      {"vexmark --plotter o", "on off"},
      {"vexmark --plotter --pap", "--paper"},
      {"vexmark --dpi ''", ""},
      {"vexmark -o sc", "scene.gltf"},
      {"vexmark sc", "scene.gltf"},
      {"vexmark i", "info"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.words);
    const std::string script =
        "source " + Installed("share/bash-completion/completions/vexmark") +
        " && complete -p vexmark >/dev/null && COMP_WORDS=(" + c.words +
        ") && COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) && _vexmark; echo \"${COMPREPLY[*]}\"";
    const Output run =
        Capture("cd " + Quote(folder_ / "files") + " && bash -c " + Quote(script));
    EXPECT_EQ(run.status, 0) << run.text;
    EXPECT_EQ(run.text, c.proposals + "\n");
  }
}

}  // namespace
