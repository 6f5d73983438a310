// Keyframe tracks of an object's position, rotation and scale, and their
// evaluation at a time. Key times are seconds (double); keys are kept in
// ascending time order. Before the first key a track holds the first value,
// after the last key the last value.
#pragma once

#include <vector>

#include "host/matrix.h"

namespace host {

enum class Interpolation { kLinear, kStep };

struct VectorKey {
  double time = 0;
  Vec3 value;
};

struct RotationKey {
  double time = 0;
  Quaternion value;
};

struct VectorTrack {
  Interpolation interpolation = Interpolation::kLinear;
  std::vector<VectorKey> keys;
};

// Linear rotation tracks interpolate along the shorter arc.
struct RotationTrack {
  Interpolation interpolation = Interpolation::kLinear;
  std::vector<RotationKey> keys;
};

struct ObjectTracks {
  VectorTrack position;
  RotationTrack rotation;
  VectorTrack scale;

  bool Empty() const {
    return position.keys.empty() && rotation.keys.empty() && scale.keys.empty();
  }
};

Vec3 Evaluate(const VectorTrack& track, double seconds);
Quaternion Evaluate(const RotationTrack& track, double seconds);

// The local matrix at `seconds`: the animated parts from the tracks, the
// others from `rest`. Without keys the rest matrix is returned unchanged.
Matrix AnimatedMatrix(const ObjectTracks& tracks, const Matrix& rest, double seconds);

}  // namespace host
