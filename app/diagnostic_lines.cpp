#include "app/diagnostic_lines.h"

#include "app/printable.h"

namespace app {
namespace {

// The module's fixed diagnostics keep their exact texts, some of them in
// German; a user reads what each means after it.
const char* Explanation(const std::string& line) {
  static const struct {
    const char* text;
    const char* meaning;
  } kKnown[] = {
      {"nichts passendes",
       "a region outline found no continuation at its end point; the nearest was taken"},
      {"mehrere",
       "a region outline had several continuations at one point; the least turning was taken"},
      {"Obj verloren", "a visible polygon had lost its object and was left out"},
      {"Split error", "a polygon cut in two did not close exactly"},
      {"mat==NULL", "a texture tag without a material was ignored"},
      {"mat!=Mmaterial", "a texture tag whose material is not a standard material was ignored"},
  };
  for (const auto& known : kKnown)
    if (line == known.text) return known.meaning;
  if (line.rfind("NO MEMORY: ", 0) == 0) return "the export ran out of memory";
  return nullptr;
}

}  // namespace

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
    if (const char* meaning = Explanation(line)) out << ": " << meaning;
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
