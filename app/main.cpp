// vexmark: the command-line program. It loads the export module through its
// entry point, loads the scene, runs the module's export command (which opens
// its dialog), sets the dialog's gadgets from the options, presses export and
// runs the host's event loop until the end-of-job event.
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "app/diagnostic_lines.h"
#include "app/dialog_options.h"
#include "app/export_checks.h"
#include "app/export_files.h"
#include "app/heap_settings.h"
#include "app/module_start.h"
#include "app/option_table.h"
#include "app/install_layout.h"
#include "app/option_pages.h"
#include "app/options.h"
#include "app/output_clash.h"
#include "app/printable.h"
#include "app/progress_display.h"
#include "app/standard_output.h"
#include "app/scene_setup.h"
#include "app/studio/studio_server.h"
#include "host/api/vexmark_ids.h"
#include "host/memory_reserve.h"
#include "host/module_loader.h"
#include "host/runtime.h"
#include "host/temporary_files.h"
#include "host/ui.h"

namespace {

namespace fs = std::filesystem;

constexpr int kExitWritten = 0;
constexpr int kExitNotWritten = 1;
constexpr int kExitUsage = 2;

// Posted when Ctrl-C is pressed, to wake the event loop at once.
constexpr int32_t kInterruptEvent = 1;

// True while the program waits for the user's answer at the terminal.
std::atomic<bool> gAsking{false};

// Takes Ctrl-C, SIGTERM and SIGHUP while it lives: the signals are blocked in
// this thread and in every thread started after it, and a thread of its own
// waits for them. The first Ctrl-C during an export wakes the event loop, so
// that the stop is asked for while the frame in progress still runs; any
// other of these signals (a second Ctrl-C, Ctrl-C outside an export or at a
// question, SIGTERM, SIGHUP) removes the temporary files still open and ends the program at once
// with status 128 + the signal's number.
class InterruptWatcher {
 public:
  InterruptWatcher() {
    sigemptyset(&signals_);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals_, signal);
    pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
    watcher_ = std::thread([this] { Watch(); });
  }
  ~InterruptWatcher() {
    done_ = true;
    watcher_.join();
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  InterruptWatcher(const InterruptWatcher&) = delete;
  InterruptWatcher& operator=(const InterruptWatcher&) = delete;

  // While an export runs, the first Ctrl-C asks it to stop.
  void SetExporting(bool exporting) { exporting_ = exporting; }
  bool Interrupted() const { return count_ > 0; }

 private:
  void Watch() {
    const timespec tick{0, 20 * 1000 * 1000};
    while (!done_) {
      const int signal = sigtimedwait(&signals_, nullptr, &tick);
      if (signal <= 0) continue;
      if (signal == SIGINT && exporting_ && !gAsking && ++count_ == 1) {
        host::Table()->postSpecialEvent(kInterruptEvent, 0, 0);
        continue;
      }
      host::RemoveTemporaryFilesForExit();
      _exit(128 + signal);
    }
  }

  sigset_t signals_;
  sigset_t previous_;
  std::atomic<bool> done_{false};
  std::atomic<bool> exporting_{false};
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
  if (yes) return kMessageAnswerYes;
  if (isatty(STDIN_FILENO) && isatty(STDERR_FILENO)) {
    std::cerr << text << " [y/N] " << std::flush;
    std::string answer;
    gAsking = true;
    std::getline(std::cin, answer);
    gAsking = false;
    if (!answer.empty() && (answer[0] == 'y' || answer[0] == 'Y')) return kMessageAnswerYes;
  }
  declined = true;
  return kMessageAnswerNo;
}

// Whether the scene may be saved to `target`: never over anything but an
// ordinary file, never over the scene being read, and over another
// existing file only with --yes or the user's yes at a terminal.
bool SceneSaveAllowed(const std::string& scene, const std::string& target, bool yes,
                      std::string& error) {
  bool exists = false;
  const std::string refusal = app::SceneSaveRefusal(scene, target, exists);
  if (!refusal.empty()) {
    error = "--save-scene: " + refusal;
    return false;
  }
  if (!exists) return true;
  bool declined = false;
  if (AnswerQuestion(target + " exists. Replace it?", yes, declined) == kMessageAnswerNo) {
    error = "--save-scene: " + target + " exists; not replaced (use --yes to replace it)";
    return false;
  }
  host::AllowReplacing(target);
  return true;
}

// For a frame range, the line that says how many drawings it gives: the
// export rate is the dialog's (12 per second unless set), not the scene's.
std::string FrameCountLine(const HostDialog* dialog, const HostDocument& doc) {
  const int64_t from = host::GadgetInt(dialog, kGadgetFromFrame).value_or(0);
  const int64_t to = host::GadgetInt(dialog, kGadgetToFrame).value_or(0);
  if (to <= from) return "";
  const int64_t* stored = doc.settings.Find<int64_t>(kDocFps);
  const int64_t fps = stored != nullptr && *stored > 0 ? *stored : kDefaultDocumentFps;
  return "vexmark: frames " + std::to_string(from) + " to " + std::to_string(to) + " of a scene at " +
         std::to_string(fps) + " frames per second, exported at " +
         std::to_string(host::GadgetInt(dialog, kGadgetFrameRate).value_or(1)) +
         " per second (--fps): " + std::to_string(app::FramesToWrite(dialog, doc)) + " drawing(s)\n";
}

// What one export run holds from step to step.
struct ExportRun {
  explicit ExportRun(const app::Options& o) : options(o) {}

  const app::Options& options;
  fs::path folder;  // the program's
  std::string scenePath;
  HostDocument* doc = nullptr;
  std::unique_ptr<host::LoadedModule> module;
  HostDialog* dialog = nullptr;  // the export dialog, once open
  bool declined = false;         // the user said no to replacing a file
  bool ended = false;            // the end-of-job event came
  std::string shared;  // the file two outputs would both write, found for the proposed name
  std::string error;
  int status = kExitNotWritten;

  bool Refuse(int exitStatus) {
    status = exitStatus;
    return false;
  }
};

// The scene, read while the program still runs one thread: the import
// forks a child, and a fork copies only the calling thread, so a lock that
// another thread held at that moment would stay locked in the child. A
// Ctrl-C here ends both at once, and nothing has been written yet.
bool LoadScene(ExportRun& run) {
  run.folder = ProgramFolder();
  run.scenePath =
      run.options.scene.empty() ? app::BundledExample(run.folder.string()) : run.options.scene;
  if (run.scenePath.empty()) {
    run.error = "no scene given and the bundled example is not installed";
    return run.Refuse(kExitUsage);
  }
  int loadStatus = kExitUsage;
  run.doc = app::LoadSceneFile(run.scenePath, run.options, run.error, loadStatus, std::cerr);
  return run.doc != nullptr || run.Refuse(loadStatus);
}

// The scene's camera, the output folders, the saved scene's target and the
// thread count, checked and set before the module does any work.
bool PrepareExport(ExportRun& run) {
  const app::Options& options = run.options;
  // Without --yes a file is replaced only when the user agreed to it, so
  // that one appearing during the export (another run's, say) is kept.
  if (!options.yes) host::SetReplaceAllowed(false);
  host::SetActiveDocument(run.doc);
  if (!app::ApplySceneOptions(options, *run.doc, run.error)) return run.Refuse(kExitUsage);
  for (const std::string& output : app::OutputNames(options))
    if (!app::OutputFolderUsable(output, run.error)) return run.Refuse(kExitNotWritten);
  if (options.saveScene &&
      !SceneSaveAllowed(run.scenePath, *options.saveScene, options.yes, run.error))
    return run.Refuse(kExitNotWritten);
  if (options.threads) host::SetParallelThreads(*options.threads);
  return true;
}

// Loads the module (beside the program, or where it is installed), starts
// it and sets the export tags that --tag asks for through its tag.
bool StartModule(ExportRun& run) {
  run.module = app::StartModule(run.folder, run.error);
  if (run.module == nullptr) return run.Refuse(kExitNotWritten);
  if (!app::ApplyTagOptions(run.options, *run.doc, run.error)) {
    run.module->End();
    return run.Refuse(kExitUsage);
  }
  return true;
}

// The drawings on disk that an export to `chosen` would replace.
std::vector<std::string> ExistingDrawingsOf(const ExportRun& run,
                                            const std::vector<std::string>& chosen) {
  const bool range = run.dialog != nullptr && app::ExportsFrameRange(run.dialog);
  std::vector<std::string> existing;
  for (const std::string& name : chosen)
    for (const std::string& file : app::ExistingDrawings(name, range)) existing.push_back(file);
  return existing;
}

// Asks before an export replaces drawings that the dialog does not ask
// about itself: those of a proposed name, and the numbered files of a
// range.
bool MayReplace(ExportRun& run, const std::vector<std::string>& chosen) {
  const std::vector<std::string> existing = ExistingDrawingsOf(run, chosen);
  if (existing.empty()) return true;
  const std::string question = existing.size() == 1
                                   ? existing[0] + " exists. Replace it?"
                                   : std::to_string(existing.size()) + " drawings like " +
                                         existing[0] + " exist. Replace them?";
  if (AnswerQuestion(question, run.options.yes, run.declined) == kMessageAnswerNo) return false;
  for (const std::string& file : existing) host::AllowReplacing(file);
  return true;
}

// The file that two outputs of this run would both write, now that the
// scene's stored names and frame range are known; "" when none.
std::string SharedOutputOf(const ExportRun& run, const std::vector<std::string>& drawings) {
  const bool range = app::ExportsFrameRange(run.dialog);
  std::vector<app::PlannedFile> files;
  for (const std::string& name : drawings)
    if (!name.empty()) files.push_back({app::DrawingPath(name), range});
  if (run.options.saveScene) files.push_back({*run.options.saveScene});
  return app::SharedOutput(files, app::FramesToWrite(run.dialog, *run.doc));
}

// The program's answers to the dialog's overwrite question and file
// selector.
void AnswerTheDialog(ExportRun& run) {
  // The dialog asks before it replaces its chosen files; a yes lets the
  // export replace those there now.
  host::SetMessageBoxAnswer([&run](const std::string& text, int32_t) {
    const int32_t answer = AnswerQuestion(text, run.options.yes, run.declined);
    if (answer != kMessageAnswerNo && run.dialog != nullptr)
      for (const std::string& file : ExistingDrawingsOf(run, app::ChosenOutputs(run.dialog)))
        host::AllowReplacing(file);
    return answer;
  });
  // Without -o the dialog proposes a name; the program takes it.
  host::SetSaveSelector(
      [&run](const std::string&, const std::string& preset) -> std::optional<std::string> {
        const std::optional<std::string>& format = run.options.format;
        const std::string chosen =
            format ? fs::path(preset).replace_extension("." + *format).string() : preset;
        std::vector<std::string> names = {chosen};
        if (run.dialog != nullptr) {
          const std::vector<std::string> all = app::ChosenOutputs(run.dialog);
          names.insert(names.end(), all.begin() + 1, all.end());
          run.shared = SharedOutputOf(run, names);
          if (!run.shared.empty()) return std::nullopt;
        }
        if (!MayReplace(run, names)) return std::nullopt;
        return chosen;
      });
}

// The dialog's settings, from the command line over the scene's stored
// ones, checked before any work.
bool SettingsReady(ExportRun& run) {
  if (!app::ApplyDialogOptions(run.options, run.dialog, run.error)) return run.Refuse(kExitUsage);
  if (run.error = app::SettingsTrouble(run.dialog); !run.error.empty())
    return run.Refuse(kExitUsage);
  if (run.options.drawingToStdout && app::FramesToWrite(run.dialog, *run.doc) > 1) {
    run.error = "-o - writes one frame's drawing to standard output; the frame range has " +
                std::to_string(app::FramesToWrite(run.dialog, *run.doc)) + " frames";
    return run.Refuse(kExitUsage);
  }
  if (!run.options.quiet) std::cerr << FrameCountLine(run.dialog, *run.doc);
  if (app::FramesToWrite(run.dialog, *run.doc) > kMaxExportFrames) {
    run.error = "the frame range would write more than " + std::to_string(kMaxExportFrames) +
                " files; choose a shorter range or a lower --fps";
    return run.Refuse(kExitUsage);
  }
  if (!app::ChosenOutput(run.dialog).empty() &&
      !(run.shared = SharedOutputOf(run, app::ChosenOutputs(run.dialog))).empty()) {
    run.error = app::SharedOutputError(run.shared);
    return run.Refuse(kExitUsage);
  }
  return true;
}

// Presses export once the user agreed to replace a range's files.
bool ExportStarted(ExportRun& run) {
  if ((!app::ExportsFrameRange(run.dialog) || MayReplace(run, app::ChosenOutputs(run.dialog))) &&
      app::PressExport(run.dialog))
    return true;
  if (!run.shared.empty()) {
    run.error = app::SharedOutputError(run.shared);  // found for the proposed name
    return run.Refuse(kExitUsage);
  }
  run.error = run.declined ? "the output file exists; not replaced (use --yes to replace it)"
                           : "the export did not start";
  return false;
}

// Runs the event loop until the export ends, the first Ctrl-C pressing the
// dialog's stop; then lists the written files and says what went wrong.
void WaitForExport(ExportRun& run, const InterruptWatcher& interrupts,
                   app::ProgressDisplay& display, app::DiagnosticLines& diagnostics,
                   int64_t failedAllocations) {
  bool stopAsked = false;
  while (!run.ended) {
    host::WaitAndDeliverEvents(100);
    if (interrupts.Interrupted() && !stopAsked) {
      host::UserClick(run.dialog, kGadgetCancel);  // the dialog's stop command
      stopAsked = true;
      display.Finish();
      if (!run.options.quiet)
        std::cerr << "vexmark: stopping: the frame in progress is discarded, the frames "
                     "before it are kept (Ctrl-C again to quit now)\n";
    }
  }
  display.Finish();
  const std::vector<std::string> written = host::WrittenFiles();
  if (!run.options.quiet && !run.options.drawingToStdout)
    for (const std::string& file : written) std::cout << app::Printable(file) << "\n";
  const bool outOfMemory = host::GetMemoryStats().failedAllocations > failedAllocations;
  run.error = app::ExportTrouble(written, outOfMemory, stopAsked, diagnostics.EmptyFrameCount());
  if (written.empty()) diagnostics.ForgetEmptyFrames();
  if (run.error.empty()) run.status = kExitWritten;
}

// The export through the open dialog, its console lines gathered.
void ExportThroughDialog(ExportRun& run, InterruptWatcher& interrupts,
                         app::ProgressDisplay& display) {
  // The module's lines are gathered and shown once each with a count when
  // the export ends (nothing with --quiet); its "Cannot write" lines are
  // summed up in the program's own line instead, and the frames with
  // nothing in view in one line of their own (also with --quiet: they
  // explain gaps in the files).
  app::DiagnosticLines diagnostics;
  host::SetConsoleSink([&diagnostics, &run](const std::string& line) {
    const std::string emptyFrame = kNothingInViewLine;
    if (line.rfind(emptyFrame, 0) == 0) {
      diagnostics.AddEmptyFrame(line.substr(emptyFrame.size()));
    } else if (!run.options.quiet && line.rfind("Cannot write ", 0) != 0) {
      diagnostics.Add(line);
    }
  });
  const int64_t failedAllocations = host::GetMemoryStats().failedAllocations;
  interrupts.SetExporting(true);
  if (SettingsReady(run) && ExportStarted(run))
    WaitForExport(run, interrupts, display, diagnostics, failedAllocations);
  interrupts.SetExporting(false);
  host::SetConsoleSink(nullptr);
  diagnostics.Flush(std::cerr);
}

// Opens the export dialog through its command and exports with it, the
// progress shown as the options ask.
void RunExportCommand(ExportRun& run, InterruptWatcher& interrupts) {
  app::ProgressDisplay display(run.options.quiet            ? app::ProgressDisplay::Mode::kQuiet
                               : isatty(STDERR_FILENO) != 0 ? app::ProgressDisplay::Mode::kBar
                                                            : app::ProgressDisplay::Mode::kLines);
  host::SetStatusListener([&](const host::StatusState& status) { display.Show(status); });
  const int32_t token = host::AddEventListener([&run](const host::SpecialEvent& e) {
    if (e.id == kVexmarkCommandId) run.ended = true;
  });
  if (!host::ExecuteCommand(kVexmarkCommandId)) {
    run.error = "the export dialog did not open";
  } else {
    run.dialog = host::FindOpenDialog(kVexmarkCommandId);
    ExportThroughDialog(run, interrupts, display);
  }
  host::RemoveEventListener(token);
  host::SetStatusListener(nullptr);
}

// --save-scene, after the export; a usage error does no work at all, so no
// scene is saved then either.
void SaveScene(ExportRun& run) {
  if (run.options.saveScene && run.status != kExitUsage &&
      !app::SaveSceneFile(*host::ActiveDocument(), *run.options.saveScene, run.error))
    run.status = kExitNotWritten;
}

// Runs one export through the module; returns the exit status.
int RunExport(const app::Options& options) {
  ExportRun run(options);
  if (!LoadScene(run)) return Fail(run.status, run.error);
  // From here on, Ctrl-C, SIGTERM and SIGHUP leave no temporary file behind.
  InterruptWatcher interrupts;
  if (!PrepareExport(run) || !StartModule(run)) return Fail(run.status, run.error);
  AnswerTheDialog(run);
  RunExportCommand(run, interrupts);
  SaveScene(run);
  run.module->End();
  if (run.status != kExitWritten) return Fail(run.status, run.error);
  return run.status;
}

int Run(int argc, char** argv) {
  host::ArmMemoryReserve();
  app::Options options;
  std::string error;
  if (!app::ParseOptions(argc, argv, options, error)) return Fail(kExitUsage, error);
  if (options.help) {
    std::cout << app::UsageText();
    return 0;
  }
  if (const std::string page = app::RequestedOptionPage(options); !page.empty()) {
    std::cout << page;
    return 0;
  }
  if (options.version) {
    std::cout << "vexmark " << VEXMARK_VERSION << "\n";
    return 0;
  }
  if (options.command == "info") return app::PrintSceneInfo(options, std::cout, std::cerr);
  if (options.command == "studio") return app::studio::RunStudio(options, ProgramFolder());
  app::StandardOutputDrawing toStdout;
  if (!toStdout.Prepare(options, error)) return Fail(kExitUsage, error);
  if (!options.quiet)
    for (const std::string& notice : app::SuffixNotices(options))
      std::cerr << "vexmark: " << app::Printable(notice) << "\n";
  const int status = RunExport(options);
  if (status == kExitWritten && !toStdout.Send(std::cout, error)) return Fail(kExitNotWritten, error);
  return status;
}

// Whatever went to stdout must have arrived: a full disk or a closed
// device behind it is a failure of the run. A reader that closed the pipe
// has taken all it wanted: the run ends quietly, its files written, with a
// status that is not 0.
int FinishStandardOutput(int status) {
  errno = 0;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout) && std::cout.good()) return status;
  if (errno == EPIPE) return status == kExitWritten ? kExitNotWritten : status;
  const std::string reason = errno != 0 ? std::strerror(errno) : "write error";
  Fail(kExitNotWritten, "cannot write to standard output: " + reason);
  return status == kExitWritten ? kExitNotWritten : status;
}

// The last net: an allocation failure that no part of the program handled
// still ends in one line and status 1, never in an abort. The temporary
// files of an export cut short go with it.
int RunCatchingFailures(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    host::RemoveTemporaryFilesForExit();
    return Fail(kExitNotWritten, "not enough memory; nothing more was written");
  } catch (const std::exception& e) {
    host::RemoveTemporaryFilesForExit();
    return Fail(kExitNotWritten, std::string("stopped by an unexpected error (") + e.what() + ")");
  }
}

}  // namespace

int main(int argc, char** argv) {
  app::UseLargeHeapSettings(argv);
  // A closed pipe on stdout or stderr must not end the program in the
  // middle of an export: writes to it fail instead, and the end says so.
  std::signal(SIGPIPE, SIG_IGN);
  return FinishStandardOutput(RunCatchingFailures(argc, argv));
}
