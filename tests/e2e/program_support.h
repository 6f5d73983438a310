// Runs the vexmark program as a user would and collects what it said.
#pragma once

#include <sys/wait.h>

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

// Runs the program with `args` in `folder`, stdin from /dev/null.
inline ProgramRun RunProgram(const std::vector<std::string>& args,
                             const std::filesystem::path& folder) {
  const std::filesystem::path out = folder / "stdout.txt";
  const std::filesystem::path err = folder / "stderr.txt";
  std::string command = "cd " + Quote(folder.string()) + " && " + Quote(VEXMARK_PROGRAM_PATH);
  for (const std::string& arg : args) command += " " + Quote(arg);
  command += " < /dev/null > " + Quote(out.string()) + " 2> " + Quote(err.string());
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadWhole(out);
  run.err = ReadWhole(err);
  return run;
}
