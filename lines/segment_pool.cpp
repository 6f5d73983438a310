// Self-resolution of a segment pool and subtraction of a pool from a list.
#include "lines/segment_pool.h"

#include "lines/live_positions.h"
#include "lines/segment_overlap.h"

namespace {

constexpr int32_t kCandidatesPerProgress = 100;

// Layout-specific parts of the pools.
template <class Segment>
struct Layout;

template <>
struct Layout<Segment3D> {
  static constexpr PartialRule kRule = PartialRule::kByDirection;
  static constexpr int32_t kIndexFactor = 1;
  static Segment3D Piece(const Segment3D& a, const Vector3d& p0, const Vector3d& p1) {
    return MakeSegment3D(p0, p1, a.value, 1);
  }
};

template <>
struct Layout<SegmentPlain> {
  static constexpr PartialRule kRule = PartialRule::kByInnerEnd;
  static constexpr int32_t kIndexFactor = 2;
  static SegmentPlain Piece(const SegmentPlain&, const Vector3d& p0, const Vector3d& p1) {
    return MakeSegmentPlain(p0, p1);
  }
};

template <class Segment>
double KeyOf(const Segment& s) {
  return DirectionKey(s.dir, s.lengthSquared);
}

template <class T>
void Truncate(Stack<T>& stack) {
  while (!stack.Empty()) stack.Pop();
}

// Indexes every segment by direction; the index is sized for indexFactor
// times the segment count.
template <class Segment>
void BuildIndex(DirectionIndex& index, const Stack<Segment>& segments, int32_t indexFactor) {
  index.reset(segments.Count() * indexFactor, KeyOf(segments[0]));
  for (int32_t i = 0; i < segments.Count(); ++i) index.widen(KeyOf(segments[i]));
  for (int32_t i = 0; i < segments.Count(); ++i) index.insert(KeyOf(segments[i]), i);
}

// A segment list being resolved: removed segments stay where they are,
// marked, so that removing one costs no shifting of the rest; new pieces go
// to the end. Compact() leaves the live ones in the order an
// order-preserving erase would have left them.
template <class Segment>
struct WorkList {
  Stack<Segment>& segments;
  DirectionIndex& index;
  LivePositions live;

  WorkList(Stack<Segment>& list, DirectionIndex& listIndex) : segments(list), index(listIndex) {
    live.Reset(segments.Count());
  }

  void Remove(int32_t position) {
    live.Remove(position);
    index.RemoveEntry(KeyOf(segments[position]), position);
  }

  void Append(const Segment& s) {
    segments.Push(s);
    live.Append();
    if (MemoryErrorFlag::Test() == 0) index.insert(KeyOf(s), segments.Count() - 1);
  }

  void Compact() {
    int32_t kept = 0;
    for (int32_t i = 0; i < segments.Count(); ++i) {
      if (live.IsLive(i)) segments[kept++] = segments[i];
    }
    while (segments.Count() > kept) segments.Pop();
  }
};

struct Partner {
  int32_t position = -1;
  int32_t overlapCase = 0;
};

// The best partner of the segment at `self`: overlapping, and closest to its
// line; the first of equals wins, an exact one ends the search.
template <class Segment>
Partner FindPartner(SegmentPool<Segment>& pool, int32_t self, Stack<int32_t>& candidates,
                    int32_t& examined) {
  const LineView a = ViewOf(pool.segments[self]);
  Truncate(candidates);
  pool.index.candidates(KeyOf(pool.segments[self]), candidates);

  Partner best;
  double bestOffset = 0.0;
  for (int32_t k = 0; k < candidates.Count(); ++k) {
    if (++examined % kCandidatesPerProgress == 0) ReportProgressAgain(pool.job);
    const int32_t j = candidates[k];
    if (j == self) continue;
    const LineView b = ViewOf(pool.segments[j]);
    if (pool.oppositeOnly && Dot(a.dir, b.dir) > 0.0) continue;
    const int32_t overlapCase = OverlapCase(a, b, pool.tolerance, Layout<Segment>::kRule);
    if (overlapCase == 0) continue;
    const double offset = OffsetSum(a, b);
    if (best.position < 0 || offset < bestOffset) {
      best = Partner{j, overlapCase};
      bestOffset = offset;
    }
    if (offset == 0.0) break;
  }
  return best;
}

// Replaces the pair at positions i and j by its pieces: what only one covers,
// and in merge mode the common stretch once. Every piece carries a's value.
template <class Segment>
void ReplacePair(SegmentPool<Segment>& pool, WorkList<Segment>& list, int32_t i,
                 const Partner& partner) {
  const Segment a = pool.segments[i];
  const OverlapPieces split =
      SplitOverlap(partner.overlapCase, ViewOf(a), ViewOf(pool.segments[partner.position]));
  list.Remove(i);
  list.Remove(partner.position);
  for (int32_t k = 0; k < split.count; ++k) {
    const Piece& piece = split.pieces[k];
    if (piece.coverage == Coverage::kBoth && pool.cancel != 0) continue;
    list.Append(Layout<Segment>::Piece(a, piece.p0, piece.p1));
  }
}

}  // namespace

Segment3D MakeSegment3D(const Vector3d& p0, const Vector3d& p1, int32_t value, bool owned) {
  Segment3D s;
  static_cast<Vector3d&>(s.p0) = p0;
  static_cast<Vector3d&>(s.p1) = p1;
  s.value = value;
  s.dir = p1 - p0;
  s.lengthSquared = LengthSquared(s.dir);
  s.owned = owned;
  return s;
}

SegmentPlain MakeSegmentPlain(const Vector3d& p0, const Vector3d& p1) {
  SegmentPlain s;
  s.p0 = p0;
  s.p1 = p1;
  s.dir = p1 - p0;
  s.lengthSquared = LengthSquared(s.dir);
  return s;
}

SegmentPlain ToSegmentPlain(const EdgeSegment& segment) {
  return MakeSegmentPlain(segment.a, segment.b);
}

EdgeSegment ToEdgeSegment(const SegmentPlain& segment) {
  return EdgeSegment{segment.p0, segment.p1};
}

double DirectionKey(const Vector3d& dir, double lengthSquared) {
  if (!(lengthSquared > 0.0)) return 0.0;
  return std::fabs(dir.x / std::sqrt(lengthSquared));
}

template <class Segment>
void resolve(SegmentPool<Segment>& pool) {
  if (pool.segments.Count() < 2) return;
  BuildIndex(pool.index, pool.segments, Layout<Segment>::kIndexFactor);

  WorkList<Segment> list(pool.segments, pool.index);
  Stack<int32_t> candidates;
  int32_t examined = 0;
  // Scanned by rank among the live segments, as if removed ones were erased.
  int32_t rank = 0;
  while (rank < list.live.LiveCount() && MemoryErrorFlag::Test() == 0) {
    const int32_t self = list.live.PositionOfRank(rank);
    const Partner partner = FindPartner(pool, self, candidates, examined);
    if (partner.position < 0) {
      ++rank;
      continue;
    }
    ReplacePair(pool, list, self, partner);
    // Look again at the segment now just before a's old rank.
    rank = (rank - 2 > -1 ? rank - 2 : -1) + 1;
  }
  list.Compact();
  pool.index = DirectionIndex();
}

template <class Segment>
void subtract(const SegmentPool<Segment>& pool, Stack<EdgeSegment>& list) {
  // Nothing to take away: the list stays as it is.
  if (list.Empty() || pool.segments.Empty()) return;
  SegmentPoolPlain work;
  for (int32_t i = 0; i < list.Count(); ++i) work.segments.Push(ToSegmentPlain(list[i]));
  if (MemoryErrorFlag::Test() != 0) return;
  BuildIndex(work.index, work.segments, 1);
  WorkList<SegmentPlain> pieces(work.segments, work.index);

  Stack<int32_t> candidates;
  bool changed = true;
  while (changed && pieces.live.LiveCount() > 0 && MemoryErrorFlag::Test() == 0) {
    changed = false;
    for (int32_t s = 0; s < pool.segments.Count() && pieces.live.LiveCount() > 0; ++s) {
      const LineView cover = ViewOf(pool.segments[s]);
      // Cut every piece of the work list that this segment covers; the
      // index is asked again after each cut, which changes its buckets.
      bool cut = true;
      while (cut && MemoryErrorFlag::Test() == 0) {
        cut = false;
        Truncate(candidates);
        work.index.candidates(DirectionKey(cover.dir, cover.lengthSquared), candidates);
        for (int32_t k = 0; k < candidates.Count() && !cut; ++k) {
          const int32_t t = candidates[k];
          const LineView target = ViewOf(work.segments[t]);
          const int32_t overlapCase =
              OverlapCase(cover, target, pool.tolerance, Layout<Segment>::kRule);
          if (overlapCase == 0) continue;
          const OverlapPieces split = SplitOverlap(overlapCase, cover, target);
          pieces.Remove(t);
          for (int32_t p = 0; p < split.count; ++p) {
            if (split.pieces[p].coverage != Coverage::kOnlyB) continue;
            pieces.Append(MakeSegmentPlain(split.pieces[p].p0, split.pieces[p].p1));
          }
          cut = true;
          changed = true;
        }
      }
    }
  }

  pieces.Compact();
  Stack<EdgeSegment> remaining;
  for (int32_t i = 0; i < work.segments.Count(); ++i)
    remaining.Push(ToEdgeSegment(work.segments[i]));
  if (MemoryErrorFlag::Test() != 0) return;
  list = remaining;
}

template void resolve<Segment3D>(SegmentPool<Segment3D>&);
template void resolve<SegmentPlain>(SegmentPool<SegmentPlain>&);
template void subtract<Segment3D>(const SegmentPool<Segment3D>&, Stack<EdgeSegment>&);
template void subtract<SegmentPlain>(const SegmentPool<SegmentPlain>&, Stack<EdgeSegment>&);
