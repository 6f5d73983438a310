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

void DiagnosticLines::Flush(std::ostream& out) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [line, count] : lines_) {
    out << "vexmark: " << Printable(line);
    if (count > 1) out << " (" << count << " times)";
    out << "\n";
  }
  lines_.clear();
  index_.clear();
}

}  // namespace app
