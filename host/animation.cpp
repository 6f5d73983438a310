#include "host/animation.h"

#include <algorithm>
#include <type_traits>

namespace host {
namespace {

// Times this close to a key count as the key itself, so that a frame time
// converted to seconds lands on the key it was meant to hit.
constexpr double kKeyTimeTolerance = 1e-9;

Vec3 Lerp(const Vec3& a, const Vec3& b, double t) {
  return a + (b - a) * t;
}
Quaternion Blend(const Quaternion& a, const Quaternion& b, double t) {
  return Slerp(a, b, t);
}

// The value of a track of keys K at `seconds`.
template <class Key, class Value>
Value Sample(const std::vector<Key>& keys, Interpolation interpolation, double seconds) {
  if (seconds <= keys.front().time + kKeyTimeTolerance) return keys.front().value;
  if (seconds >= keys.back().time - kKeyTimeTolerance) return keys.back().value;
  // The first key after `seconds`; the one before it starts the span.
  const auto after = std::upper_bound(keys.begin(), keys.end(), seconds,
                                      [](double s, const Key& key) { return s < key.time; });
  const Key& from = *(after - 1);
  const Key& to = *after;
  if (seconds >= to.time - kKeyTimeTolerance) return to.value;
  if (interpolation == Interpolation::kStep) return from.value;
  const double t = (seconds - from.time) / (to.time - from.time);
  if constexpr (std::is_same_v<Value, Vec3>) {
    return Lerp(from.value, to.value, t);
  } else {
    return Blend(from.value, to.value, t);
  }
}

}  // namespace

Vec3 Evaluate(const VectorTrack& track, double seconds) {
  if (track.keys.empty()) return Vec3{};
  return Sample<VectorKey, Vec3>(track.keys, track.interpolation, seconds);
}

Quaternion Evaluate(const RotationTrack& track, double seconds) {
  if (track.keys.empty()) return Quaternion{};
  return Sample<RotationKey, Quaternion>(track.keys, track.interpolation, seconds);
}

Matrix AnimatedMatrix(const ObjectTracks& tracks, const Matrix& rest, double seconds) {
  if (tracks.Empty()) return rest;
  Pose t = Decompose(rest);
  if (!tracks.position.keys.empty()) t.position = Evaluate(tracks.position, seconds);
  if (!tracks.rotation.keys.empty()) t.rotation = Evaluate(tracks.rotation, seconds);
  if (!tracks.scale.keys.empty()) t.scale = Evaluate(tracks.scale, seconds);
  return Compose(t);
}

}  // namespace host
