// Welding of a region's outline before chaining.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_fixture.h"
#include "lines/outline_weld.h"

namespace {

EdgeSegment Seg(double ax, double ay, double bx, double by) {
  return EdgeSegment{{ax, ay, 0}, {bx, by, 0}};
}

std::string Describe(const Stack<EdgeSegment>& segments) {
  std::string text;
  for (int32_t i = 0; i < segments.Count(); ++i) {
    const EdgeSegment& s = segments[i];
    text += "(" + std::to_string(s.a.x) + "," + std::to_string(s.a.y) + ")-(" +
            std::to_string(s.b.x) + "," + std::to_string(s.b.y) + ") ";
  }
  return text;
}

class OutlineWeldTest : public HostTest {};

TEST_F(OutlineWeldTest, WeldsDropsAndCancelsAsEachCaseNeeds) {
  struct Case {
    const char* name;
    std::vector<EdgeSegment> input;
    std::vector<EdgeSegment> expected;
  };
  const Case cases[] = {
      {"an end near an earlier one moves onto it exactly; a farther one stays",
       {Seg(0, 0, 1, 0), Seg(1.0004, 0.0003, 1, 1), Seg(1.02, 1, 2, 1)},
       {Seg(0, 0, 1, 0), Seg(1, 0, 1, 1), Seg(1.02, 1, 2, 1)}},
      {"a segment shorter than the distance becomes a point and is dropped",
       {Seg(0, 0, 1, 0), Seg(1, 0, 1.0002, 0.0001), Seg(1.0002, 0.0001, 1, 1)},
       {Seg(0, 0, 1, 0), Seg(1, 0, 1, 1)}},
      {"twins between the same two points in opposite directions cancel",
       {Seg(0, 0, 1, 0), Seg(1, 0, 0.5, 0.5), Seg(0.5004, 0.5, 1.0003, 0), Seg(1, 0, 1, 1)},
       {Seg(0, 0, 1, 0), Seg(1, 0, 1, 1)}},
      {"pieces running the same way between the same points both stay",
       {Seg(0, 0, 1, 0), Seg(0.0002, 0, 1, 0.0001)},
       {Seg(0, 0, 1, 0), Seg(0, 0, 1, 0)}},
      {"three between two points: one pair cancels, the first forward one stays",
       {Seg(0, 0, 1, 0), Seg(1, 0, 0, 0), Seg(5, 5, 6, 5), Seg(0, 0, 1, 0)},
       {Seg(5, 5, 6, 5), Seg(0, 0, 1, 0)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Stack<EdgeSegment> segments;
    for (const EdgeSegment& s : c.input) segments.Push(s);
    Stack<EdgeSegment> expected;
    for (const EdgeSegment& s : c.expected) expected.Push(s);
    WeldOutline(segments, 0.001);
    EXPECT_EQ(Describe(segments), Describe(expected));
  }
}

}  // namespace
