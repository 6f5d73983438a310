#include "app/progress_display.h"

#include <cstdio>

namespace app {

void ProgressDisplay::Show(const host::StatusState& status) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (mode_ == Mode::kQuiet) return;
  int percent = status.percent < 0 ? 0 : status.percent;
  if (mode_ == Mode::kLines) {
    // One line whenever a new frame starts.
    if (!status.text.empty() && status.text != lastText_) {
      std::fprintf(stderr, "%s\n", status.text.c_str());
      lastText_ = status.text;
    }
    return;
  }
  if (status.text.empty() && status.percent < 0) return;  // cleared at the end
  // The stages of one frame report in bands that overlap (corner welding,
  // then capture, then the passes from 0 % again): within a frame the bar
  // only grows; a new frame's text starts it afresh.
  const bool sameFrame = status.text.empty() || status.text == lastText_;
  if (sameFrame && percent < lastPercent_) percent = lastPercent_;
  if (sameFrame && percent == lastPercent_ && !status.spinning) return;
  lastText_ = status.text.empty() ? lastText_ : status.text;
  lastPercent_ = percent;
  constexpr int kWidth = 30;
  const int filled = percent * kWidth / 100;
  std::string bar(static_cast<size_t>(filled), '#');
  bar.resize(kWidth, status.spinning ? '.' : ' ');
  std::fprintf(stderr, "\r%-24.24s [%s] %3d%%", lastText_.c_str(), bar.c_str(), percent);
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressDisplay::Finish() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (drawn_) std::fprintf(stderr, "\n");
  drawn_ = false;
}

}  // namespace app
