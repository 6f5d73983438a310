// Plane fits and the matrix inverse.
#include "core/geometry.h"

#include <gtest/gtest.h>

#include <random>

#include "bsp_fixture.h"

namespace {

Plane FitOf(const std::vector<Point>& corners) {
  const int32_t n = static_cast<int32_t>(corners.size());
  return FitPlane(corners.data(), n, CentroidOf(corners.data(), n));
}

TEST(PlaneFitTest, QuadrilateralUsesTheDiagonalsThroughTheCentroid) {
  const Plane plane = FitOf({P(0, 0, 5), P(2, 0, 5), P(2, 2, 5), P(0, 2, 5)});
  ExpectPlaneNear(plane, Plane{0, 0, 1, -5});
  // Reversed corners give the reversed normal, as Newell's method does.
  ExpectPlaneNear(FitOf({P(0, 0, 5), P(0, 2, 5), P(2, 2, 5), P(2, 0, 5)}), Plane{0, 0, -1, 5});
}

TEST(PlaneFitTest, TrianglesAndPentagonsAgreeWithNewellsOrientation) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> coordinate(-10.0, 10.0);
  for (int trial = 0; trial < 200; ++trial) {
    std::vector<Point> corners;
    for (int i = 0; i < 3; ++i) {
      corners.push_back(P(coordinate(random), coordinate(random), coordinate(random)));
    }
    const Plane fitted = FitOf(corners);
    const Point centroid = CentroidOf(corners.data(), 3);
    const Plane newell = FitNewellPlane(corners.data(), 3, centroid);
    EXPECT_GT(Dot(NormalOf(fitted), NormalOf(newell)), 0.999999);
    EXPECT_NEAR(Length(NormalOf(fitted)), 1.0, 1e-12);
    for (const Point& p : corners) EXPECT_NEAR(Distance(fitted, p), 0.0, 1e-9);
  }
  // A regular pentagon in z = 1, counter-clockwise seen from +z.
  std::vector<Point> pentagon;
  for (int i = 0; i < 5; ++i) {
    pentagon.push_back(P(std::cos(i * 1.2566370614), std::sin(i * 1.2566370614), 1.0));
  }
  ExpectPlaneNear(FitOf(pentagon), Plane{0, 0, 1, -1});
}

TEST(PlaneFitTest, ExactTriangleIsTakenAsItIsAndCollinearCornersGiveAZeroNormal) {
  ExpectPlaneNear(FitOf({P(0, 0, 2), P(1, 0, 2), P(0, 1, 2)}), Plane{0, 0, 1, -2}, 0.0);
  const Plane line = FitOf({P(0, 0, 0), P(1, 1, 1), P(2, 2, 2)});
  EXPECT_EQ(line.a, 0.0);
  EXPECT_EQ(line.b, 0.0);
  EXPECT_EQ(line.c, 0.0);
}

TEST(MatrixTest, InverseUndoesTheMapAndASingularMatrixIsRefused) {
  AffineMap m;
  m.off = Vector3d{1, -2, 3};
  m.v1 = Vector3d{0, 2, 0};
  m.v2 = Vector3d{-1, 0, 0.5};
  m.v3 = Vector3d{0, 0, 3};
  AffineMap inverse;
  ASSERT_TRUE(Invert(m, inverse));
  const Point p = P(0.3, -7, 2.5);
  const Point back = Transform(inverse, Transform(m, p));
  EXPECT_NEAR(back.x, p.x, 1e-12);
  EXPECT_NEAR(back.y, p.y, 1e-12);
  EXPECT_NEAR(back.z, p.z, 1e-12);

  AffineMap singular = m;
  singular.v3 = Vector3d{0, 4, 0};
  AffineMap untouched;
  EXPECT_FALSE(Invert(singular, untouched));
  EXPECT_EQ(untouched.v1.x, 1.0);
  EXPECT_EQ(untouched.off.x, 0.0);
}

}  // namespace
