#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "common/renderer_frame.h"

namespace {

using Floats16 = std::array<float, 16>;

Floats16 Transform(const ON_Xform& x, double s) {
  Floats16 out;
  out.fill(-7.0f);
  common::RendererFrame(s).Placement(x, out.data());
  return out;
}

// A turn by `angle` radians about `axis` through `centre`.
ON_Xform Rotation(double angle, const ON_3dVector& axis, const ON_3dPoint& centre) {
  ON_Xform r;
  r.Rotation(angle, axis, centre);
  return r;
}

// Applies 16 column-major floats to a point (w = 1, no perspective).
std::array<double, 3> Apply(const Floats16& r, double x, double y, double z) {
  return {r[0] * x + r[4] * y + r[8] * z + r[12], r[1] * x + r[5] * y + r[9] * z + r[13],
          r[2] * x + r[6] * y + r[10] * z + r[14]};
}

TEST(BlockPlacement, IdentityReferenceGivesTheAxisExchange) {
  EXPECT_EQ(Transform(ON_Xform::IdentityTransformation, 100.0),
            (Floats16{0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
}

TEST(BlockPlacement, OneMetreAlongXInAMetreDocument) {
  const Floats16 r = Transform(ON_Xform::TranslationTransformation(ON_3dVector(1, 0, 0)), 100.0);
  EXPECT_EQ(r[12], 0.0f);
  EXPECT_EQ(r[13], 100.0f);
  EXPECT_EQ(r[14], 0.0f);
  EXPECT_EQ(r[15], 1.0f);
}

TEST(BlockPlacement, RotatedAndMovedReferenceInAMillimetreDocument) {
  // A quarter turn about Z, then a move by (20, 30, 40) mm.
  ON_Xform x(1.0);
  x[0][0] = 0, x[0][1] = -1, x[0][3] = 20;
  x[1][0] = 1, x[1][1] = 0, x[1][3] = 30;
  x[2][3] = 40;
  const double s = 0.1;
  const Floats16 r = Transform(x, s);
  EXPECT_EQ(r, (Floats16{1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 3, 2, 4, 1}));

  // A definition vertex sent in model axes and centimetres lands where the
  // world vertex would be sent in the renderer frame.
  for (const ON_3dPoint p : {ON_3dPoint(0, 0, 0), ON_3dPoint(10, 0, 0), ON_3dPoint(5, -7, 2)}) {
    const ON_3dPoint world = x * p;
    const std::array<double, 3> placed = Apply(r, p.x * s, p.y * s, p.z * s);
    EXPECT_NEAR(placed[0], world.y * s, 1e-6);
    EXPECT_NEAR(placed[1], world.x * s, 1e-6);
    EXPECT_NEAR(placed[2], world.z * s, 1e-6);
  }
}

TEST(BlockPlacement, GeneralRotationMatchesTheWorldPlacement) {
  const ON_Xform x = ON_Xform::TranslationTransformation(ON_3dVector(1.5, -2, 0.25)) *
                     Rotation(0.7, ON_3dVector(1, 2, 3), ON_3dPoint(0.5, 0, 1));
  const double s = 2.54;
  const Floats16 r = Transform(x, s);
  for (const ON_3dPoint p : {ON_3dPoint(1, 0, 0), ON_3dPoint(0, 1, 0), ON_3dPoint(-3, 4, 9)}) {
    const ON_3dPoint world = x * p;
    const std::array<double, 3> placed = Apply(r, p.x * s, p.y * s, p.z * s);
    EXPECT_NEAR(placed[0], world.y * s, 1e-5);
    EXPECT_NEAR(placed[1], world.x * s, 1e-5);
    EXPECT_NEAR(placed[2], world.z * s, 1e-5);
  }
}

TEST(BlockPlacement, BottomRowIsDividedByTheScale) {
  ON_Xform x(1.0);
  x[3][0] = 0.5, x[3][1] = 2, x[3][2] = -4, x[3][3] = 3;
  const Floats16 r = Transform(x, 2.0);
  EXPECT_EQ(r[3], 0.25f);
  EXPECT_EQ(r[7], 1.0f);
  EXPECT_EQ(r[11], -2.0f);
  EXPECT_EQ(r[15], 3.0f);
}

TEST(BlockPlacement, UnsetScaleReachesTranslationAndBottomRowOnly) {
  const Floats16 r = Transform(ON_Xform::TranslationTransformation(ON_3dVector(1, 2, 3)), NAN);
  for (int i : {3, 7, 11, 12, 13, 14}) EXPECT_TRUE(std::isnan(r[i])) << i;
  for (int i : {0, 1, 2, 4, 5, 6, 8, 9, 10, 15}) EXPECT_FALSE(std::isnan(r[i])) << i;
  EXPECT_EQ(r[1], 1.0f);
  EXPECT_EQ(r[4], 1.0f);
  EXPECT_EQ(r[10], 1.0f);
}

}  // namespace
