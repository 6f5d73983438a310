// The inner-cut cancellation of one host polygon: take the cuts out, join
// straight continuations, cancel shared stretches in a 3D pool, put the
// survivors back.
#include "lines/inner_cuts.h"

#include "lines/direction_index.h"
#include "lines/segment_overlap.h"
#include "lines/segment_pool.h"

namespace {

constexpr double kCutTolerance = 1e-5;
// Two pieces continue each other when their directions differ by less than this.
constexpr double kStraightDot = -0.999;

struct CutPiece {
  Vector3d start;
  Vector3d end;
  uint32_t flags = 0;
  bool freeStart = false;  // the start is no corner of the host polygon
  bool freeEnd = false;
  bool joined = false;  // absorbed into another piece
};

bool IsCorner(const Vector3d& p, const Vector3d* corners, int32_t cornerCount) {
  for (int32_t c = 0; c < cornerCount; ++c) {
    if (SameWithin(p, corners[c], kCutTolerance)) return true;
  }
  return false;
}

double DistanceKey(const Vector3d& p) {
  return Length(p);
}

bool HasCuts(const Stack<EdgePiece>& pieces) {
  for (int32_t k = 0; k < pieces.Count(); ++k) {
    if ((pieces[k].flags & EdgeOriginal) == 0) return true;
  }
  return false;
}

// Moves the pieces without EdgeOriginal into `cuts`, last piece first. A
// polygon without cuts, the common case, keeps its list untouched.
bool TakeCuts(Stack<EdgePiece>& pieces, Stack<CutPiece>& cuts, const Vector3d* corners,
              int32_t cornerCount) {
  if (!HasCuts(pieces)) return true;
  Stack<EdgePiece> originals;
  for (int32_t k = pieces.Count() - 1; k >= 0; --k) {
    const EdgePiece& piece = pieces[k];
    if ((piece.flags & EdgeOriginal) != 0) continue;
    CutPiece cut;
    cut.start = piece.start;
    cut.end = piece.end;
    cut.flags = piece.flags;
    cut.freeStart = !IsCorner(piece.start, corners, cornerCount);
    cut.freeEnd = !IsCorner(piece.end, corners, cornerCount);
    cuts.Push(cut);
  }
  for (int32_t k = 0; k < pieces.Count(); ++k) {
    if ((pieces[k].flags & EdgeOriginal) != 0) originals.Push(pieces[k]);
  }
  if (MemoryErrorFlag::Test() != 0) return false;
  pieces = originals;
  return MemoryErrorFlag::Test() == 0;
}

// `before` ends where `after` starts, and the two run on in one straight line.
bool ContinuesStraight(const CutPiece& before, const CutPiece& after) {
  if (Dot(Normalised(after.end - after.start), Normalised(before.start - before.end)) >=
      kStraightDot) {
    return false;
  }
  const LineView farEnds{before.start, after.end, after.end - before.start,
                         DistanceSquared(after.end, before.start)};
  return Length(after.start - Foot(farEnds, after.start)) < kCutTolerance;
}

class CutJoiner {
 public:
  explicit CutJoiner(Stack<CutPiece>& cuts) : cuts_(cuts) {}

  void JoinAll() {
    if (cuts_.Empty()) return;
    index_.reset(2 * cuts_.Count(), DistanceKey(cuts_[0].start));
    for (int32_t i = 0; i < cuts_.Count(); ++i) {
      index_.widen(DistanceKey(cuts_[i].start));
      index_.widen(DistanceKey(cuts_[i].end));
    }
    for (int32_t i = 0; i < cuts_.Count(); ++i) {
      index_.insert(DistanceKey(cuts_[i].start), i);
      index_.insert(DistanceKey(cuts_[i].end), i);
    }
    for (int32_t i = 0; i < cuts_.Count() && MemoryErrorFlag::Test() == 0; ++i) {
      if (cuts_[i].joined) continue;
      while (JoinAtStart(i) || JoinAtEnd(i)) {
      }
    }
    Compact();
  }

 private:
  // A piece that ends at piece i's free start and runs on straight into it
  // becomes part of piece i.
  bool JoinAtStart(int32_t i) {
    CutPiece& p = cuts_[i];
    if (!p.freeStart) return false;
    const int32_t j = FindPartner(i, p.start, /*atItsEnd=*/true);
    if (j < 0) return false;
    const CutPiece q = cuts_[j];
    Absorb(j);
    index_.RemoveEntry(DistanceKey(p.start), i);
    p.start = q.start;
    p.flags = q.flags;
    p.freeStart = q.freeStart;
    index_.insert(DistanceKey(p.start), i);
    return true;
  }

  bool JoinAtEnd(int32_t i) {
    CutPiece& p = cuts_[i];
    if (!p.freeEnd) return false;
    const int32_t j = FindPartner(i, p.end, /*atItsEnd=*/false);
    if (j < 0) return false;
    const CutPiece q = cuts_[j];
    Absorb(j);
    index_.RemoveEntry(DistanceKey(p.end), i);
    p.end = q.end;
    p.freeEnd = q.freeEnd;
    index_.insert(DistanceKey(p.end), i);
    return true;
  }

  // A live piece other than i whose free end (atItsEnd) or free start meets
  // `point` and that continues piece i straight; -1 when none.
  int32_t FindPartner(int32_t i, const Vector3d& point, bool atItsEnd) {
    while (!candidates_.Empty()) candidates_.Pop();
    index_.candidates(DistanceKey(point), candidates_);
    for (int32_t k = 0; k < candidates_.Count(); ++k) {
      const int32_t j = candidates_[k];
      if (j == i || cuts_[j].joined) continue;
      const CutPiece& q = cuts_[j];
      if (atItsEnd) {
        if (q.freeEnd && SameWithin(q.end, point, kCutTolerance) && ContinuesStraight(q, cuts_[i]))
          return j;
      } else {
        if (q.freeStart && SameWithin(q.start, point, kCutTolerance) &&
            ContinuesStraight(cuts_[i], q))
          return j;
      }
    }
    return -1;
  }

  void Absorb(int32_t j) {
    cuts_[j].joined = true;
    index_.RemoveEntry(DistanceKey(cuts_[j].start), j);
    index_.RemoveEntry(DistanceKey(cuts_[j].end), j);
  }

  void Compact() {
    int32_t kept = 0;
    for (int32_t i = 0; i < cuts_.Count(); ++i) {
      if (!cuts_[i].joined) cuts_[kept++] = cuts_[i];
    }
    while (cuts_.Count() > kept) cuts_.Pop();
  }

  Stack<CutPiece>& cuts_;
  DirectionIndex index_;
  Stack<int32_t> candidates_;
};

// Cancels the stretches two cuts share; returns the survivors' pool.
void CancelShared(const Stack<CutPiece>& cuts, SegmentPool3D& pool) {
  pool.cancel = 1;
  pool.tolerance = kCutTolerance;
  for (int32_t i = 0; i < cuts.Count(); ++i) {
    pool.segments.Push(
        MakeSegment3D(cuts[i].start, cuts[i].end, static_cast<int32_t>(cuts[i].flags), 0));
  }
  if (MemoryErrorFlag::Test() == 0) resolve(pool);
}

bool Interrupted(const ExportJob* job) {
  return MemoryErrorFlag::Test() != 0 || ExportCancelled(job);
}

}  // namespace

void cancelInnerCuts(Stack<EdgePiece>& pieces, const Vector3d* corners, int32_t cornerCount,
                     const ExportJob* job) {
  Stack<CutPiece> cuts;
  if (!TakeCuts(pieces, cuts, corners, cornerCount) || Interrupted(job)) return;
  if (cuts.Empty()) return;

  CutJoiner(cuts).JoinAll();
  if (Interrupted(job)) return;

  SegmentPool3D pool;
  CancelShared(cuts, pool);
  if (Interrupted(job)) return;

  for (int32_t i = 0; i < pool.segments.Count(); ++i) {
    const Segment3D& s = pool.segments[i];
    pieces.Push(EdgePiece{s.p0, s.p1, static_cast<uint32_t>(s.value) | EdgeInnerBoundary});
  }
}
