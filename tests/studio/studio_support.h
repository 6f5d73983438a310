// The studio as a user starts it: `vexmark studio SCENE` in a folder of its
// own, its address read from the one line it prints, and HTTP clients that
// carry its token.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "e2e/program_support.h"

using Json = nlohmann::ordered_json;

class StudioProcess {
 public:
  // Starts the studio on `scene` (a file in `folder`) with further `args`;
  // Ready() says whether it printed its address within `seconds`.
  StudioProcess(const std::filesystem::path& folder, const std::string& scene,
                const std::vector<std::string>& args = {}, double seconds = 60)
      : folder_(folder), program_(Arguments(scene, args), folder) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    const std::regex line(R"(^Vexmark studio: http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]+)\n$)");
    while (std::chrono::steady_clock::now() < deadline) {
      firstLine_ = ReadWhole(folder / "stdout.txt");
      std::smatch match;
      if (std::regex_match(firstLine_, match, line)) {
        port_ = std::stoi(match[1]);
        token_ = match[2];
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  bool Ready() const { return port_ > 0; }
  int Port() const { return port_; }
  const std::string& Token() const { return token_; }
  const std::string& PrintedLine() const { return firstLine_; }
  RunningProgram& Program() { return program_; }

  // A client of the studio (its Host header names 127.0.0.1:PORT).
  httplib::Client Client() const {
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(120, 0);
    return client;
  }
  // `path` with the token as its query parameter.
  std::string WithToken(const std::string& path) const {
    return path + (path.find('?') == std::string::npos ? "?" : "&") + "token=" + token_;
  }

  httplib::Result Get(const std::string& path) const { return Client().Get(WithToken(path)); }
  httplib::Result Put(const std::string& path, const Json& body) const {
    return Client().Put(WithToken(path), body.dump(), "application/json");
  }
  httplib::Result Post(const std::string& path, const Json& body) const {
    return Client().Post(WithToken(path), body.dump(), "application/json");
  }
  Json GetJson(const std::string& path) const {
    const auto result = Get(path);
    return result ? Json::parse(result->body, nullptr, false) : Json();
  }

 private:
  static std::vector<std::string> Arguments(const std::string& scene,
                                            const std::vector<std::string>& args) {
    std::vector<std::string> all = {"studio", scene};
    all.insert(all.end(), args.begin(), args.end());
    return all;
  }

  std::filesystem::path folder_;
  RunningProgram program_;
  std::string firstLine_;
  int port_ = 0;
  std::string token_;
};

// A fresh folder holding a copy of a bundled example scene.
inline std::filesystem::path SceneFolderWith(const std::string& kind, const std::string& example) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("vexmark-studio-" + kind + "-" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(std::string(VEXMARK_SOURCE_DIR) + "/examples/" + example,
                             folder / example);
  return folder;
}

// The command-line arguments that give `settings` (GET /api/settings).
inline std::vector<std::string> SettingArgs(const Json& settings) {
  std::vector<std::string> args;
  for (const auto& [name, value] : settings.items()) {
    if (value.get<std::string>().empty()) continue;
    args.push_back("--" + name);
    args.push_back(value.get<std::string>());
  }
  return args;
}

// The drawing the command line writes in `folder` for frame `frame` of
// `scene` with `args` (GET /api/settings as SettingArgs gives them, say),
// into the file `name`; empty when the run fails.
inline std::string CommandLineDrawing(const std::filesystem::path& folder, const std::string& scene,
                                      std::vector<std::string> args, int frame,
                                      const std::string& name) {
  args.insert(args.begin(), scene);
  for (const std::string& arg : {std::string("--from"), std::to_string(frame), std::string("--to"),
                                 std::to_string(frame), std::string("-o"), name, std::string("-q")})
    args.push_back(arg);
  const ProgramRun run = RunProgram(args, folder);
  EXPECT_EQ(run.status, 0) << run.err;
  return run.status == 0 ? ReadWhole(folder / name) : "";
}

// One studio on a fresh copy of a bundled example, started for each test;
// `Drawing` is its current drawing (a failed answer fails the test).
class StudioOnExample : public ::testing::Test {
 protected:
  StudioOnExample(std::string kind, std::string example)
      : kind_(std::move(kind)), example_(std::move(example)) {}
  void SetUp() override {
    folder_ = SceneFolderWith(kind_, example_);
    studio_ = std::make_unique<StudioProcess>(folder_, example_);
    ASSERT_TRUE(studio_->Ready()) << studio_->PrintedLine();
  }
  void TearDown() override {
    studio_.reset();
    std::filesystem::remove_all(folder_);
  }

  std::string Drawing() const {
    const auto result = studio_->Get("/api/drawing.svg");
    EXPECT_TRUE(result && result->status == 200) << (result ? result->body : "no answer");
    return result ? result->body : "";
  }

  std::string kind_, example_;
  std::filesystem::path folder_;
  std::unique_ptr<StudioProcess> studio_;
};

// The files of a folder, by name.
inline std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}
