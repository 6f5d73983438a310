// How the scene services fill their parts of the scene table (HostSceneApi);
// FillSceneEntries (services.h) assembles them.
#pragma once

#include "host/api/host_scene_api.h"

namespace host {

void FillObjectEntries(HostSceneApi& table);
void FillSelectionEntries(HostSceneApi& table);
void FillNeighbourEntries(HostSceneApi& table);

}  // namespace host
