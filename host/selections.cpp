// The sel* entries: polygon selections as sets of non-negative indices.
#include <new>

#include "host/handles.h"
#include "host/scene.h"
#include "host/scene_services.h"

namespace host {
namespace {

HostSelection* SelNew() {
  auto* selection = new (std::nothrow) HostSelection;
  if (selection != nullptr) CountHandle(HandleKind::kSelection, 1);
  return selection;
}

void SelFree(HostSelection* selection) {
  if (selection == nullptr) return;
  CountHandle(HandleKind::kSelection, -1);
  delete selection;
}

int32_t SelCopyFrom(HostSelection* target, const HostSelection* source) {
  if (target == nullptr || source == nullptr) return 0;
  if (target != source) target->indices = source->indices;
  return 1;
}

int32_t SelSelect(HostSelection* selection, int32_t index) {
  if (selection == nullptr || index < 0) return 0;
  selection->indices.insert(index);
  return 1;
}

void SelDeselect(HostSelection* selection, int32_t index) {
  if (selection != nullptr) selection->indices.erase(index);
}

void SelDeselectAll(HostSelection* selection) {
  if (selection != nullptr) selection->indices.clear();
}

int32_t SelIsSelected(const HostSelection* selection, int32_t index) {
  return selection != nullptr && selection->indices.count(index) != 0 ? 1 : 0;
}

int32_t SelCount(const HostSelection* selection) {
  if (selection == nullptr) return 0;
  // Indices are distinct int32 values >= 0, so the count fits.
  return static_cast<int32_t>(selection->indices.size());
}

}  // namespace

void FillSelectionEntries(HostSceneApi& table) {
  table.selNew = &SelNew;
  table.selFree = &SelFree;
  table.selCopyFrom = &SelCopyFrom;
  table.selSelect = &SelSelect;
  table.selDeselect = &SelDeselect;
  table.selDeselectAll = &SelDeselectAll;
  table.selIsSelected = &SelIsSelected;
  table.selCount = &SelCount;
}

}  // namespace host
