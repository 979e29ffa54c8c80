// The stand-in's viewport and the reads that view sync makes from its own
// thread: camera angles, target distance and bounding box as the SDK computes
// them, and the active view and model units read while the host changes them.
#include <gtest/gtest.h>

#include "RhinoSdk.h"

namespace {

ON_Viewport LookingDown(ON::view_projection projection) {
  ON_Viewport vp;
  vp.SetProjection(projection);
  vp.SetCameraLocation(ON_3dPoint(0, 0, 0));
  vp.SetCameraDirection(ON_3dVector(0, 0, -1));
  vp.SetCameraUp(ON_3dVector(0, 1, 0));
  vp.SetFrustum(-1, 1, -0.5, 0.5, 1, 10);
  return vp;
}

}  // namespace

TEST(ViewportTest, CameraAnglesOfTheFrustumAndAnInvalidFrustumRefused) {
  ON_Viewport vp = LookingDown(ON::view_projection::perspective_view);
  double d = 7, v = 7, h = 7;
  ASSERT_TRUE(vp.GetCameraAngle(&d, &v, &h));
  EXPECT_DOUBLE_EQ(h, ON_PI / 4);
  EXPECT_DOUBLE_EQ(v, std::atan(0.5));
  EXPECT_DOUBLE_EQ(d, std::atan(std::sqrt(1.25)));

  // A near plane at the camera is refused: the viewport keeps its frustum and angles.
  EXPECT_FALSE(vp.SetFrustum(-1, 1, -0.5, 0.5, 0, 10));
  d = v = h = 7;
  EXPECT_TRUE(vp.GetCameraAngle(&d, &v, &h));
  EXPECT_DOUBLE_EQ(h, ON_PI / 4);
}

TEST(ViewportTest, TargetDistanceFallsBackToTheFrustumMiddle) {
  ON_Viewport vp = LookingDown(ON::view_projection::parallel_view);
  EXPECT_EQ(vp.TargetPoint().x, ON_UNSET_VALUE);
  EXPECT_EQ(vp.TargetDistance(false), ON_UNSET_VALUE);
  EXPECT_EQ(vp.TargetDistance(true), 5.5);

  // Measured along the line of sight, not to the point.
  ASSERT_TRUE(vp.SetTargetPoint(ON_3dPoint(3, 4, -2)));
  EXPECT_EQ(vp.TargetDistance(false), 2.0);
  EXPECT_EQ(vp.TargetDistance(true), 2.0);

  // A target behind the camera counts only without the fallback.
  vp.SetTargetPoint(ON_3dPoint(0, 0, 4));
  EXPECT_EQ(vp.TargetDistance(false), -4.0);
  EXPECT_EQ(vp.TargetDistance(true), 5.5);

  // A point that is not valid is refused; the unset point clears the target.
  EXPECT_FALSE(vp.SetTargetPoint(ON_3dPoint(ON_DBL_QNAN, 0, 0)));
  EXPECT_EQ(vp.TargetPoint().z, 4.0);
  EXPECT_TRUE(vp.SetTargetPoint(ON_3dPoint(ON_UNSET_VALUE, ON_UNSET_VALUE, ON_UNSET_VALUE)));
  EXPECT_EQ(vp.TargetDistance(false), ON_UNSET_VALUE);

  // No camera, no distance.
  vp.SetCameraDirection(ON_3dVector(0, 0, 0));
  EXPECT_EQ(vp.TargetDistance(true), ON_UNSET_VALUE);
}

TEST(ViewportTest, FrustumCenterPointLiesAtTheDepthInTheMiddleOfTheCrossSection) {
  ON_Viewport vp = LookingDown(ON::view_projection::perspective_view);
  const ON_3dPoint middle = vp.FrustumCenterPoint(ON_UNSET_VALUE);
  EXPECT_EQ(middle, ON_3dPoint(0, 0, -5.5));
  // An off-centre frustum: its middle moves sideways with depth in perspective.
  vp.SetFrustum(0, 2, -0.5, 0.5, 1, 10);
  EXPECT_EQ(vp.FrustumCenterPoint(4), ON_3dPoint(4, 0, -4));
  vp.SetProjection(ON::view_projection::parallel_view);
  EXPECT_EQ(vp.FrustumCenterPoint(4), ON_3dPoint(1, 0, -4));
  EXPECT_FALSE(vp.FrustumCenterPoint(-1).IsValid());
}

TEST(ViewportTest, BoxHoldsTheCameraAndTheNearAndFarRectangles) {
  const ON_Viewport perspective = LookingDown(ON::view_projection::perspective_view);
  EXPECT_EQ(perspective.BoundingBox(),
            ON_BoundingBox(ON_3dPoint(-10, -5, -10), ON_3dPoint(10, 5, 0)));
  const ON_Viewport parallel = LookingDown(ON::view_projection::parallel_view);
  EXPECT_EQ(parallel.BoundingBox(),
            ON_BoundingBox(ON_3dPoint(-1, -0.5, -10), ON_3dPoint(1, 0.5, 0)));

  // A camera without a direction, or with its up along the line of sight, has
  // the empty box; two such viewports compare equal.
  ON_Viewport noDirection = perspective;
  noDirection.SetCameraDirection(ON_3dVector(0, 0, 0));
  EXPECT_FALSE(noDirection.BoundingBox().IsValid());
  ON_Viewport upAlongSight = perspective;
  upAlongSight.SetCameraUp(ON_3dVector(0, 0, 2));
  EXPECT_EQ(upAlongSight.BoundingBox(), noDirection.BoundingBox());
  // A location that is not a number is not taken: the camera stays where it was.
  ON_Viewport notANumber = perspective;
  notANumber.SetCameraLocation(ON_3dPoint(ON_DBL_QNAN, 0, 0));
  EXPECT_EQ(notANumber.BoundingBox(), perspective.BoundingBox());
}
