// The region chainer: directed walk by turning measure, then joining of the
// open runs.
#include "lines/region_chainer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "host/api/vexmark_ids.h"
#include "lines/cell_hash.h"
#include "lines/outline_weld.h"

namespace {

// Points closer than this on every axis close a path.
constexpr double kClosed = 0.00001;
// Candidates closer than this (squared distance) count as exact.
constexpr double kNearlyExact = 0.00001;
// Outline ends closer than this on every axis are one point.
constexpr double kWeld = 0.02;
// A closed outline whose area is less than this times its length is a
// sliver: its mean width is below twice this, far below a hairline.
constexpr double kSliverWidth = 0.01;
constexpr float kPiFloat = static_cast<float>(kPi);
constexpr float kDegreesPerRadian = 360.0f / (2.0f * kPiFloat);

float ClampedAcos(float x) {
  if (x <= -1.0f) return kPiFloat;
  if (x >= 1.0f) return 0.0f;
  return std::acos(x);
}

template <class T>
void EraseAt(Stack<T>& stack, int32_t position) {
  for (int32_t i = position + 1; i < stack.Count(); ++i) stack[i - 1] = stack[i];
  stack.Pop();
}

bool IsClosed(const EpsPath& path) {
  const Stack<Vector3d>& p = path.points;
  return p.Count() >= 2 && SameWithin(p[0], p[p.Count() - 1], kClosed);
}

struct Continuation {
  int32_t segment = -1;
  double distanceSquared = 0.0;
  float turning = 0.0f;
};

// The segments' start points in a grid of cells as wide as the tolerance.
// Used segments stay in the grid and are skipped.
class StartGrid {
 public:
  void Build(const Stack<EdgeSegment>& segments, double tolerance) {
    if (!(tolerance > 0.0)) return;  // nothing is closer than it
    cell_ = tolerance;
    grid_.Reset(segments.Count());
    for (int32_t i = 0; i < segments.Count(); ++i)
      grid_.Insert(CellOf(segments[i].a.x, segments[i].a.y, cell_), i);
  }

  // The unused segments whose start lies in the cells around `p`, in their
  // order in the list.
  void Near(const Vector3d& p, const Stack<uint8_t>& used, Stack<int32_t>& out) const {
    while (!out.Empty()) out.Pop();
    if (grid_.Empty()) return;
    grid_.ForEachAround(CellOf(p.x, p.y, cell_), [&](int32_t segment) {
      if (used[segment] == 0) out.Push(segment);
    });
    std::sort(out.Items(), out.Items() + out.Count());
  }

 private:
  CellHash grid_;
  double cell_ = 1.0;
};

// Walks the segments into paths. Used segments are marked, not erased, and
// the grid finds the starts near a path's end, so that a region of many
// segments is chained in time close to linear.
class RegionWalk {
 public:
  RegionWalk(Stack<EdgeSegment>& segments, double tolerance)
      : segments_(segments), tolerance_(tolerance) {
    used_.SetCount(segments.Count());
    for (int32_t i = 0; i < used_.Count(); ++i) used_[i] = 0;
    grid_.Build(segments, tolerance);
  }

  bool Done() const { return remaining_ == 0; }

  // Walks from the first unused segment until the path closes or no
  // segment continues it.
  void WalkPath(EpsPath& path) {
    while (used_[first_] != 0) ++first_;
    path.points.Push(segments_[first_].a);
    path.points.Push(segments_[first_].b);
    Use(first_);
    while (!IsClosed(path) && MemoryErrorFlag::Test() == 0) {
      const Stack<Vector3d>& p = path.points;
      const int32_t next = ChooseContinuation(p[p.Count() - 2], p[p.Count() - 1]);
      if (next < 0) return;
      path.points.Push(segments_[next].b);
      Use(next);
    }
  }

  // Leaves the unused segments in the list, in their order.
  void DropUsed() {
    int32_t kept = 0;
    for (int32_t i = 0; i < segments_.Count() && i < used_.Count(); ++i) {
      if (used_[i] == 0) segments_[kept++] = segments_[i];
    }
    while (segments_.Count() > kept) segments_.Pop();
  }

 private:
  void Use(int32_t segment) {
    used_[segment] = 1;
    --remaining_;
  }

  // The continuation of a path ending at `last` (coming from `before`); -1
  // when no segment starts near `last`.
  int32_t ChooseContinuation(const Vector3d& before, const Vector3d& last) {
    while (!found_.Empty()) found_.Pop();
    grid_.Near(last, used_, near_);
    for (int32_t k = 0; k < near_.Count(); ++k) {
      const int32_t i = near_[k];
      const double d2 = DistanceSquared(segments_[i].a, last);
      if (d2 < tolerance_ * tolerance_) {
        found_.Push(Continuation{i, d2, TurningMeasure(before, last, segments_[i])});
      }
    }
    if (found_.Empty()) return -1;
    if (found_.Count() == 1) return found_[0].segment;

    int32_t nearlyExact = 0;
    for (int32_t k = 0; k < found_.Count(); ++k) {
      if (found_[k].distanceSquared < kNearlyExact) ++nearlyExact;
    }
    if (nearlyExact == 0) ConsolePrint("nichts passendes");
    if (nearlyExact >= 2) ConsolePrint("mehrere");

    // Among exact starts the least turning; without one, the nearest start.
    int32_t best = -1;
    for (int32_t k = 0; k < found_.Count(); ++k) {
      if (found_[k].distanceSquared != 0.0) continue;
      if (best < 0 || found_[k].turning < found_[best].turning) best = k;
    }
    if (best < 0) {
      for (int32_t k = 0; k < found_.Count(); ++k) {
        if (best < 0 || found_[k].distanceSquared < found_[best].distanceSquared) best = k;
      }
    }
    return found_[best].segment;
  }

  Stack<EdgeSegment>& segments_;
  double tolerance_;
  Stack<uint8_t> used_;
  StartGrid grid_;
  int32_t first_ = 0;  // no segment before it is unused
  int32_t remaining_ = segments_.Count();
  Stack<int32_t> near_;
  Stack<Continuation> found_;
};

// `run` in the direction that starts at its end `startAtFront` chooses.
Stack<Vector3d> Oriented(const Stack<Vector3d>& run, bool startAtFront) {
  Stack<Vector3d> oriented;
  for (int32_t k = 0; k < run.Count(); ++k) {
    oriented.Push(run[startAtFront ? k : run.Count() - 1 - k]);
  }
  return oriented;
}

// `first` followed by `second`; a point of `second` that repeats the last
// point of `first` is left out, one within the tolerance bridges the gap.
Stack<Vector3d> Concatenated(const Stack<Vector3d>& first, const Stack<Vector3d>& second) {
  Stack<Vector3d> joined = first;
  const bool repeats = SameWithin(first[first.Count() - 1], second[0], kClosed);
  for (int32_t k = repeats ? 1 : 0; k < second.Count(); ++k) joined.Push(second[k]);
  return joined;
}

// Joins `tail` to `head` at the touching ends: at head's end or start, and
// at tail's start or end.
void Join(EpsPath& head, const EpsPath& tail, bool atHeadEnd, bool atTailStart) {
  const Stack<Vector3d> joined =
      atHeadEnd ? Concatenated(head.points, Oriented(tail.points, atTailStart))
                : Concatenated(Oriented(tail.points, !atTailStart), head.points);
  if (MemoryErrorFlag::Test() == 0) head.points = joined;
}

// Joins the open runs: the first one takes on the nearest run whose end
// touches one of its ends, until it closes; without any it is closed on
// itself.
void JoinOpenPaths(Stack<EpsPath>& open, Stack<EpsPath>& paths, double tolerance) {
  while (!open.Empty() && MemoryErrorFlag::Test() == 0) {
    EpsPath& first = open[0];
    const Vector3d head = first.points[0];
    const Vector3d tail = first.points[first.points.Count() - 1];
    int32_t best = -1;
    bool bestAtEnd = false;
    bool bestAtStart = false;
    double bestDistance = 0.0;
    for (int32_t k = 1; k < open.Count(); ++k) {
      const Stack<Vector3d>& q = open[k].points;
      const Vector3d ends[2] = {q[0], q[q.Count() - 1]};
      for (int atEnd = 1; atEnd >= 0; --atEnd) {
        for (int atStart = 1; atStart >= 0; --atStart) {
          const double d2 = DistanceSquared(atEnd ? tail : head, atStart ? ends[0] : ends[1]);
          if (d2 >= tolerance * tolerance) continue;
          if (best < 0 || d2 < bestDistance) {
            best = k;
            bestAtEnd = atEnd != 0;
            bestAtStart = atStart != 0;
            bestDistance = d2;
          }
        }
      }
    }
    if (best < 0) {
      first.points.Push(head);
    } else {
      Join(first, open[best], bestAtEnd, bestAtStart);
      EraseAt(open, best);
      if (!IsClosed(open[0])) continue;
    }
    paths.Push(open[0]);
    EraseAt(open, 0);
  }
}

// Whether a closed path bounds next to no area: the two sides of a cut that
// did not cancel, or a piece folded back onto itself.
bool IsSliver(const EpsPath& path) {
  const Stack<Vector3d>& p = path.points;
  double twiceArea = 0.0, length = 0.0;
  for (int32_t k = 0; k < p.Count(); ++k) {
    const Vector3d& u = p[k];
    const Vector3d& v = p[(k + 1) % p.Count()];
    twiceArea += u.x * v.y - v.x * u.y;
    length += std::sqrt(DistanceSquared(u, v));
  }
  return std::fabs(twiceArea) / 2.0 < kSliverWidth * length;
}

// Drops the slivers among the paths from `from` on; their sides go to
// `leftOut` when it is given.
void DropSlivers(Stack<EpsPath>& paths, int32_t from, Stack<EdgeSegment>* leftOut) {
  int32_t kept = from;
  for (int32_t k = from; k < paths.Count(); ++k) {
    if (!IsSliver(paths[k])) {
      if (kept != k) paths[kept] = std::move(paths[k]);
      ++kept;
    } else if (leftOut != nullptr) {
      const Stack<Vector3d>& p = paths[k].points;
      for (int32_t i = 1; i < p.Count(); ++i) leftOut->Push(EdgeSegment{p[i - 1], p[i]});
    }
  }
  while (paths.Count() > kept) paths.Pop();
}

}  // namespace

float TurningMeasure(const Vector3d& before, const Vector3d& last, const EdgeSegment& leaving) {
  const Vector3d incoming = before - last;
  const Vector3d outgoing = leaving.b - leaving.a;
  const float d = static_cast<float>(Dot(Normalised(incoming), Normalised(outgoing)));
  const float k = static_cast<float>(outgoing.y * incoming.x - outgoing.x * incoming.y);
  if (k > 0.0f) return ClampedAcos(d) * kDegreesPerRadian;
  if (d >= 0.0f) return 360.0f - ClampedAcos(1.0f - d) * kDegreesPerRadian;
  return ClampedAcos(d + 1.0f) * kDegreesPerRadian + 180.0f;
}

void ChainRegion(Stack<EdgeSegment>& segments, Stack<EpsPath>& paths, double tolerance,
                 ExportJob* job, Stack<EdgeSegment>* leftOut) {
  WeldOutline(segments, kWeld, leftOut);
  const int32_t first = paths.Count();
  Stack<EpsPath> open;
  RegionWalk walk(segments, tolerance);
  while (!walk.Done() && !ExportCancelled(job) && MemoryErrorFlag::Test() == 0) {
    ReportProgressAgain(job);
    EpsPath path;
    walk.WalkPath(path);
    if (MemoryErrorFlag::Test() != 0) break;
    if (IsClosed(path)) {
      paths.Push(path);
    } else {
      open.Push(path);
    }
  }
  walk.DropUsed();
  JoinOpenPaths(open, paths, tolerance);
  DropSlivers(paths, first, leftOut);
}
