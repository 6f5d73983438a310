// The child process of an import and the way its result comes back.
//
// What the child writes to the pipe, in this process's byte order:
//   u64 n, then n bytes of CBOR: {"error": text, "warnings": [text...],
//                                 "document": native JSON or absent}
//   for every object of the document, in order:
//     u64 point count, the points; u64 polygon count, the polygons.
#include "host/import/child_import.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "host/import/native_format.h"

namespace host::import {
namespace {

static_assert(std::is_trivially_copyable_v<HostVector>);
static_assert(std::is_trivially_copyable_v<HostPolygon>);

bool WriteAll(int fd, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

template <typename T>
bool WriteArray(int fd, const std::vector<T>& items) {
  const uint64_t count = items.size();
  return WriteAll(fd, &count, sizeof count) && WriteAll(fd, items.data(), count * sizeof(T));
}

// The child's exit status when its result could not go through the pipe.
constexpr int kChildCouldNotSend = 3;
// The child's exit status when it ran out of memory.
constexpr int kChildOutOfMemory = 4;

// Everything the pipe brings, read until the child closes it, into `data`.
// Throws std::bad_alloc when there is no room for it.
void ReadAll(int fd, std::string& data) {
  char chunk[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    data.append(chunk, static_cast<size_t>(got));
  }
}

// Reads the pipe's data front to back; a read past its end marks it short.
class PipeData {
 public:
  explicit PipeData(const std::string& data) : data_(data) {}

  bool Short() const { return short_; }

  bool Take(void* out, size_t size) {
    if (short_ || data_.size() - offset_ < size) {
      short_ = true;
      return false;
    }
    if (size == 0) return true;  // an empty array has no storage to copy into
    std::memcpy(out, data_.data() + offset_, size);
    offset_ += size;
    return true;
  }

  uint64_t TakeCount() {
    uint64_t count = 0;
    Take(&count, sizeof count);
    return count;
  }

  template <typename T>
  std::vector<T> TakeArray() {
    const uint64_t count = TakeCount();
    std::vector<T> items;
    if (short_ || count > (data_.size() - offset_) / sizeof(T)) {
      short_ = true;
      return items;
    }
    items.resize(count);
    Take(items.data(), count * sizeof(T));
    return items;
  }

  // The next `size` bytes, where they are (no copy).
  std::pair<const char*, const char*> TakeBytes(uint64_t size) {
    if (short_ || size > data_.size() - offset_) {
      short_ = true;
      return {nullptr, nullptr};
    }
    const char* first = data_.data() + offset_;
    offset_ += size;
    return {first, first + size};
  }

 private:
  const std::string& data_;
  size_t offset_ = 0;
  bool short_ = false;
};

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizers reserve terabytes of address space for their shadow memory
// and catch crash signals themselves: the child keeps their settings.
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

[[noreturn]] void ExitOutOfMemory() {
  _exit(kChildOutOfMemory);
}

// A crash right after an allocation failed (errno ENOMEM) is taken for what
// it most likely is: code of the library that used the null pointer a failed
// allocation returned, or gave up on it. Any other crash ends the child as
// the signal would have.
void OnCrashSignal(int signal) {
  if (errno == ENOMEM) _exit(kChildOutOfMemory);
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

// The child's address space now, in bytes, or 0 when unknown.
uint64_t AddressSpaceInUse() {
  const int fd = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char text[64] = {};
  const ssize_t got = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  if (got <= 0) return 0;
  return std::strtoull(text, nullptr, 10) * static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
}

// Bounds the child's memory: what it holds at its start plus `memoryBytes`,
// never above a limit it already has. A failed allocation, and a crash just
// after one, end the child with kChildOutOfMemory, which the parent reports
// as a lack of memory rather than as a damaged file.
void BoundChildMemory(uint64_t memoryBytes) {
  std::set_new_handler(&ExitOutOfMemory);
  if (kSanitized) return;
  for (int signal : {SIGSEGV, SIGBUS, SIGABRT}) ::signal(signal, &OnCrashSignal);
  const uint64_t inUse = AddressSpaceInUse();
  rlimit limit{};
  if (memoryBytes == 0 || inUse == 0 || ::getrlimit(RLIMIT_AS, &limit) != 0) return;
  const uint64_t wanted = memoryBytes > RLIM_INFINITY - inUse ? RLIM_INFINITY : inUse + memoryBytes;
  if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur <= wanted) return;
  limit.rlim_cur = wanted;
  ::setrlimit(RLIMIT_AS, &limit);
}

// The child: runs the import and writes its result. Never returns.
[[noreturn]] void RunChild(int fd, const ImportWork& work, uint64_t memoryBytes) {
  // The child leaves no temporary files: the program's interrupt signals,
  // blocked in the parent while a watcher thread (not copied here) waits for
  // them, end it at once; and it ends with the parent.
  sigset_t interrupts;
  sigemptyset(&interrupts);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    ::signal(signal, SIG_DFL);
    sigaddset(&interrupts, signal);
  }
  pthread_sigmask(SIG_UNBLOCK, &interrupts, nullptr);
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  // What a crash prints (the C library's "malloc(): ..." lines) would come
  // before the program's own one-line refusal; the report says it all.
  const int quiet = ::open("/dev/null", O_WRONLY);
  if (quiet >= 0) ::dup2(quiet, STDERR_FILENO);
  BoundChildMemory(memoryBytes);
  errno = 0;

  ImportReport report;
  std::unique_ptr<HostDocument> doc;
  std::vector<std::vector<HostVector>> points;
  std::vector<std::vector<HostPolygon>> polygons;
  std::vector<uint8_t> message;
  try {
    doc = work(report);
    if (!doc) report.Fail("the file could not be read");
    json result = {{"error", report.error}, {"warnings", report.warnings}};
    if (!report.Failed()) {
      // The arrays go as raw bytes after the structure.
      for (auto& object : doc->scene.objects) {
        points.push_back(std::move(object->points));
        polygons.push_back(std::move(object->polygons));
      }
      result["document"] = DocumentToJson(*doc);
    }
    message = json::to_cbor(result);
  } catch (const std::bad_alloc&) {
    _exit(kChildOutOfMemory);
  } catch (const std::exception& e) {
    message = json::to_cbor(
        json{{"error", std::string("the file could not be read (") + e.what() + ")"}});
  }
  const uint64_t size = message.size();
  bool written = WriteAll(fd, &size, sizeof size) && WriteAll(fd, message.data(), size);
  for (size_t i = 0; written && i < points.size(); ++i) {
    written = WriteArray(fd, points[i]) && WriteArray(fd, polygons[i]);
  }
  // No destructors: the parent has what it needs, and freeing a large
  // document would only cost time.
  _exit(written ? 0 : kChildCouldNotSend);
}

// Why the child ended without a result, into `report`. A crash usually ends
// it by a signal; under the sanitizers, which catch the signal and report it,
// by an exit status of their own. A child that ran out of memory says so by
// its status; one killed outright was most likely ended by the system's
// out-of-memory killer.
void ReportChildFailure(int status, ImportReport& report) {
  const std::string crashed = "the file seems damaged: the importer crashed on it (";
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    if (signal == SIGKILL) {
      report.FailForMemory(std::string(kNotEnoughMemoryToRead) +
                           ": the importer was killed, most likely by the system for lack of "
                           "memory");
      return;
    }
    report.Fail(crashed + strsignal(signal) + ")");
    return;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == kChildOutOfMemory) {
    report.FailForMemory();
    return;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) != kChildCouldNotSend) {
    report.Fail(crashed + "it ended with status " + std::to_string(WEXITSTATUS(status)) + ")");
    return;
  }
  report.Fail("the importer stopped before it finished");
}

// The document from what the child sent, or null with the reason in `report`.
std::unique_ptr<HostDocument> ReadResult(const std::string& data, ImportReport& report) {
  PipeData pipe(data);
  const auto [first, last] = pipe.TakeBytes(pipe.TakeCount());
  if (pipe.Short()) return nullptr;
  const json result = json::from_cbor(first, last);
  for (const auto& warning : result.value("warnings", json::array())) {
    report.Warn(warning.get<std::string>());
  }
  report.Fail(result.value("error", std::string()));
  if (report.Failed() || !result.contains("document")) return nullptr;
  std::unique_ptr<HostDocument> doc = DocumentFromJson(result["document"]);
  for (auto& object : doc->scene.objects) {
    object->points = pipe.TakeArray<HostVector>();
    object->polygons = pipe.TakeArray<HostPolygon>();
  }
  return pipe.Short() ? nullptr : std::move(doc);
}

}  // namespace

std::unique_ptr<HostDocument> ImportInChildProcess(const ImportWork& work, ImportReport& report,
                                                   uint64_t memoryBytes) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return work(report);
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(ends[0]);
    ::close(ends[1]);
    return work(report);
  }
  if (child == 0) {
    ::close(ends[0]);
    RunChild(ends[1], work, memoryBytes);
  }
  ::close(ends[1]);
  // The result is read, the pipe closed and the child waited for whatever
  // happens: a parent out of memory stops reading, and the child, its pipe
  // gone, ends too.
  std::string data;
  bool roomForResult = true;
  try {
    ReadAll(ends[0], data);
  } catch (const std::bad_alloc&) {
    roomForResult = false;
    std::string().swap(data);
  }
  ::close(ends[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!roomForResult) {
    report.FailForMemory();
    return nullptr;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    ReportChildFailure(status, report);
    return nullptr;
  }
  std::unique_ptr<HostDocument> doc;
  try {
    doc = ReadResult(data, report);
  } catch (const std::bad_alloc&) {
    doc.reset();
    std::string().swap(data);
    report.FailForMemory();
    return nullptr;
  } catch (const std::exception& e) {
    report.Fail(std::string("the importer's result could not be read (") + e.what() + ")");
    return nullptr;
  }
  if (!doc && !report.Failed()) report.Fail("the importer's result was cut short");
  return doc;
}

}  // namespace host::import
