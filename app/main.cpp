// vexmark: the command-line program. It loads the export module through its
// entry point, loads the scene, runs the module's export command (which opens
// its dialog), sets the dialog's gadgets from the options, presses export and
// runs the host's event loop until the end-of-job event.
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "app/dialog_options.h"
#include "app/options.h"
#include "app/printable.h"
#include "app/progress_display.h"
#include "app/scene_setup.h"
#include "host/api/vexmark_ids.h"
#include "host/module_loader.h"
#include "host/runtime.h"
#include "host/ui.h"

namespace {

namespace fs = std::filesystem;

constexpr int kExitWritten = 0;
constexpr int kExitNotWritten = 1;
constexpr int kExitUsage = 2;

// Posted when Ctrl-C is pressed, to wake the event loop at once.
constexpr int32_t kInterruptEvent = 1;

// Takes Ctrl-C while it lives: the signal is blocked in this thread and in
// every thread started after it, and a thread of its own waits for it and
// wakes the event loop, so that the stop is asked for while the frame in
// progress still runs. A second Ctrl-C leaves at once.
class InterruptWatcher {
 public:
  InterruptWatcher() {
    sigemptyset(&interrupt_);
    sigaddset(&interrupt_, SIGINT);
    pthread_sigmask(SIG_BLOCK, &interrupt_, &previous_);
    watcher_ = std::thread([this] { Watch(); });
  }
  ~InterruptWatcher() {
    done_ = true;
    watcher_.join();
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  InterruptWatcher(const InterruptWatcher&) = delete;
  InterruptWatcher& operator=(const InterruptWatcher&) = delete;

  bool Interrupted() const { return count_ > 0; }

 private:
  void Watch() {
    const timespec tick{0, 20 * 1000 * 1000};
    while (!done_) {
      if (sigtimedwait(&interrupt_, nullptr, &tick) != SIGINT) continue;
      if (++count_ >= 2) _exit(130);
      host::Table()->postSpecialEvent(kInterruptEvent, 0, 0);
    }
  }

  sigset_t interrupt_;
  sigset_t previous_;
  std::atomic<bool> done_{false};
  std::atomic<int> count_{0};
  std::thread watcher_;
};

fs::path ProgramFolder() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::current_path() : self.parent_path();
}

int Fail(int status, const std::string& message) {
  std::cerr << "vexmark: " << app::Printable(message) << "\n";
  return status;
}

// Answers the overwrite question: --yes, else the user at a terminal, else no.
int32_t AnswerQuestion(const std::string& text, bool yes, bool& declined) {
  if (yes) return 6;
  if (isatty(STDIN_FILENO) && isatty(STDERR_FILENO)) {
    std::cerr << text << " [y/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    if (!answer.empty() && (answer[0] == 'y' || answer[0] == 'Y')) return 6;
  }
  declined = true;
  return 7;
}

// The drawings that an export to `chosen` would replace: the file itself
// for one frame; for a range, the numbered files "<name>-<n>.ai" beside it.
std::vector<std::string> ExistingDrawings(const std::string& chosen, bool range) {
  std::vector<std::string> found;
  std::error_code error;
  if (chosen.empty()) return found;
  const fs::path file = fs::path(chosen).replace_extension(".ai");
  if (!range) {
    if (fs::exists(file, error)) found.push_back(file.string());
    return found;
  }
  const std::string prefix = file.stem().string() + "-";
  for (const auto& entry : fs::directory_iterator(file.parent_path(), error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() <= prefix.size() + 3 || name.compare(0, prefix.size(), prefix) != 0 ||
        entry.path().extension() != ".ai")
      continue;
    const std::string number = name.substr(prefix.size(), name.size() - prefix.size() - 3);
    if (number.find_first_not_of("0123456789") == std::string::npos)
      found.push_back(entry.path().string());
  }
  return found;
}

// Whether the folder that `output` names exists, so that the export can
// write there; otherwise `error` says what is wrong with it.
bool OutputFolderUsable(const std::string& output, std::string& error) {
  const fs::path folder = fs::absolute(output).parent_path();
  std::error_code ignored;
  if (fs::is_directory(folder, ignored)) return true;
  error = "cannot write " + output + ": " +
          (fs::exists(folder, ignored) ? folder.string() + " is not a folder"
                                       : "there is no folder " + folder.string());
  return false;
}

// Runs one export through the module; returns the exit status.
int RunExport(const app::Options& options) {
  const fs::path folder = ProgramFolder();
  std::string error;
  const std::string scenePath =
      options.scene.empty() ? app::BundledExample(folder.string()) : options.scene;
  if (scenePath.empty())
    return Fail(kExitUsage, "no scene given and the bundled example is not installed");
  HostDocument* doc = app::LoadSceneFile(scenePath, error);
  if (doc == nullptr) return Fail(kExitUsage, error);
  host::SetActiveDocument(doc);
  if (!app::ApplySceneOptions(options, *doc, error)) return Fail(kExitUsage, error);
  if (options.output && !OutputFolderUsable(*options.output, error))
    return Fail(kExitNotWritten, error);

  const std::string modulePath = (folder / "vexmark_module.so").string();
  std::unique_ptr<host::LoadedModule> module = host::LoadedModule::Load(modulePath, error);
  if (module == nullptr) return Fail(kExitNotWritten, error);
  if (module->Init() != 1) return Fail(kExitNotWritten, "the module refused this host");
  if (module->Start() != 1) {
    module->End();
    return Fail(kExitNotWritten, "the module could not start (are its resources beside it?)");
  }
  if (!app::ApplyTagOptions(options, *doc, error)) {
    module->End();
    return Fail(kExitUsage, error);
  }

  bool declined = false;
  host::SetMessageBoxAnswer([&](const std::string& text, int32_t) {
    return AnswerQuestion(text, options.yes, declined);
  });
  // Asks before an export replaces drawings that the dialog does not ask
  // about itself: those of a proposed name, and the numbered files of a
  // range.
  HostDialog* dialog = nullptr;
  const auto mayReplace = [&](const std::string& chosen) {
    const std::vector<std::string> existing =
        ExistingDrawings(chosen, dialog != nullptr && app::ExportsFrameRange(dialog));
    if (existing.empty()) return true;
    const std::string question = existing.size() == 1
                                     ? existing[0] + " exists. Replace it?"
                                     : std::to_string(existing.size()) + " drawings like " +
                                           existing[0] + " exist. Replace them?";
    return AnswerQuestion(question, options.yes, declined) != 7;
  };
  // Without -o the dialog proposes a name; the program takes it.
  host::SetSaveSelector(
      [&](const std::string&, const std::string& preset) -> std::optional<std::string> {
        if (!mayReplace(preset)) return std::nullopt;
        return preset;
      });

  app::ProgressDisplay display(options.quiet                  ? app::ProgressDisplay::Mode::kQuiet
                               : isatty(STDERR_FILENO) != 0 ? app::ProgressDisplay::Mode::kBar
                                                             : app::ProgressDisplay::Mode::kLines);
  host::SetStatusListener([&](const host::StatusState& status) { display.Show(status); });

  bool ended = false;
  const int32_t token = host::AddEventListener([&](const host::SpecialEvent& e) {
    if (e.id == kVexmarkCommandId) ended = true;
  });
  int status = kExitNotWritten;
  if (!host::ExecuteCommand(kVexmarkCommandId)) {
    error = "the export dialog did not open";
  } else {
    dialog = host::FindOpenDialog(kVexmarkCommandId);
    // Started before the export's thread, so that the thread leaves Ctrl-C
    // to it.
    InterruptWatcher interrupts;
    if (!app::ApplyDialogOptions(options, dialog, error)) {
      status = kExitUsage;
    } else if ((app::ExportsFrameRange(dialog) && !mayReplace(app::ChosenOutput(dialog))) ||
               !app::PressExport(dialog)) {
      error = declined ? "the output file exists; not replaced (use --yes to replace it)"
                       : "the export did not start";
    } else {
      bool stopAsked = false;
      while (!ended) {
        host::WaitAndDeliverEvents(100);
        if (interrupts.Interrupted() && !stopAsked) {
          host::UserClick(dialog, kGadgetCancel);  // the dialog's stop command
          stopAsked = true;
          display.Finish();
          if (!options.quiet)
            std::cerr << "vexmark: stopping after the current frame (Ctrl-C again to quit now)\n";
        }
      }
      display.Finish();
      const std::vector<std::string> written = host::WrittenFiles();
      if (!options.quiet)
        for (const std::string& file : written) std::cout << file << "\n";
      if (written.empty()) {
        error = "no drawing was written";
      } else if (stopAsked) {
        error = "stopped; " + std::to_string(written.size()) + " complete file(s) written";
      } else {
        status = kExitWritten;
      }
    }
  }
  host::RemoveEventListener(token);
  host::SetStatusListener(nullptr);

  if (options.saveScene && !app::SaveSceneFile(*host::ActiveDocument(), *options.saveScene, error))
    status = kExitNotWritten;
  module->End();
  if (status != kExitWritten) return Fail(status, error);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  app::Options options;
  std::string error;
  if (!app::ParseOptions(argc, argv, options, error)) return Fail(kExitUsage, error);
  if (options.help) {
    std::cout << app::UsageText();
    return 0;
  }
  if (options.version) {
    std::cout << "vexmark " << VEXMARK_VERSION << "\n";
    return 0;
  }
  if (options.command == "info") return app::PrintSceneInfo(options.scene, std::cout, std::cerr);
  return RunExport(options);
}
