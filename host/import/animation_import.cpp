#include "host/import/animation_import.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "host/import/handedness.h"

namespace host::import {
namespace {

// Assimp's convention when a file does not say how long a tick is.
constexpr double kDefaultTicksPerSecond = 25.0;
constexpr double kFrameTolerance = 1e-4;  // in frames
constexpr int32_t kCommonRates[] = {30, 24, 25, 60, 50, 12, 15};
constexpr int32_t kMaxFrameCountingRate = 240;
constexpr double kMaxFrame = 1e9;  // keeps absurd key times within the frame type

bool Finite(const aiVector3D& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}
bool Finite(const aiQuaternion& q) {
  return std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.w);
}

Interpolation InterpolationOf(const GltfDetails* gltf, const std::string& node, const char* path,
                              ImportReport& report) {
  if (gltf == nullptr) return Interpolation::kLinear;
  const auto found = gltf->interpolation.find({node, path});
  if (found == gltf->interpolation.end()) return Interpolation::kLinear;
  if (found->second == "STEP") return Interpolation::kStep;
  if (found->second == "CUBICSPLINE") {
    report.Warn("the cubic-spline animation of '" + node + "' is imported as linear");
  }
  return Interpolation::kLinear;
}

// Keys with finite times and values in strictly ascending time; counts the
// others in `dropped`.
template <class HostKey, class AssimpKey, class Convert>
std::vector<HostKey> ConvertKeys(const AssimpKey* keys, unsigned count, double ticksPerSecond,
                                 Convert convert, int64_t& dropped) {
  std::vector<HostKey> out;
  if (keys == nullptr) return out;
  for (unsigned i = 0; i < count; ++i) {
    const double seconds = keys[i].mTime / ticksPerSecond;
    if (!std::isfinite(seconds) || !Finite(keys[i].mValue) ||
        (!out.empty() && seconds <= out.back().time)) {
      ++dropped;
      continue;
    }
    out.push_back(HostKey{seconds, convert(keys[i].mValue)});
  }
  return out;
}

void ImportChannel(const aiNodeAnim& channel, double ticksPerSecond, const GltfDetails* gltf,
                   HostObject& object, int64_t& dropped, ImportReport& report) {
  const std::string node = channel.mNodeName.C_Str();
  ObjectTracks& tracks = object.tracks;
  tracks.position.keys = ConvertKeys<VectorKey>(
      channel.mPositionKeys, channel.mNumPositionKeys, ticksPerSecond,
      [](const aiVector3D& v) { return Mirrored(v); }, dropped);
  tracks.position.interpolation = InterpolationOf(gltf, node, "translation", report);
  tracks.rotation.keys = ConvertKeys<RotationKey>(
      channel.mRotationKeys, channel.mNumRotationKeys, ticksPerSecond,
      [](const aiQuaternion& q) { return NormalizedQuaternion(Mirrored(q)); }, dropped);
  tracks.rotation.interpolation = InterpolationOf(gltf, node, "rotation", report);
  tracks.scale.keys = ConvertKeys<VectorKey>(
      channel.mScalingKeys, channel.mNumScalingKeys, ticksPerSecond,
      [](const aiVector3D& v) {
        return Vec3{v.x, v.y, v.z};
      },
      dropped);
  tracks.scale.interpolation = InterpolationOf(gltf, node, "scale", report);
}

void CollectKeyTimes(const ObjectTracks& tracks, std::vector<double>& times) {
  for (const auto& k : tracks.position.keys) times.push_back(k.time);
  for (const auto& k : tracks.rotation.keys) times.push_back(k.time);
  for (const auto& k : tracks.scale.keys) times.push_back(k.time);
}

}  // namespace

int32_t FrameRateForKeys(double ticksPerSecond, const std::vector<double>& keySeconds) {
  if (ticksPerSecond > 1 && ticksPerSecond <= kMaxFrameCountingRate &&
      ticksPerSecond == std::floor(ticksPerSecond)) {
    return static_cast<int32_t>(ticksPerSecond);
  }
  for (const int32_t rate : kCommonRates) {
    const bool whole = std::all_of(keySeconds.begin(), keySeconds.end(), [rate](double s) {
      const double frames = s * rate;
      return std::fabs(frames - std::round(frames)) < kFrameTolerance;
    });
    if (whole) return rate;
  }
  return kDefaultDocumentFps;
}

AnimationTiming ImportAnimations(const aiScene& source,
                                 const std::map<std::string, int32_t>& objectOfNode,
                                 const GltfDetails* gltf, Scene& target, ImportReport& report) {
  AnimationTiming timing;
  std::set<int32_t> animated;
  std::vector<double> times;
  double ticksPerSecond = kDefaultTicksPerSecond;
  int64_t dropped = 0;
  for (unsigned a = 0; source.mAnimations != nullptr && a < source.mNumAnimations; ++a) {
    const aiAnimation* animation = source.mAnimations[a];
    if (animation == nullptr) continue;
    const double tps = animation->mTicksPerSecond > 0 && std::isfinite(animation->mTicksPerSecond)
                           ? animation->mTicksPerSecond
                           : kDefaultTicksPerSecond;
    if (a == 0) ticksPerSecond = tps;
    for (unsigned c = 0; animation->mChannels != nullptr && c < animation->mNumChannels; ++c) {
      const aiNodeAnim* channel = animation->mChannels[c];
      if (channel == nullptr) continue;
      const auto found = objectOfNode.find(channel->mNodeName.C_Str());
      if (found == objectOfNode.end() || !animated.insert(found->second).second) continue;
      HostObject& object = *target.Object(found->second);
      ImportChannel(*channel, tps, gltf, object, dropped, report);
      CollectKeyTimes(object.tracks, times);
    }
  }
  if (dropped > 0) {
    report.Warn("dropped " + std::to_string(dropped) +
                " animation keys with times or values that are not finite numbers or out of order");
  }
  if (times.empty()) return timing;

  timing.animated = true;
  timing.fps = FrameRateForKeys(ticksPerSecond, times);
  const auto [first, last] = std::minmax_element(times.begin(), times.end());
  const auto frame = [](double frames) {
    return static_cast<int64_t>(std::clamp(frames, -kMaxFrame, kMaxFrame));
  };
  timing.firstFrame = frame(std::floor(*first * timing.fps + kFrameTolerance));
  timing.lastFrame = frame(std::ceil(*last * timing.fps - kFrameTolerance));
  return timing;
}

}  // namespace host::import
