// What an import tells its caller besides the document: the reason it
// failed, or the warnings about data it had to drop or guess.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace host::import {

// The reason an import failed for lack of memory.
inline constexpr char kNotEnoughMemoryToRead[] = "not enough memory to read the scene";

struct ImportReport {
  std::string error;         // empty when the import succeeded
  bool outOfMemory = false;  // the import failed for lack of memory, not for the file
  std::vector<std::string> warnings;

  bool Failed() const { return !error.empty(); }
  void Fail(std::string reason) {
    if (error.empty()) error = std::move(reason);
  }
  void FailForMemory(std::string reason = kNotEnoughMemoryToRead) {
    if (error.empty()) outOfMemory = true;
    Fail(std::move(reason));
  }
  void Warn(std::string text) { warnings.push_back(std::move(text)); }
};

}  // namespace host::import
