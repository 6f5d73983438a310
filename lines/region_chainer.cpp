// The region chainer: directed walk by turning measure, then joining of the
// open runs.
#include "lines/region_chainer.h"

#include <cmath>


namespace {

// Points closer than this on every axis close a path.
constexpr double kClosed = 0.00001;
// Candidates closer than this (squared distance) count as exact.
constexpr double kNearlyExact = 0.00001;
constexpr float kPi = 3.14159265358979f;
constexpr float kDegreesPerRadian = 360.0f / (2.0f * kPi);

float ClampedAcos(float x) {
  if (x <= -1.0f) return kPi;
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

// The continuation of a path ending at `last` (coming from `before`); -1
// when no segment starts near `last`.
int32_t ChooseContinuation(const Stack<EdgeSegment>& segments, const Vector3d& before, const Vector3d& last,
                           double tolerance, Stack<Continuation>& found) {
  while (!found.Empty()) found.Pop();
  for (int32_t i = 0; i < segments.Count(); ++i) {
    const double d2 = DistanceSquared(segments[i].a, last);
    if (d2 < tolerance * tolerance) {
      found.Push(Continuation{i, d2, TurningMeasure(before, last, segments[i])});
    }
  }
  if (found.Empty()) return -1;
  if (found.Count() == 1) return found[0].segment;

  int32_t nearlyExact = 0;
  for (int32_t k = 0; k < found.Count(); ++k) {
    if (found[k].distanceSquared < kNearlyExact) ++nearlyExact;
  }
  if (nearlyExact == 0) ConsolePrint("nichts passendes");
  if (nearlyExact >= 2) ConsolePrint("mehrere");

  // Among exact starts the least turning; without one, the nearest start.
  int32_t best = -1;
  for (int32_t k = 0; k < found.Count(); ++k) {
    if (found[k].distanceSquared != 0.0) continue;
    if (best < 0 || found[k].turning < found[best].turning) best = k;
  }
  if (best < 0) {
    for (int32_t k = 0; k < found.Count(); ++k) {
      if (best < 0 || found[k].distanceSquared < found[best].distanceSquared) best = k;
    }
  }
  return found[best].segment;
}

// Walks from the first remaining segment until the path closes or no
// segment continues it.
void WalkPath(Stack<EdgeSegment>& segments, EpsPath& path, double tolerance,
              Stack<Continuation>& found) {
  path.points.Push(segments[0].a);
  path.points.Push(segments[0].b);
  EraseAt(segments, 0);
  while (!IsClosed(path) && MemoryErrorFlag::Test() == 0) {
    const Stack<Vector3d>& p = path.points;
    const int32_t next =
        ChooseContinuation(segments, p[p.Count() - 2], p[p.Count() - 1], tolerance, found);
    if (next < 0) return;
    path.points.Push(segments[next].b);
    EraseAt(segments, next);
  }
}

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
  const Stack<Vector3d> joined = atHeadEnd
                                 ? Concatenated(head.points, Oriented(tail.points, atTailStart))
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
                 ExportJob* job) {
  Stack<EpsPath> open;
  Stack<Continuation> found;
  while (!segments.Empty() && !ExportCancelled(job) && MemoryErrorFlag::Test() == 0) {
    ReportProgressAgain(job);
    EpsPath path;
    WalkPath(segments, path, tolerance, found);
    if (MemoryErrorFlag::Test() != 0) break;
    if (IsClosed(path)) {
      paths.Push(path);
    } else {
      open.Push(path);
    }
  }
  JoinOpenPaths(open, paths, tolerance);
}
