// vexmark: the command-line program around the host runtime and the module.
//
// For now it drives the export run itself: it makes a document, starts the
// conversion thread over the frame range, shows the progress on the terminal
// and waits for the end-of-job event. Ctrl-C asks the run to stop.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/api/host_sdk.h"
#include "host/runtime.h"
#include "shell/conv_thread.h"
#include "shell/export_settings.h"
#include "shell/frame_export.h"

namespace {

std::atomic<bool> gInterrupted{false};
std::atomic<int32_t> gFramesStepped{0};

void OnInterrupt(int) { gInterrupted = true; }

// Counts the frames the run steps through; no renderer is installed yet.
void CountFrame(BaseDocument*, int32_t, ExportSettings*) { ++gFramesStepped; }

void PrintUsage() {
  std::printf(
      "usage: vexmark [options]\n"
      "  --from N     first frame of the range (default 0)\n"
      "  --to N       last frame of the range (default 0)\n"
      "  --fps N      export frames per second (default 12)\n"
      "  -q, --quiet  no progress display\n"
      "  --help       this text\n"
      "  --version    the program's version\n");
}

bool ParseInt(const char* text, int32_t& value) {
  char* end = nullptr;
  const long parsed = std::strtol(text, &end, 10);
  if (end == text || *end != '\0') return false;
  value = static_cast<int32_t>(parsed);
  return true;
}

// Draws the status as one progress line on a terminal.
void ShowStatus(const host::StatusState& status) {
  const int percent = status.percent < 0 ? 0 : status.percent;
  const int filled = percent * 30 / 100;
  std::fprintf(stderr, "\r[%-30.*s] %3d%% %-30s", filled, "##############################",
               percent, status.text.c_str());
  std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
  ExportSettings options;
  bool quiet = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help") {
      PrintUsage();
      return 0;
    } else if (arg == "--version") {
      std::printf("vexmark %s\n", VEXMARK_VERSION);
      return 0;
    } else if (arg == "-q" || arg == "--quiet") {
      quiet = true;
    } else if ((arg == "--from" || arg == "--to" || arg == "--fps") && hasValue) {
      int32_t& field = arg == "--from" ? options.fromFrame
                       : arg == "--to" ? options.toFrame
                                       : options.frameRate;
      if (!ParseInt(argv[++i], field)) {
        std::fprintf(stderr, "vexmark: %s needs a whole number, not '%s'\n", arg.c_str(), argv[i]);
        return 2;
      }
    } else {
      std::fprintf(stderr, "vexmark: unknown option '%s' (try --help)\n", arg.c_str());
      return 2;
    }
  }

  HostBind(host::Table());
  if (!ResourcesLoad(VEXMARK_SOURCE_DIR)) {
    std::fprintf(stderr, "vexmark: cannot read the resources in %s/res\n", VEXMARK_SOURCE_DIR);
    return 1;
  }
  host::SetActiveDocument(host::NewDocument());
  if (!quiet && isatty(STDERR_FILENO)) host::SetStatusListener(ShowStatus);
  std::signal(SIGINT, OnInterrupt);

  SetFrameRenderer(CountFrame);

  ConvThread* thread = HostNew<ConvThread>();
  if (thread == nullptr || !thread->Valid()) {
    std::fprintf(stderr, "vexmark: cannot start the export thread\n");
    return 1;
  }
  thread->job = options;
  thread->job.thread = thread;
  thread->job.document = CopyDocument(GetActiveDocument());

  bool ended = false;
  const int32_t token = host::AddEventListener([&](const host::SpecialEvent& e) {
    if (e.id == kVexmarkCommandId) ended = true;
  });
  thread->Start();
  bool stopAsked = false;
  while (!ended) {
    host::WaitAndDeliverEvents(100);
    if (gInterrupted && !stopAsked) {
      thread->End(false);
      stopAsked = true;
    }
  }
  host::RemoveEventListener(token);
  HostDelete(thread);
  host::SetStatusListener(nullptr);
  const int32_t frames = gFramesStepped;
  if (!quiet && isatty(STDERR_FILENO)) std::fprintf(stderr, "\n");

  std::printf("vexmark: stepped through %d frame%s%s; the renderer is not built yet, so no drawing "
              "was written\n",
              frames, frames == 1 ? "" : "s", stopAsked ? " (stopped)" : "");
  ResourcesFree();
  return 0;
}
