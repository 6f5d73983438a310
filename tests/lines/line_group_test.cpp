// Collecting segment lists into line groups, one group per paint style.
#include "lines/line_group.h"

#include <vector>

#include "eps_test_support.h"

namespace {

class LineGroupTest : public EpsTest {
 protected:
  void Add(const LineGroupStyle& style, int segmentCount = 1) {
    Stack<EdgeSegment> list;
    for (int k = 0; k < segmentCount; ++k) list.Push(PageSegment(k, 0, k + 1, 0));
    ASSERT_TRUE(AddPolygon(elements_, list, style));
  }

  LineGroupStyle Base() const { return Style(2, {255, 255, 255}, {0, 0, 0}, 20, &objectA_); }

  Stack<LineGroup> elements_;
  int objectA_ = 0;
  int objectB_ = 0;
};

TEST_F(LineGroupTest, OneGroupPerDistinctStyleInOrderOfFirstUse) {
  LineGroupStyle wide = Base();
  wide.lineWidth = 40;
  LineGroupStyle otherAlpha = Base();
  otherAlpha.lineColour.a = 0;
  LineGroupStyle otherKind = Base();
  otherKind.kind = 8;

  Add(Base());
  Add(wide);
  Add(Base(), 3);
  Add(otherAlpha);
  Add(otherKind);
  Add(wide);

  ASSERT_EQ(elements_.Count(), 4);
  EXPECT_EQ(elements_[0].polygons.Count(), 2);
  EXPECT_EQ(elements_[0].polygons[1].segments.Count(), 3);
  EXPECT_EQ(elements_[1].lineWidth, 40);
  EXPECT_EQ(elements_[1].polygons.Count(), 2);
  EXPECT_EQ(elements_[2].lineColour.a, 0);
  EXPECT_EQ(elements_[3].kind, 8u);
}

TEST_F(LineGroupTest, ObjectsDoNotSplitAGroupButEachPolygonKeepsItsOwn) {
  LineGroupStyle fromB = Base();
  fromB.object = &objectB_;
  Add(Base());
  Add(fromB);
  ASSERT_EQ(elements_.Count(), 1);
  EXPECT_EQ(elements_[0].object, &objectA_);
  EXPECT_EQ(elements_[0].polygons[0].object, &objectA_);
  EXPECT_EQ(elements_[0].polygons[1].object, &objectB_);
}

TEST_F(LineGroupTest, EmptyListOpensNoGroup) {
  Add(Base(), 0);
  EXPECT_EQ(elements_.Count(), 0);
}

TEST_F(LineGroupTest, MemoryFailureIsReported) {
  Stack<EdgeSegment> list;
  list.Push(PageSegment(0, 0, 1, 0));
  host::ConsoleCapture console;
  host::FailAllocationsAfter(0);
  EXPECT_FALSE(AddPolygon(elements_, list, Base()));
  host::ClearAllocationFaults();
  EXPECT_NE(MemoryErrorFlag::Test(), 0);
  EXPECT_TRUE(console.Contains("NO MEMORY: stack 237"));
}

}  // namespace
