#include "host/handles.h"

#include <atomic>

#include "host/runtime.h"

namespace host {
namespace {

std::atomic<int64_t> gStrings{0};
std::atomic<int64_t> gContainers{0};
std::atomic<int64_t> gThreads{0};
std::atomic<int64_t> gFiles{0};
std::atomic<int64_t> gResources{0};
std::atomic<int64_t> gSelections{0};
std::atomic<int64_t> gNeighbours{0};

std::atomic<int64_t>& Counter(HandleKind kind) {
  switch (kind) {
    case HandleKind::kString:
      return gStrings;
    case HandleKind::kContainer:
      return gContainers;
    case HandleKind::kThread:
      return gThreads;
    case HandleKind::kFile:
      return gFiles;
    case HandleKind::kSelection:
      return gSelections;
    case HandleKind::kNeighbours:
      return gNeighbours;
    case HandleKind::kResource:
      break;
  }
  return gResources;
}

}  // namespace

void CountHandle(HandleKind kind, int64_t delta) {
  Counter(kind) += delta;
}

LiveHandles GetLiveHandles() {
  LiveHandles live;
  live.strings = gStrings;
  live.containers = gContainers;
  live.threads = gThreads;
  live.files = gFiles;
  live.resources = gResources;
  live.selections = gSelections;
  live.neighbours = gNeighbours;
  return live;
}

}  // namespace host
