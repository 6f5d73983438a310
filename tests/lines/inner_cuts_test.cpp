// Inner-cut cancellation: cuts shared by two visible pieces of one host
// polygon vanish, cuts along hidden parts survive as inner boundaries.
#include "lines/inner_cuts.h"

#include <vector>

#include "host_fixture.h"

namespace {

class InnerCutsTest : public HostTest {
 protected:
  // The unit square scaled by 2, corners counter-clockwise.
  const Vector3d corners_[4] = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};

  void Add(Vector3d start, Vector3d end, uint32_t flags) { pieces_.Push(EdgePiece{start, end, flags}); }

  std::vector<EdgePiece> WithFlag(uint32_t flag) const {
    std::vector<EdgePiece> found;
    for (int32_t i = 0; i < pieces_.Count(); ++i) {
      if ((pieces_[i].flags & flag) != 0) found.push_back(pieces_[i]);
    }
    return found;
  }

  Stack<EdgePiece> pieces_;
};

constexpr uint32_t kOriginalEdge = EdgeOriginal | EdgeDrawn;
constexpr uint32_t kCut = EdgeInnerBoundary;

TEST_F(InnerCutsTest, CutSharedByTwoVisiblePiecesVanishes) {
  // Left piece, with the cut x = 1 upwards; right piece, with it downwards,
  // split once more at y = 1 by a second cut that its two halves share.
  Add({0, 0, 0}, {1, 0, 0}, kOriginalEdge);
  Add({1, 0, 0}, {1, 2, 0}, kCut);
  Add({1, 2, 0}, {0, 2, 0}, kOriginalEdge);
  Add({0, 2, 0}, {0, 0, 0}, kOriginalEdge);
  Add({1, 0, 0}, {2, 0, 0}, kOriginalEdge);
  Add({2, 0, 0}, {2, 1, 0}, kOriginalEdge);
  Add({2, 1, 0}, {1, 1, 0}, kCut);
  Add({1, 1, 0}, {1, 0, 0}, kCut);
  Add({1, 1, 0}, {2, 1, 0}, kCut);
  Add({2, 1, 0}, {2, 2, 0}, kOriginalEdge);
  Add({2, 2, 0}, {1, 2, 0}, kOriginalEdge);
  Add({1, 2, 0}, {1, 1, 0}, kCut);

  cancelInnerCuts(pieces_, corners_, 4, nullptr);

  EXPECT_EQ(pieces_.Count(), 7);
  EXPECT_TRUE(WithFlag(EdgeInnerBoundary).empty());
  // The original edges keep their order.
  EXPECT_DOUBLE_EQ(pieces_[0].end.x, 1.0);
  EXPECT_DOUBLE_EQ(pieces_[6].start.x, 2.0);
}

TEST_F(InnerCutsTest, CutAlongAHiddenPartSurvivesAsOneInnerBoundary) {
  // Only the left piece is visible; its cut runs in two collinear pieces
  // through the free point (1, 1), which the joining pass makes one.
  Add({0, 0, 0}, {1, 0, 0}, kOriginalEdge);
  Add({1, 0, 0}, {1, 1, 0}, kCut | EdgeCrease);
  Add({1, 1, 0}, {1, 2, 0}, kCut | EdgeCrease);
  Add({1, 2, 0}, {0, 2, 0}, kOriginalEdge);
  Add({0, 2, 0}, {0, 0, 0}, kOriginalEdge);

  cancelInnerCuts(pieces_, corners_, 4, nullptr);

  const std::vector<EdgePiece> inner = WithFlag(EdgeInnerBoundary);
  ASSERT_EQ(inner.size(), 1u);
  EXPECT_EQ(inner[0].flags, kCut | EdgeCrease);
  EXPECT_DOUBLE_EQ(inner[0].start.y, 0.0);
  EXPECT_DOUBLE_EQ(inner[0].end.y, 2.0);
  EXPECT_EQ(pieces_.Count(), 4);
}

TEST_F(InnerCutsTest, CollinearCutsMeetingAtACornerStayApart) {
  // A cut along the diagonal in two pieces that meet at corner (2, 2).
  const Vector3d triangle[3] = {{0, 0, 0}, {2, 2, 0}, {4, 0, 0}};
  Add({0, 0, 0}, {2, 2, 0}, kCut);
  Add({2, 2, 0}, {4, 4, 0}, kCut);
  cancelInnerCuts(pieces_, triangle, 3, nullptr);
  EXPECT_EQ(WithFlag(EdgeInnerBoundary).size(), 2u);
}

}  // namespace
