#include "host/import/guarded_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <assimp/IOStream.hpp>
#include <memory>
#include <stdexcept>

namespace host::import {
namespace {

// A stream that counts each call against its file system's budget.
class CountedStream final : public Assimp::IOStream {
 public:
  CountedStream(Assimp::IOStream* inner, GuardedFiles& files) : inner_(inner), files_(files) {}

  size_t Read(void* buffer, size_t size, size_t count) override {
    files_.Count();
    return inner_->Read(buffer, size, count);
  }
  size_t Write(const void* buffer, size_t size, size_t count) override {
    files_.Count();
    return inner_->Write(buffer, size, count);
  }
  aiReturn Seek(size_t offset, aiOrigin origin) override {
    files_.Count();
    return inner_->Seek(offset, origin);
  }
  size_t Tell() const override {
    files_.Count();
    return inner_->Tell();
  }
  size_t FileSize() const override { return inner_->FileSize(); }
  void Flush() override { inner_->Flush(); }

 private:
  std::unique_ptr<Assimp::IOStream> inner_;
  GuardedFiles& files_;
};

}  // namespace

bool GuardedFiles::Exists(const char* file) const {
  const std::filesystem::path inside = Confine(file, false);
  return !inside.empty() && !Refuse(file) && DefaultIOSystem::Exists(inside.c_str());
}

Assimp::IOStream* GuardedFiles::Open(const char* file, const char* mode) {
  const std::filesystem::path inside = Confine(file, true);
  if (inside.empty() || Refuse(file)) return nullptr;
  // The resolved name: a link swapped in after the check is not followed
  // out of the folder.
  Assimp::IOStream* stream = DefaultIOSystem::Open(inside.c_str(), mode);
  if (stream == nullptr) return nullptr;
  std::vector<std::string>& outside = record_.outsideFiles;
  outside.erase(std::remove(outside.begin(), outside.end(), folder_.AsWritten(file)),
                outside.end());
  budget_ += kAccessesPerByte * stream->FileSize();
  return new CountedStream(stream, *this);
}

void GuardedFiles::Count() {
  if (++calls_ <= budget_) return;
  record_.overBudget = true;
  throw std::runtime_error("the reader kept going over the same bytes");
}

std::filesystem::path GuardedFiles::Confine(const char* file, bool opening) const {
  if (file == nullptr) return {};
  std::filesystem::path inside = folder_.Resolve(file);
  const std::string written = folder_.AsWritten(file);
  // The library puts the scene's folder in front of every name the scene
  // gives, absolute ones too ("folder//etc/passwd"), which then name no
  // file. What the scene meant is refused when it lies outside. Only names
  // opened count: the library's own guesses after a failed open ask whether
  // such composed names exist.
  if (opening && !written.empty() && written.front() == '/' && !folder_.Holds(written))
    inside.clear();
  if (inside.empty()) record_.outsideFiles.push_back(written);
  return inside;
}

bool GuardedFiles::Refuse(const char* file) const {
  struct stat status;
  if (file == nullptr || ::stat(file, &status) != 0 || S_ISREG(status.st_mode)) return false;
  if (record_.refusedFile.empty()) record_.refusedFile = file;
  return true;
}

}  // namespace host::import
