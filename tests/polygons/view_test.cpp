// The view: camera, frustum, clipping and projected area.
#include <gtest/gtest.h>

#include <cmath>

#include "bsp_fixture.h"
#include "polygons/bsp_view.h"

namespace {

using ViewTest = BspTest;

// A small triangle around the camera-space point (X, Y, Z).
BspPolygon TriangleAround(const BspView& view, double x, double y, double z, double size) {
  const AffineMap& m = view.camera.matrix;
  return PolygonOf({Transform(m, P(x - size, y - size, z)), Transform(m, P(x, y + size, z)),
                    Transform(m, P(x + size, y - size, z))});
}

TEST_F(ViewTest, CameraGivesEyeInverseFocalScaleAndAFrustumAroundThePicture) {
  ExportSettings settings;
  BspView view;
  MakeView(view, 200, 100);
  CameraInput camera = StraightCamera();
  camera.lensLength = 50.0;
  camera.matrix.off = Vector3d{3, 4, -5};
  camera.matrix.v1 = Vector3d{0, 0, -1};  // turned a quarter to the left
  camera.matrix.v3 = Vector3d{1, 0, 0};
  ASSERT_TRUE(SetCamera(view, camera));

  EXPECT_EQ(view.eye.x, 3.0);
  EXPECT_EQ(view.eye.z, -5.0);
  EXPECT_FLOAT_EQ(view.focalScale, 50.0f * 200 / 36.0f);
  EXPECT_FLOAT_EQ(view.halfWidth, 100.0f);
  const Point inCamera = ToCameraSpace(view, P(3 + 10, 4 + 2, -5 - 1));
  EXPECT_NEAR(inCamera.x, 1.0, 1e-12);
  EXPECT_NEAR(inCamera.y, 2.0, 1e-12);
  EXPECT_NEAR(inCamera.z, 10.0, 1e-12);
  ASSERT_EQ(view.frustum.Count(), kFrustumPlanes);

  // Points that project just inside the page are inside; just outside not.
  const double f = view.focalScale;
  struct Case {
    double pageX, pageY;
    bool inside;
  };
  const Case cases[] = {{0, 0, true},    {99, 49, true}, {-99, -49, true},
                        {101, 0, false}, {0, 51, false}, {0, -51, false}};
  for (const Case& c : cases) {
    const double z = 20.0;
    const BspPolygon tiny = TriangleAround(view, c.pageX * z / f, c.pageY * z / f, z, 1e-3);
    EXPECT_EQ(InsideFrustum(view, tiny), c.inside) << c.pageX << ", " << c.pageY;
  }
}

TEST_F(ViewTest, PortraitFramesAreBoundedByThePageToo) {
  ExportSettings settings;
  BspView view;
  MakeStraightView(view, 100, 200);
  const double f = view.focalScale;
  const double z = 10.0;
  EXPECT_TRUE(InsideFrustum(view, TriangleAround(view, 49 * z / f, 99 * z / f, z, 1e-3)));
  EXPECT_FALSE(InsideFrustum(view, TriangleAround(view, 51 * z / f, 0, z, 1e-3)));
  EXPECT_FALSE(InsideFrustum(view, TriangleAround(view, 0, 101 * z / f, z, 1e-3)));
}

TEST_F(ViewTest, PolygonStraddlingTheCameraPlaneIsCutThere) {
  ExportSettings settings;
  BspView view;
  MakeStraightView(view);
  // A long thin quad along the view axis, from behind the camera to z = 8.
  const BspPolygon quad =
      PolygonOf({P(-0.1, -0.2, -3), P(0.1, -0.2, -3), P(0.1, -0.2, 8), P(-0.1, -0.2, 8)});
  BspPolygon out;
  ASSERT_EQ(Clip(view, quad, out, kCameraPlane), 1);
  EXPECT_TRUE(ClosedHeadToTail(out));
  double nearest = 1e9;
  double farthest = -1e9;
  for (const Point& p : CornersOf(out)) {
    nearest = std::min(nearest, p.z);
    farthest = std::max(farthest, p.z);
  }
  EXPECT_GT(nearest, 0.0);
  EXPECT_DOUBLE_EQ(farthest, 8.0);
  EXPECT_TRUE(InsideFrustum(view, quad));
}

TEST_F(ViewTest, PolygonLyingInAFrustumPlaneCountsAsOutside) {
  ExportSettings settings;
  BspView view;
  MakeStraightView(view);
  // In the right side plane x = z / 2, and in the camera plane z = 0.
  const BspPolygon onSide = PolygonOf({P(1, 0, 2), P(2, 1, 4), P(2, -1, 4)});
  const BspPolygon onCameraPlane = PolygonOf({P(-1, -1, 0), P(1, -1, 0), P(0, 1, 0)});
  for (const BspPolygon* polygon : {&onSide, &onCameraPlane}) {
    BspPolygon out;
    EXPECT_EQ(Clip(view, *polygon, out, kCameraPlane), 0);
    EXPECT_FALSE(InsideFrustum(view, *polygon));
  }
}

TEST_F(ViewTest, EdgesOnAFrustumPlaneTakeItAsEdgePlane) {
  ExportSettings settings;
  BspView view;
  MakeStraightView(view);
  // Edge 0 runs along the right side plane; the rest lies inside.
  const BspPolygon triangle = PolygonOf({P(1, 0, 2), P(2, 0, 4), P(0, 0, 3)});
  BspPolygon out;
  ASSERT_EQ(Clip(view, triangle, out, kCameraPlane), 1);
  bool found = false;
  for (int32_t i = kFirstSidePlane; i < kFrustumPlanes; ++i) {
    const Plane& plane = view.frustum[i].plane;
    if (std::fabs(Distance(plane, P(1, 0, 2))) < 1e-9 &&
        std::fabs(Distance(plane, P(2, 0, 4))) < 1e-9) {
      ExpectPlaneNear(out.edges[0].edgePlane, plane, 0.0);
      EXPECT_LT(Distance(plane, P(0, 0, 3)), 0.0);
      found = true;
    }
  }
  EXPECT_TRUE(found);
  ExpectPlaneNear(out.edges[1].edgePlane, Plane{}, 0.0);
}

// ClipLeavingWhole gives what Clip gives, except that a polygon wholly
// inside leaves a record without edges, whose outline is its origin's.
TEST_F(ViewTest, ClipLeavingWholeCopiesNoEdgesOfAnUntouchedPolygon) {
  BspView view;
  MakeStraightView(view);
  const struct {
    const char* name;
    BspPolygon polygon;
    bool whole;
  } cases[] = {
      {"inside", PolygonOf({P(-0.5, 0, 3), P(0.5, 0, 3), P(0, 0.5, 3)}), true},
      {"inside, touching no side", PolygonOf({P(-0.1, 0, 5), P(0.1, 0, 5), P(0, 0.1, 5)}), true},
      {"cut", PolygonOf({P(-0.1, -0.2, -3), P(0.1, -0.2, -3), P(0.1, -0.2, 8), P(-0.1, -0.2, 8)}),
       false},
      {"edge on a side plane", PolygonOf({P(1, 0, 2), P(2, 0, 4), P(0, 0, 3)}), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BspPolygon copied;
    ASSERT_EQ(Clip(view, c.polygon, copied, kCameraPlane), 1);
    BspPolygon out;
    ASSERT_EQ(ClipLeavingWhole(view, c.polygon, out, kCameraPlane), 1);
    EXPECT_EQ(out.edges.Empty(), c.whole);
    BspPolygon origin = c.polygon;
    out.origin = &origin;
    EXPECT_EQ(&OutlineOf(out) == &origin, c.whole);
    ASSERT_TRUE(TakeEdgesOfOrigin(out));
    const std::vector<Point> a = CornersOf(out);
    const std::vector<Point> b = CornersOf(copied);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_TRUE(SamePosition(a[i], b[i]));
    EXPECT_EQ(out.plane.a, copied.plane.a);
    EXPECT_EQ(out.radius, copied.radius);
  }
}

TEST_F(ViewTest, ProjectedAreaUsesAtMostTheFirstFourCorners) {
  ExportSettings settings;
  BspView view;
  MakeStraightView(view);  // focal scale 100
  const BspPolygon square = PolygonOf({P(0, 0, 10), P(0, 2, 10), P(2, 2, 10), P(2, 0, 10)});
  EXPECT_NEAR(ProjectedArea(view, square), 400.0, 1e-3);
  const BspPolygon pentagon =
      PolygonOf({P(0, 0, 10), P(0, 2, 10), P(2, 2, 10), P(2, 0, 10), P(1, -1, 10)});
  EXPECT_NEAR(ProjectedArea(view, pentagon), 400.0, 1e-3);
  const BspPolygon behind = PolygonOf({P(0, 0, -1), P(0, 2, -1), P(2, 0, -1)});
  EXPECT_NEAR(ProjectedArea(view, behind), 2.0, 1e-6);  // unprojected
}

TEST_F(ViewTest, SingularCameraLeavesTheIdentity) {
  ExportSettings settings;
  BspView view;
  MakeView(view, 100, 100);
  CameraInput camera = StraightCamera();
  camera.matrix.off = Vector3d{1, 2, 3};
  camera.matrix.v3 = Vector3d{1, 0, 0};
  SetCamera(view, camera);
  const Point p = ToCameraSpace(view, P(4, 5, 6));
  EXPECT_EQ(p.x, 4.0);
  EXPECT_EQ(p.y, 5.0);
  EXPECT_EQ(p.z, 6.0);
}

}  // namespace
