// The camera record: a host viewport as the renderer's nine floats and field
// of view (renderer frame: X and Y exchanged, lengths in centimetres).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "RhinoSdk.h"
#include "common/renderer_frame.h"

namespace {

using common::CameraRecord;

CameraRecord CameraFromViewport(const ON_Viewport& vp, double scale) {
  return common::RendererFrame(scale).Camera(vp);
}

double UnitScale(const CRhinoDoc* doc) { return common::RendererFrame(doc).Scale(); }

// tan(25 degrees): a near plane at distance 1 this wide each side spans 50 degrees.
const double kTan25 = 0.46630765815499858;

struct Xyz {
  double x, y, z;
};

ON_Viewport Perspective(const Xyz& location, const Xyz& direction, const Xyz& up) {
  ON_Viewport vp;
  vp.SetProjection(ON::view_projection::perspective_view);
  vp.SetCameraLocation(ON_3dPoint(location.x, location.y, location.z));
  vp.SetCameraDirection(ON_3dVector(direction.x, direction.y, direction.z));
  vp.SetCameraUp(ON_3dVector(up.x, up.y, up.z));
  vp.SetFrustum(-kTan25, kTan25, -0.5 * kTan25, 0.5 * kTan25, 1.0, 1000.0);
  return vp;
}

double MetreScale() {
  CRhinoDoc doc;
  doc.SetModelUnits(ON_UnitSystem(ON::LengthUnitSystem::Meters));
  return UnitScale(&doc);
}

}  // namespace

TEST(CameraRecordTest, PositionIsInCentimetresWithXAndYExchanged) {
  const ON_Viewport vp = Perspective({1, 2, 3}, {0, 0, -1}, {0, 1, 0});
  const CameraRecord metres = CameraFromViewport(vp, MetreScale());
  EXPECT_EQ(metres.values[0], 200.0f);
  EXPECT_EQ(metres.values[1], 100.0f);
  EXPECT_EQ(metres.values[2], 300.0f);

  CRhinoDoc doc;
  doc.SetModelUnits(ON_UnitSystem(ON::LengthUnitSystem::Millimeters));
  const CameraRecord millimetres = CameraFromViewport(vp, UnitScale(&doc));
  EXPECT_FLOAT_EQ(millimetres.values[0], 0.2f);
  EXPECT_FLOAT_EQ(millimetres.values[1], 0.1f);
  EXPECT_FLOAT_EQ(millimetres.values[2], 0.3f);

  // No linked document: model units pass through unscaled.
  const CameraRecord unlinked = CameraFromViewport(vp, UnitScale(nullptr));
  EXPECT_EQ(unlinked.values[0], 2.0f);
  EXPECT_EQ(unlinked.values[1], 1.0f);
  EXPECT_EQ(unlinked.values[2], 3.0f);

  // An unset unit system has no scale: every position is not a number, while
  // direction and up, which carry no length, are still sent.
  doc.SetModelUnits(ON_UnitSystem(ON::LengthUnitSystem::Unset));
  const CameraRecord unset = CameraFromViewport(vp, UnitScale(&doc));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(std::isnan(unset.values[i])) << i;
  EXPECT_EQ(unset.values[5], -1.0f);
  EXPECT_EQ(unset.values[6], 1.0f);
}

TEST(CameraRecordTest, DirectionAndUpExchangeXAndYWithoutScaling) {
  const ON_Viewport vp = Perspective({10, 20, 30}, {0.25, -0.5, 0.75}, {0.125, 0.375, 0.5});
  const CameraRecord c = CameraFromViewport(vp, 1000.0);
  EXPECT_EQ(c.values[3], -0.5f);
  EXPECT_EQ(c.values[4], 0.25f);
  EXPECT_EQ(c.values[5], 0.75f);
  EXPECT_EQ(c.values[6], 0.375f);
  EXPECT_EQ(c.values[7], 0.125f);
  EXPECT_EQ(c.values[8], 0.5f);
}

TEST(CameraRecordTest, DirectionComponentsUpToTwoToTheMinus32AreSentAsZero) {
  const CameraRecord tiny =
      CameraFromViewport(Perspective({0, 0, 5}, {0, 1e-12, -1}, {0, 1, 0}), 100.0);
  EXPECT_EQ(tiny.values[3], 0.0f);
  EXPECT_EQ(tiny.values[4], 0.0f);
  EXPECT_EQ(tiny.values[5], -1.0f);

  // The bound itself is zeroed, on either side of zero; the next double above it is kept.
  const double bound = std::ldexp(1.0, -32);
  const double above = std::nextafter(bound, 1.0);
  const CameraRecord edge =
      CameraFromViewport(Perspective({0, 0, 5}, {-bound, bound, -1}, {0, 1, 0}), 100.0);
  EXPECT_EQ(edge.values[3], 0.0f);
  EXPECT_EQ(edge.values[4], 0.0f);
  const CameraRecord kept =
      CameraFromViewport(Perspective({0, 0, 5}, {-above, above, -1}, {0, 1, 0}), 100.0);
  EXPECT_EQ(kept.values[3], static_cast<float>(above));
  EXPECT_EQ(kept.values[4], static_cast<float>(-above));
  // The up vector has no such rule.
  const CameraRecord up =
      CameraFromViewport(Perspective({0, 0, 5}, {0, 0, -1}, {1e-12, 1, 0}), 100.0);
  EXPECT_EQ(up.values[7], 1e-12f);
}

TEST(CameraRecordTest, PerspectiveSendsTheFullHorizontalAngle) {
  ON_Viewport vp = Perspective({0, 0, 5}, {0, 0, -1}, {0, 1, 0});
  // Half as high as wide: the vertical and diagonal angles differ from 50 degrees.
  CameraRecord c = CameraFromViewport(vp, 100.0);
  EXPECT_FLOAT_EQ(c.fov, 50.0f);

  // The frustum scales with its near distance; the angle stays.
  vp.SetFrustum(-2 * kTan25, 2 * kTan25, -kTan25, kTan25, 2.0, 1000.0);
  EXPECT_FLOAT_EQ(CameraFromViewport(vp, 100.0).fov, 50.0f);

  // An off-centre frustum counts its wider side: 25 degrees to the right.
  vp.SetFrustum(-0.1, kTan25, -0.1, 0.1, 1.0, 1000.0);
  EXPECT_FLOAT_EQ(CameraFromViewport(vp, 100.0).fov, 50.0f);

  // A perspective camera stays where it is.
  c = CameraFromViewport(vp, 100.0);
  EXPECT_EQ(c.values[0], 0.0f);
  EXPECT_EQ(c.values[1], 0.0f);
  EXPECT_EQ(c.values[2], 500.0f);
}

TEST(CameraRecordTest, ParallelSendsFiveDegreesFromWhereTheViewSpansTheFrustumWidth) {
  // Looking down and to the side at a target three units ahead; the frustum is
  // four units wide.
  const ON_3dVector u(1.0 / 3, 2.0 / 3, -2.0 / 3);
  const ON_3dPoint location(1, 2, 3);
  const ON_3dPoint target = location + u * 3.0;
  ON_Viewport vp;
  vp.SetProjection(ON::view_projection::parallel_view);
  vp.SetCameraLocation(location);
  vp.SetCameraDirection(u * 6.0);  // any length: only the unit vector counts
  vp.SetCameraUp(ON_3dVector(0, 0, 1));
  vp.SetFrustum(-2, 2, -1.5, 1.5, 0.5, 50);
  vp.SetTargetPoint(target);

  const CameraRecord c = CameraFromViewport(vp, MetreScale());
  EXPECT_EQ(c.fov, 5.0f);
  // A 5-degree view spans the width w at w / (2 tan 2.5 degrees) = 11.4519 w.
  const double pullBack = 4.0 / (2.0 * std::tan(2.5 * ON_PI / 180.0));
  EXPECT_NEAR(pullBack / 4.0, 11.4519, 1e-4);
  const ON_3dPoint expected = target - u * pullBack;  // metres, host axes
  EXPECT_NEAR(c.values[0], 100.0 * expected.y, 2e-3);
  EXPECT_NEAR(c.values[1], 100.0 * expected.x, 2e-3);
  EXPECT_NEAR(c.values[2], 100.0 * expected.z, 2e-3);
  // The direction is sent as the host gives it, not unitised.
  EXPECT_EQ(c.values[3], 4.0f);
  EXPECT_EQ(c.values[4], 2.0f);
  EXPECT_EQ(c.values[5], -4.0f);
}

TEST(CameraRecordTest, ParallelWithoutATargetPullsBackFromTheFrustumMiddle) {
  ON_Viewport vp;
  vp.SetProjection(ON::view_projection::parallel_view);
  vp.SetCameraLocation(ON_3dPoint(0, 0, 10));
  vp.SetCameraDirection(ON_3dVector(0, 0, -1));
  vp.SetCameraUp(ON_3dVector(0, 1, 0));
  vp.SetFrustum(-1, 1, -1, 1, 2, 18);  // middle depth 10: the origin
  const CameraRecord c = CameraFromViewport(vp, 100.0);
  const double pullBack = 2.0 / (2.0 * std::tan(2.5 * ON_PI / 180.0));
  EXPECT_EQ(c.values[0], 0.0f);
  EXPECT_EQ(c.values[1], 0.0f);
  EXPECT_NEAR(c.values[2], 100.0 * pullBack, 1e-3);
}

// (openNURBS keeps a viewport from holding an unknown projection, so the 45
// degrees sent for one cannot be reached through a viewport.)
TEST(CameraRecordTest, TwoPointSendsFortySeven) {
  ON_Viewport vp = Perspective({1, 2, 3}, {0, 1, 0}, {0, 0, 1});
  vp.ChangeToTwoPointPerspectiveProjection(0.0, ON_3dVector::ZAxis, 50.0);
  CameraRecord c = CameraFromViewport(vp, 100.0);
  EXPECT_EQ(c.fov, 47.0f);
  EXPECT_EQ(c.values[0], 200.0f);  // not pulled back
  EXPECT_EQ(c.values[2], 300.0f);
}
