// The function table handed to modules, assembled from the services, and the
// reset that returns every service to its starting state.
#include "host/runtime.h"

#include <atomic>

#include "host/services.h"
#include "host/temporary_files.h"

namespace host {
namespace {

std::atomic<int32_t> gApiVersion{kHostApiVersion};

HostApi BuildTable() {
  HostApi table{};
  table.version = gApiVersion;
  table.size = static_cast<int32_t>(sizeof(HostApi));
  FillMemoryEntries(table);
  FillConsoleEntries(table);
  FillStatusEntries(table);
  FillEventEntries(table);
  FillStringEntries(table);
  FillContainerEntries(table);
  FillDocumentEntries(table);
  FillThreadEntries(table);
  FillFileEntries(table);
  FillDrawingEntries(table);
  FillOwnerEntries(table);
  FillResourceEntries(table);
  FillSceneEntries(table);
  FillUiEntries(table);
  FillParallelEntries(table);
  return table;
}

HostApi& MutableTable() {
  static HostApi table = BuildTable();
  return table;
}

}  // namespace

const HostApi* Table() {
  return &MutableTable();
}

int32_t ApiVersion() {
  return gApiVersion;
}

// Modules copy the table when they bind, so a change reaches them at their
// next bind.
void SetApiVersion(int32_t version) {
  gApiVersion = version;
  MutableTable().version = version;
}

void ResetForTest() {
  SetApiVersion(kHostApiVersion);
  ResetMemory();
  ResetConsole();
  ResetStatus();
  ResetEvents();
  ResetDocuments();
  ResetFiles();
  ResetTemporaryFilePolicy();
  ResetOwner();
  ResetUi();
  ResetParallel();
}

}  // namespace host
