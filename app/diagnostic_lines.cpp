#include "app/diagnostic_lines.h"

#include "app/printable.h"

namespace app {

void DiagnosticLines::Add(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto [found, added] = index_.emplace(line, lines_.size());
  if (added) {
    lines_.emplace_back(line, 1);
  } else {
    ++lines_[found->second].second;
  }
}

void DiagnosticLines::AddEmptyFrame(const std::string& file) {
  std::lock_guard<std::mutex> lock(mutex_);
  emptyFrames_.push_back(file);
}

size_t DiagnosticLines::EmptyFrameCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return emptyFrames_.size();
}

void DiagnosticLines::ForgetEmptyFrames() {
  std::lock_guard<std::mutex> lock(mutex_);
  emptyFrames_.clear();
}

void DiagnosticLines::Flush(std::ostream& out) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [line, count] : lines_) {
    out << "vexmark: " << Printable(line);
    if (count > 1) out << " (" << count << " times)";
    out << "\n";
  }
  if (!emptyFrames_.empty()) {
    // A few names say where the gaps are; a long range would fill the screen.
    constexpr size_t kNamesShown = 5;
    out << "vexmark: nothing in view in " << emptyFrames_.size() << " frame(s), so no file for ";
    for (size_t i = 0; i < emptyFrames_.size() && i < kNamesShown; ++i) {
      out << (i == 0 ? "" : ", ") << Printable(emptyFrames_[i]);
    }
    if (emptyFrames_.size() > kNamesShown) {
      out << " and " << emptyFrames_.size() - kNamesShown << " more";
    }
    out << "\n";
  }
  lines_.clear();
  index_.clear();
  emptyFrames_.clear();
}

void DiagnosticLines::FlushCount(std::ostream& out, const std::string& what) {
  std::lock_guard<std::mutex> lock(mutex_);
  int64_t total = 0;
  for (const auto& entry : lines_) total += entry.second;
  if (total > 0)
    out << "vexmark: " << Printable(what) << ": " << total
        << (total == 1 ? " warning" : " warnings")
        << " while reading the scene (shown without -q)\n";
  lines_.clear();
  index_.clear();
}

}  // namespace app
