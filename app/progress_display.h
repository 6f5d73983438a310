// Shows the host's status on the terminal: a progress bar redrawn in place
// when stderr is a terminal, one plain line per frame otherwise, nothing when
// quiet.
#pragma once

#include <mutex>
#include <string>

#include "host/runtime.h"

namespace app {

class ProgressDisplay {
 public:
  enum class Mode { kQuiet, kLines, kBar };
  explicit ProgressDisplay(Mode mode) : mode_(mode) {}
  // Called by the host on every change of its status (from any thread).
  void Show(const host::StatusState& status);
  // Ends the bar's line so that further output starts on a fresh line.
  void Finish();

 private:
  Mode mode_;
  std::mutex mutex_;
  std::string lastText_;
  int lastPercent_ = -1;
  bool drawn_ = false;
};

}  // namespace app
