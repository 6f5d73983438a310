// Runs the vexmark program as a user would and collects what it said.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
  std::vector<std::string> ErrLines() const {
    std::vector<std::string> lines;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
};

inline std::string Quote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

inline std::string ReadWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs the program with `args` in `folder`, stdin from /dev/null. `shell`
// runs in the same shell first (limits such as "ulimit -f 8").
inline ProgramRun RunProgram(const std::vector<std::string>& args,
                             const std::filesystem::path& folder, const std::string& shell = "") {
  const std::filesystem::path out = folder / "stdout.txt";
  const std::filesystem::path err = folder / "stderr.txt";
  std::string command = "cd " + Quote(folder.string()) + " && " +
                        (shell.empty() ? "" : shell + "; ") + "exec " + Quote(VEXMARK_PROGRAM_PATH);
  for (const std::string& arg : args) command += " " + Quote(arg);
  command += " < /dev/null > " + Quote(out.string()) + " 2> " + Quote(err.string());
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadWhole(out);
  run.err = ReadWhole(err);
  return run;
}

// The program running in the background, for tests that signal it.
class RunningProgram {
 public:
  // Starts the program with `args` in `folder`, stdin from /dev/null,
  // output into stdout.txt and stderr.txt there.
  RunningProgram(const std::vector<std::string>& args, const std::filesystem::path& folder)
      : folder_(folder) {
    pid_ = ::fork();
    if (pid_ != 0) return;
    if (::chdir(folder.c_str()) != 0) ::_exit(127);
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) ::_exit(127);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<char*> argv{const_cast<char*>(VEXMARK_PROGRAM_PATH)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(VEXMARK_PROGRAM_PATH, argv.data());
    ::_exit(127);
  }
  ~RunningProgram() {
    if (pid_ > 0 && !finished_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool Started() const { return pid_ > 0; }
  void Signal(int signal) const { ::kill(pid_, signal); }

  // Waits up to `seconds` for the program to end; false when it did not
  // (it is then killed). `run` gets the exit status and what it said.
  bool Wait(double seconds, ProgramRun& run) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int raw = 0;
    while (::waitpid(pid_, &raw, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      ::usleep(10000);
    }
    finished_ = true;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
    run.out = ReadWhole(folder_ / "stdout.txt");
    run.err = ReadWhole(folder_ / "stderr.txt");
    return true;
  }

 private:
  std::filesystem::path folder_;
  pid_t pid_ = -1;
  bool finished_ = false;
};

// True when the program said, in one line of its own, something with `words`.
inline ::testing::AssertionResult SaysInOneLine(const ProgramRun& run, const std::string& words) {
  const std::vector<std::string> lines = run.ErrLines();
  if (lines.size() != 1 || lines[0].rfind("vexmark: ", 0) != 0 ||
      lines[0].find(words) == std::string::npos)
    return ::testing::AssertionFailure() << "stderr: " << run.err;
  return ::testing::AssertionSuccess();
}

// A test with a fresh folder of its own to run the program in, removed after.
class ProgramFolderTest : public ::testing::Test {
 protected:
  explicit ProgramFolderTest(const std::string& kind)
      : folder_(std::filesystem::temp_directory_path() /
                ("vexmark-" + kind + "-" + std::to_string(::getpid()))) {}
  void SetUp() override { std::filesystem::create_directories(folder_); }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  const std::filesystem::path folder_;
};
