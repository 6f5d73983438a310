// Paint and path lines: number formats, the y flip, the closing operator by
// kind, and the shape of a compound path.
#include "eps/eps_paint.h"

#include <string>
#include <vector>

#include "eps_test_support.h"

namespace {

class EpsPaintTest : public EpsTest {
 protected:
  void SetUp() override {
    EpsTest::SetUp();
    SetPage(400, 300, "unused.eps");
  }

  static EpsPath Path(const std::vector<Vector3d>& points) {
    EpsPath path;
    for (const Vector3d& p : points) path.points.Push(p);
    return path;
  }

  PathPaint Group(uint32_t kind) const {
    PathPaint group;
    group.kind = kind;
    group.colour = PageColour{255, 128, 0, 0};
    group.lineColour = PageColour{0, 0, 0, 0};
    group.lineWidth = 30;
    return group;
  }
};

TEST_F(EpsPaintTest, NumberFormats) {
  EXPECT_STREQ(FormatColourComponent(128).Text(), "0.50196");
  EXPECT_STREQ(FormatColourComponent(255).Text(), "1.00000");
  EXPECT_STREQ(FormatColourComponent(0).Text(), "0.00000");
  EXPECT_STREQ(FormatCoordinate(160.5).Text(), "160.5");
  EXPECT_STREQ(FormatCoordinate(-3.0).Text(), "-3");
  EXPECT_STREQ(FormatCoordinate(1.0e7).Text(), "10000000");  // never exponent form
  EXPECT_STREQ(FormatCoordinate(0.1).Text(), "0.1");
}

TEST_F(EpsPaintTest, LineWidthInPointsAndThinnestForZeroAndOne) {
  struct Case {
    int32_t width;
    std::string line;
  };
  for (const Case& c :
       std::vector<Case>{{0, "0 w"}, {1, "0 w"}, {2, "0.1 w"}, {30, "1.5 w"}, {400, "20 w"}}) {
    EXPECT_EQ(LinesWrittenBy([&](HostFileWriter* f) { WriteLineWidth(page_->Eps(), f, c.width); }),
              std::vector<std::string>{c.line})
        << c.width;
  }
}

TEST_F(EpsPaintTest, ColourLines) {
  const PageColour white{255, 255, 255, 255};
  const PageColour mixed{128, 0, 51, 7};
  EXPECT_EQ(LinesWrittenBy([&](HostFileWriter* f) { WriteFillColour(page_->Eps(), f, white); }),
            std::vector<std::string>{"1.00000 1.00000 1.00000 Xa"});
  EXPECT_EQ(LinesWrittenBy([&](HostFileWriter* f) { WriteStrokeColour(page_->Eps(), f, mixed); }),
            std::vector<std::string>{"0.50196 0.00000 0.20000 XA"});
}

TEST_F(EpsPaintTest, PathPointsAreFlippedByThePageHeightAndClosedByKind) {
  struct Case {
    uint32_t kind;
    std::string paint;
  };
  const EpsPath path = Path({{10, 0, 5}, {20.25, 300, 5}, {30, 100.5, 5}});
  for (const Case& c :
       std::vector<Case>{{1, "f"}, {3, "b"}, {17, "b"}, {2, "S"}, {4, "S"}, {8, "S"}, {16, "S"}}) {
    EXPECT_EQ(
        LinesWrittenBy([&](HostFileWriter* f) { WritePath(page_->Eps(), f, path, Group(c.kind)); }),
        (std::vector<std::string>{"10 300 m", "20.25 0 l", "30 199.5 l", c.paint}))
        << "kind " << c.kind;
  }
}

TEST_F(EpsPaintTest, CompoundPathCarriesFillAndStrokeByKind) {
  Stack<EpsPath> paths;
  paths.Push(Path({{0, 0, 0}, {1, 0, 0}}));
  paths.Push(Path({}));
  paths.Push(Path({{2, 2, 0}, {3, 3, 0}}));
  EXPECT_EQ(
      LinesWrittenBy([&](HostFileWriter* f) { WritePathGroup(page_->Eps(), f, paths, Group(3)); }),
      (std::vector<std::string>{"*u", "0 XR", "[] 0 d", "1.00000 0.50196 0.00000 Xa",
                                "0.00000 0.00000 0.00000 XA", "1.5 w", "0 300 m", "1 300 l", "b",
                                "2 298 m", "3 297 l", "b", "*U"}));
  EXPECT_EQ(
      LinesWrittenBy([&](HostFileWriter* f) { WritePathGroup(page_->Eps(), f, paths, Group(1)); }),
      (std::vector<std::string>{"*u", "0 XR", "[] 0 d", "1.00000 0.50196 0.00000 Xa", "0 300 m",
                                "1 300 l", "f", "2 298 m", "3 297 l", "f", "*U"}));
  EXPECT_EQ(
      LinesWrittenBy([&](HostFileWriter* f) { WritePathGroup(page_->Eps(), f, paths, Group(8)); }),
      (std::vector<std::string>{"*u", "0 XR", "[] 0 d", "0.00000 0.00000 0.00000 XA", "1.5 w",
                                "0 300 m", "1 300 l", "S", "2 298 m", "3 297 l", "S", "*U"}));
}

TEST_F(EpsPaintTest, GroupWithoutPointsWritesNothing) {
  Stack<EpsPath> none;
  Stack<EpsPath> empty;
  empty.Push(EpsPath());
  EXPECT_TRUE(LinesWrittenBy([&](HostFileWriter* f) {
                WritePathGroup(page_->Eps(), f, none, Group(3));
              }).empty());
  EXPECT_TRUE(LinesWrittenBy([&](HostFileWriter* f) {
                WritePathGroup(page_->Eps(), f, empty, Group(3));
              }).empty());
}

}  // namespace
