// The module's console lines during an export. Some diagnostics come by the
// thousand ("mehrere" for every ambiguous region corner); shown as they come
// they would bury everything else. They are gathered and shown once each,
// in order of first appearance, with how often they came. Frames that
// wrote no file because nothing was in view are gathered into one line.
#pragma once

#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace app {

class DiagnosticLines {
 public:
  // Takes one line (from any thread).
  void Add(const std::string& line);
  // Takes the name of a file that a frame did not write because nothing
  // was in view.
  void AddEmptyFrame(const std::string& file);
  size_t EmptyFrameCount();
  // For a run that wrote nothing at all, where the program's own line says
  // why.
  void ForgetEmptyFrames();
  // Writes every distinct line once, prefixed with "vexmark: " and followed
  // by "(N times)" when it came more than once, then the line of empty
  // frames, and forgets them.
  void Flush(std::ostream& out);
  // For --quiet: one line that counts the gathered lines ("vexmark: NAME:
  // 3 warnings while reading the scene (shown without -q)"), nothing when
  // there are none; then forgets them.
  void FlushCount(std::ostream& out, const std::string& what);

 private:
  std::mutex mutex_;
  std::vector<std::pair<std::string, int64_t>> lines_;  // in order of first appearance
  std::unordered_map<std::string, size_t> index_;       // line -> position in lines_
  std::vector<std::string> emptyFrames_;
};

}  // namespace app
