// The line chainer. End points are indexed by their distance from the
// origin, so that matching segments are found among few candidates.
// Segments keep their positions while chaining (used ones are only marked
// and dropped from the index) and the list is compacted at the end.
#include "lines/line_chainer.h"

#include "lines/direction_index.h"

namespace {

constexpr int32_t kStepsPerProgress = 100;

double DistanceKey(const Vector3d& p) {
  return Length(p);
}

// A path grown at both ends: `front` holds the points put before the first
// segment, nearest last; `back` holds the first segment and everything
// appended after it.
class GrowingPath {
 public:
  GrowingPath(const Vector3d& a, const Vector3d& b) {
    back_.Push(a);
    back_.Push(b);
  }
  const Vector3d& First() const { return front_.Empty() ? back_[0] : front_[front_.Count() - 1]; }
  const Vector3d& Second() const {
    const int32_t n = front_.Count();
    if (n >= 2) return front_[n - 2];
    return n == 1 ? back_[0] : back_[1];
  }
  const Vector3d& Last() const { return back_[back_.Count() - 1]; }
  const Vector3d& BeforeLast() const { return back_[back_.Count() - 2]; }
  void Prepend(const Vector3d& p) { front_.Push(p); }
  void Append(const Vector3d& p) { back_.Push(p); }

  void MoveTo(EpsPath& path) const {
    path.points.Reserve(front_.Count() + back_.Count());
    for (int32_t i = front_.Count() - 1; i >= 0; --i) path.points.Push(front_[i]);
    for (int32_t i = 0; i < back_.Count(); ++i) path.points.Push(back_[i]);
  }

 private:
  Stack<Vector3d> front_;
  Stack<Vector3d> back_;
};

struct Extension {
  int32_t segment = -1;
  bool atFront = false;
  Vector3d point;            // the segment's far end, which joins the path
  double measure = 0.0;  // -1 is a straight continuation
};

class LineChainer {
 public:
  LineChainer(ExportJob* job, Stack<EdgeSegment>& segments, double tolerance)
      : job_(job), segments_(segments), tolerance_(tolerance) {}

  void Run(Stack<EpsPath>& paths) {
    if (segments_.Empty()) return;
    if (!BuildIndex()) return;
    int32_t remaining = segments_.Count();
    int32_t next = 0;
    while (remaining > 0 && !ExportCancelled(job_) && MemoryErrorFlag::Test() == 0) {
      while (used_[next] != 0) ++next;
      ReportProgressAgain(job_);
      GrowingPath path(segments_[next].a, segments_[next].b);
      // A path that could not hold its first segment ends the chaining.
      if (MemoryErrorFlag::Test() != 0) return;
      Take(next);
      --remaining;
      Extension extension;
      while (remaining > 0 && FindExtension(path, extension)) {
        if (extension.atFront) {
          path.Prepend(extension.point);
        } else {
          path.Append(extension.point);
        }
        Take(extension.segment);
        --remaining;
        if (++steps_ % kStepsPerProgress == 0) ReportProgressAgain(job_);
      }
      EpsPath finished;
      path.MoveTo(finished);
      if (MemoryErrorFlag::Test() != 0) break;
      paths.Push(finished);
    }
    DropUsed();
  }

 private:
  bool BuildIndex() {
    const int32_t n = segments_.Count();
    if (used_.SetCount(n) != 0) return false;
    index_.reset(2 * n, DistanceKey(segments_[0].a));
    for (int32_t i = 0; i < n; ++i) {
      index_.widen(DistanceKey(segments_[i].a));
      index_.widen(DistanceKey(segments_[i].b));
    }
    for (int32_t i = 0; i < n; ++i) {
      index_.insert(DistanceKey(segments_[i].a), i);
      index_.insert(DistanceKey(segments_[i].b), i);
    }
    return MemoryErrorFlag::Test() == 0;
  }

  void Take(int32_t i) {
    used_[i] = 1;
    index_.RemoveEntry(DistanceKey(segments_[i].a), i);
    index_.RemoveEntry(DistanceKey(segments_[i].b), i);
  }

  bool Matches(const Vector3d& p, const Vector3d& q) const { return SameWithin(p, q, tolerance_); }

  // Looks at the segments near `end`; `inward` is the path's direction from
  // that end into the path. Keeps the first match unless a later one is
  // strictly straighter.
  void Consider(const Vector3d& end, const Vector3d& inward, bool atFront, Extension& best, bool& found) {
    while (!candidates_.Empty()) candidates_.Pop();
    index_.candidates(DistanceKey(end), candidates_);
    for (int32_t k = 0; k < candidates_.Count(); ++k) {
      const int32_t c = candidates_[k];
      if (used_[c] != 0) continue;
      const EdgeSegment& s = segments_[c];
      if (Matches(s.a, end))
        Offer(Extension{c, atFront, s.b, Dot(inward, Normalised(s.b - s.a))}, best, found);
      if (Matches(s.b, end))
        Offer(Extension{c, atFront, s.a, Dot(inward, Normalised(s.a - s.b))}, best, found);
    }
  }

  static void Offer(const Extension& candidate, Extension& best, bool& found) {
    if (!found || candidate.measure < best.measure) {
      best = candidate;
      found = true;
    }
  }

  bool FindExtension(const GrowingPath& path, Extension& best) {
    bool found = false;
    Consider(path.First(), Normalised(path.Second() - path.First()), true, best, found);
    Consider(path.Last(), Normalised(path.BeforeLast() - path.Last()), false, best, found);
    return found;
  }

  // Removes the used segments, keeping the order of the others.
  void DropUsed() {
    int32_t kept = 0;
    for (int32_t i = 0; i < segments_.Count(); ++i) {
      if (used_[i] == 0) segments_[kept++] = segments_[i];
    }
    while (segments_.Count() > kept) segments_.Pop();
  }

  ExportJob* job_;
  Stack<EdgeSegment>& segments_;
  double tolerance_;
  DirectionIndex index_;
  Stack<uint8_t> used_;
  Stack<int32_t> candidates_;
  int32_t steps_ = 0;
};

}  // namespace

void ChainSegments(Stack<EdgeSegment>& segments, Stack<EpsPath>& paths, double tolerance,
                   ExportJob* job) {
  LineChainer(job, segments, tolerance).Run(paths);
}
