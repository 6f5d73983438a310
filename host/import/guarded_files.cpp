#include "host/import/guarded_files.h"

#include <assimp/IOStream.hpp>
#include <sys/stat.h>

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
  return Refuse(file) ? false : DefaultIOSystem::Exists(file);
}

Assimp::IOStream* GuardedFiles::Open(const char* file, const char* mode) {
  if (Refuse(file)) return nullptr;
  Assimp::IOStream* stream = DefaultIOSystem::Open(file, mode);
  if (stream == nullptr) return nullptr;
  budget_ += kAccessesPerByte * stream->FileSize();
  return new CountedStream(stream, *this);
}

void GuardedFiles::Count() {
  if (++calls_ <= budget_) return;
  record_.overBudget = true;
  throw std::runtime_error("the reader kept going over the same bytes");
}

bool GuardedFiles::Refuse(const char* file) const {
  struct stat status;
  if (file == nullptr || ::stat(file, &status) != 0 || S_ISREG(status.st_mode)) return false;
  if (record_.refusedFile.empty()) record_.refusedFile = file;
  return true;
}

}  // namespace host::import
