// `-o -`: one frame's drawing to standard output, so that the program fits
// pipes. The export writes the drawing, in the format --format names (".ai"
// when none), to a file in a private temporary folder; once the export is
// complete the program copies that file to standard output and removes the
// folder. A frame range is a usage error (SettingsReady in app/main.cpp),
// and no other -o may go with it.
#pragma once

#include <ostream>
#include <string>

#include "app/options.h"

namespace app {

class StandardOutputDrawing {
 public:
  StandardOutputDrawing() = default;
  StandardOutputDrawing(const StandardOutputDrawing&) = delete;
  StandardOutputDrawing& operator=(const StandardOutputDrawing&) = delete;
  ~StandardOutputDrawing();

  // When `options` ask for -o -, makes the folder and points the output
  // there (setting Options::drawingToStdout). False with `error` set when
  // -o - goes with another -o or the folder cannot be made.
  bool Prepare(Options& options, std::string& error);

  // Copies the drawing to `out`; false with `error` set when it cannot be
  // read. Does nothing when -o - was not asked for.
  bool Send(std::ostream& out, std::string& error) const;

 private:
  std::string folder_;
  std::string file_;
};

}  // namespace app
