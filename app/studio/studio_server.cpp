#include "app/studio/studio_server.h"

#include <pthread.h>
#include <spawn.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <iostream>
#include <thread>

#include "app/printable.h"
#include "app/studio/access_guard.h"
#include "app/studio/preview_worker.h"
#include "app/studio/studio_routes.h"
#include "app/studio/studio_session.h"
#include "host/api/vexmark_ids.h"
#include "host/runtime.h"
#include "host/temporary_files.h"

extern char** environ;

namespace app::studio {
namespace {

// After a stop signal the studio ends within this time, whatever still runs.
constexpr int kEndWithinMs = 900;

// Waits for SIGINT, SIGTERM and SIGHUP (blocked in every thread of the
// program) and ends the studio at the first: the server stops taking
// requests, the drawing in progress and a running export are stopped
// through their stop requests, and if anything still runs after
// kEndWithinMs the temporary files go and the program ends at once.
class StopWatcher {
 public:
  // The signals must be blocked already (BlockStopSignals) in every thread.
  explicit StopWatcher(std::function<void()> stop) : stop_(std::move(stop)) {
    sigemptyset(&signals_);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals_, signal);
    watcher_ = std::thread([this] { Watch(); });
  }
  ~StopWatcher() {
    done_ = true;
    watcher_.join();
  }
  bool Stopping() const { return stopping_; }

 private:
  void Watch() {
    const timespec tick{0, 20 * 1000 * 1000};
    while (!done_ && !stopping_) {
      if (sigtimedwait(&signals_, nullptr, &tick) <= 0) continue;
      stopping_ = true;
      stop_();
    }
    for (int waited = 0; !done_ && waited < kEndWithinMs; waited += 10) usleep(10 * 1000);
    if (done_) return;
    host::RemoveTemporaryFilesForExit();
    _exit(0);
  }

  std::function<void()> stop_;
  sigset_t signals_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> done_{false};
  std::thread watcher_;
};

// Blocks the stop signals in this thread and so in every thread it starts
// later, so that only the watcher takes them.
void BlockStopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, signal);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

// Starts the desktop's browser on `url` when there is one; the studio does
// not wait for it.
void OpenBrowser(const std::string& url) {
  const std::string program = "xdg-open";
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(url.c_str()), nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0)
    std::cerr << "vexmark: --open: no xdg-open here; open the address yourself\n";
}

// Serves until the watcher stops the server; the main thread meanwhile
// delivers the host's events (an export's end among them).
int Serve(httplib::Server& server, StopWatcher& watcher) {
  std::atomic<bool> served{false};
  std::thread listener([&] {
    server.listen_after_bind();
    served = true;
  });
  while (!served) host::WaitAndDeliverEvents(20);
  listener.join();
  return watcher.Stopping() ? 0 : 1;
}

}  // namespace

int RunStudio(const Options& options, const std::filesystem::path& programFolder) {
  StudioSession session;
  std::string error;
  int status = 1;
  if (!session.Open(options, programFolder, error, status)) {
    std::cerr << "vexmark: " << Printable(error) << "\n";
    session.Close();
    return status;
  }
  // After the import, which forks: a fork copies only the calling thread.
  BlockStopSignals();
  const std::string token = NewToken();
  httplib::Server server;
  // Before the socket is made, which takes it: without it a kept-alive
  // connection waits for the peer's delayed acknowledgement (some 40 ms)
  // before each answer.
  server.set_tcp_nodelay(true);
  const int port = options.port.value_or(0) == 0
                       ? server.bind_to_any_port("127.0.0.1")
                       : (server.bind_to_port("127.0.0.1", *options.port) ? *options.port : -1);
  if (token.empty() || port <= 0) {
    std::cerr << "vexmark: "
              << (token.empty()
                      ? "no random token from the kernel"
                      : "cannot listen on 127.0.0.1:" + std::to_string(options.port.value_or(0)))
              << "\n";
    session.Close();
    return 1;
  }
  {
    PreviewWorker worker(session.Module(), [&session] { return session.StartDrawing(); });
    host::SetStatusListener(
        [&worker](const host::StatusState& s) { worker.ReportPercent(s.percent); });
    StopWatcher watcher([&] {
      worker.Shut();
      if (session.Dialog() != nullptr) host::UserClick(session.Dialog(), kGadgetCancel);
      server.stop();
    });
    const AccessGuard guard(token, port);
    RequestRate rate(kRequestsPerSecond, kRequestBurst);
    InstallRoutes(server, guard, rate, session, worker);
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/?token=" + token;
    std::cout << "Vexmark studio: " << url << std::endl;
    if (options.open) OpenBrowser(url);
    status = Serve(server, watcher);
    host::SetStatusListener(nullptr);
  }
  session.Close();
  host::RemoveTemporaryFilesForExit();
  return status;
}

}  // namespace app::studio
