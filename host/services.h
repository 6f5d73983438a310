// How runtime.cpp assembles the host: each service file fills its own entries
// of the function table and knows how to return to its starting state.
#pragma once

#include "host/api/host_api.h"
#include "host/api/host_ui_api.h"

namespace host {

void FillMemoryEntries(HostApi& table);
void FillConsoleEntries(HostApi& table);
void FillStatusEntries(HostApi& table);
void FillEventEntries(HostApi& table);
void FillStringEntries(HostApi& table);
void FillContainerEntries(HostApi& table);
void FillDocumentEntries(HostApi& table);
void FillThreadEntries(HostApi& table);
void FillFileEntries(HostApi& table);
void FillDrawingEntries(HostApi& table);
void FillOwnerEntries(HostApi& table);
void FillResourceEntries(HostApi& table);
void FillSceneEntries(HostApi& table);
void FillUiEntries(HostApi& table);
void FillParallelEntries(HostApi& table);
void FillDialogEntries(HostUiApi& ui);
void FillRegistryEntries(HostUiApi& ui);
void FillBitmapEntries(HostUiApi& ui);

void ResetMemory();
void ResetConsole();
void ResetStatus();
void ResetEvents();
void ResetDocuments();
void ResetFiles();
void ResetOwner();
void ResetUi();
void ResetParallel();
void ResetDialogs();

// Marks an open file failed with `error` (an errno value) unless it failed
// already: its close then reports the failure and records it.
void MarkFileFailed(HostFile* f, int error);

}  // namespace host
