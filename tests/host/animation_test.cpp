// Keyframe tracks and the animate call: the local and global matrices
// follow the tracks at the document's time.
#include "host/animation.h"

#include <gtest/gtest.h>

#include <cmath>

#include "host/document.h"
#include "host_fixture.h"
#include "sdk/document.h"
#include "sdk/exact_time.h"
#include "sdk/scene.h"

namespace {

constexpr double kHalfTurn = 3.14159265358979323846;

host::Quaternion AboutY(double angle) {
  return {0, std::sin(angle / 2), 0, std::cos(angle / 2)};
}

TEST(AnimationTracks, InterpolateLinearlyOrStepAndHoldOutsideTheKeys) {
  host::VectorTrack track;
  track.keys = {{0.0, {0, 0, 0}}, {1.0, {2, 0, 0}}, {2.0, {2, 4, 0}}};
  struct Case {
    double seconds;
    double linearX, linearY, stepX, stepY;
  };
  const Case cases[] = {
      {-1.0, 0, 0, 0, 0}, {0.0, 0, 0, 0, 0}, {0.25, 0.5, 0, 0, 0},
      {1.0, 2, 0, 2, 0},  {1.5, 2, 2, 2, 0}, {1.0 / 3.0 * 6.0, 2, 4, 2, 4},
      {9.0, 2, 4, 2, 4},
  };
  for (const Case& c : cases) {
    track.interpolation = host::Interpolation::kLinear;
    const host::Vec3 linear = host::Evaluate(track, c.seconds);
    EXPECT_NEAR(linear.x, c.linearX, 1e-12) << c.seconds;
    EXPECT_NEAR(linear.y, c.linearY, 1e-12) << c.seconds;
    track.interpolation = host::Interpolation::kStep;
    const host::Vec3 step = host::Evaluate(track, c.seconds);
    EXPECT_NEAR(step.x, c.stepX, 1e-12) << c.seconds;
    EXPECT_NEAR(step.y, c.stepY, 1e-12) << c.seconds;
  }
}

TEST(AnimationTracks, RotationsTurnAlongTheShorterArc) {
  host::RotationTrack track;
  track.keys = {{0.0, AboutY(0)}, {1.0, AboutY(kHalfTurn * 0.5)}};
  const host::Matrix halfway = host::Compose({{}, host::Evaluate(track, 0.5), {1, 1, 1}});
  EXPECT_NEAR(halfway.v1.x, std::cos(kHalfTurn / 4), 1e-12);
  EXPECT_NEAR(halfway.v1.z, -std::sin(kHalfTurn / 4), 1e-12);

  // The same end rotation given as its negative quaternion must not take the
  // long way round.
  host::Quaternion negated = AboutY(kHalfTurn * 0.5);
  negated = {-negated.x, -negated.y, -negated.z, -negated.w};
  track.keys[1].value = negated;
  const host::Matrix shorter = host::Compose({{}, host::Evaluate(track, 0.5), {1, 1, 1}});
  EXPECT_NEAR(shorter.v1.x, halfway.v1.x, 1e-12);
  EXPECT_NEAR(shorter.v1.z, halfway.v1.z, 1e-12);
}

TEST(AnimationTracks, DecomposeUndoesCompose) {
  const host::Pose pose{{1, -2, 3}, host::NormalizedQuaternion({0.2, 0.4, -0.1, 0.9}), {2, 3, 0.5}};
  const host::Matrix m = host::Compose(pose);
  const host::Matrix again = host::Compose(host::Decompose(m));
  for (const auto& [a, b] : {std::pair{m.v1, again.v1}, {m.v2, again.v2}, {m.v3, again.v3}}) {
    EXPECT_NEAR(a.x, b.x, 1e-12);
    EXPECT_NEAR(a.y, b.y, 1e-12);
    EXPECT_NEAR(a.z, b.z, 1e-12);
  }
  host::Matrix mirrored = m;
  mirrored.v1 = mirrored.v1 * -1.0;
  const host::Matrix mirroredAgain = host::Compose(host::Decompose(mirrored));
  EXPECT_NEAR(mirroredAgain.v1.x, mirrored.v1.x, 1e-12);
  EXPECT_NEAR(mirroredAgain.v3.z, mirrored.v3.z, 1e-12);
}

class HostAnimateTest : public HostTest {};

TEST_F(HostAnimateTest, AnimateMovesObjectsToTheirTracksAtTheDocumentTime) {
  HostDocument* doc = host::NewDocument();
  HostObject& parent = host::AddObject(doc->scene, host::kNoIndex, kObjectNull, "Parent");
  parent.tracks.position.keys = {{0.0, {0, 0, 0}}, {2.0, {10, 0, 0}}};
  parent.tracks.rotation.keys = {{0.0, AboutY(0)}};
  HostObject& child = host::AddObject(doc->scene, parent.index, kObjectPolygon, "Child");
  child.local = host::Compose({{0, 1, 0}, {}, {3, 3, 3}});
  child.tracks.scale.interpolation = host::Interpolation::kStep;
  child.tracks.scale.keys = {{0.0, {1, 1, 1}}, {1.0, {2, 2, 2}}};

  SetDocumentTime(doc, Time(1, 2));
  AnimateDocument(doc, nullptr, 1, 1);
  const HostMatrix atHalf = GlobalMatrixOf(ObjectDown(GetFirstObject(doc)));
  EXPECT_FLOAT_EQ(atHalf.off.x, 2.5f);
  EXPECT_FLOAT_EQ(atHalf.off.y, 1.0f) << "the child's own position is not animated";
  EXPECT_FLOAT_EQ(atHalf.v1.x, 1.0f) << "step scale still at its first key";

  BaseDocument* copy = CopyDocument(doc);
  SetDocumentTime(copy, Time(30, 30));
  AnimateDocument(copy, nullptr, 1, 1);
  const HostMatrix atOne = GlobalMatrixOf(ObjectDown(GetFirstObject(copy)));
  EXPECT_FLOAT_EQ(atOne.off.x, 5.0f);
  EXPECT_FLOAT_EQ(atOne.v2.y, 2.0f) << "a frame time that lands on a key takes the key";
  EXPECT_FLOAT_EQ(GlobalMatrixOf(ObjectDown(GetFirstObject(doc))).off.x, 2.5f)
      << "animating a copy leaves the original as it was";

  SetDocumentTime(doc, Time(0, 1));
  AnimateDocument(doc, nullptr, 1, 1);
  EXPECT_FLOAT_EQ(GlobalMatrixOf(ObjectDown(GetFirstObject(doc))).off.x, 0.0f)
      << "going back in time works from the stored matrix";
  FreeDocument(copy);
  delete doc;
}

}  // namespace
