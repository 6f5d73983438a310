// Node animation as keyframe tracks of the animated objects, and the frame
// rate and frame range that the keys suggest.
#pragma once

#include <assimp/scene.h>

#include <cstdint>
#include <map>
#include <string>

#include "host/api/vexmark_ids.h"
#include "host/import/gltf_details.h"
#include "host/import/import_report.h"
#include "host/scene.h"

namespace host::import {

struct AnimationTiming {
  bool animated = false;
  int32_t fps = kDefaultDocumentFps;
  int64_t firstFrame = 0;
  int64_t lastFrame = 0;
};

// Adds tracks to the objects that `objectOfNode` names for the animated
// nodes. Several animations of one file play together; where two animate
// the same node, the first one counts.
AnimationTiming ImportAnimations(const aiScene& source,
                                 const std::map<std::string, int32_t>& objectOfNode,
                                 const GltfDetails* gltf, Scene& target, ImportReport& report);

// The frame rate at which every key time (seconds) falls on a whole frame:
// the file's own when it counts time in frames, else the first of the
// common rates that fits, else 30.
int32_t FrameRateForKeys(double ticksPerSecond, const std::vector<double>& keySeconds);

}  // namespace host::import
