// The user-interface part of the function table.
#include "host/services.h"
#include "host/ui.h"

namespace host {

void FillUiEntries(HostApi& table) {
  static HostUiApi ui = [] {
    HostUiApi entries{};
    FillDialogEntries(entries);
    FillRegistryEntries(entries);
    FillBitmapEntries(entries);
    return entries;
  }();
  table.ui = &ui;
}

void ResetUi() {
  ResetDialogs();
  ClearRegistrations();
}

}  // namespace host
