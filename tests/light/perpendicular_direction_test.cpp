// The SDK stand-in's ON_Light::PerpindicularDirection, which places rectangular lights.
#include <gtest/gtest.h>

#include <cmath>

#include "RhinoSdk.h"

namespace {

ON_Light MakeLight(ON::light_style style, const ON_3dVector& direction,
                   const ON_3dVector& length = ON_3dVector(0, 0, 0)) {
  ON_Light light;
  light.SetStyle(style);
  light.SetDirection(direction);
  light.SetLength(length);
  return light;
}

void ExpectVector(const ON_3dVector& v, double x, double y, double z, double tolerance = 1e-15) {
  EXPECT_NEAR(v.x, x, tolerance);
  EXPECT_NEAR(v.y, y, tolerance);
  EXPECT_NEAR(v.z, z, tolerance);
}

TEST(PerpindicularDirection, AreaLightsUseALengthPerpendicularToTheDirection) {
  const ON_Light rect = MakeLight(ON::light_style::world_rectangular_light, ON_3dVector(0, 0, -2),
                                  ON_3dVector(0, 3, 0));
  const ON_3dVector v = rect.PerpindicularDirection();
  EXPECT_EQ(v.x, 0.0);
  EXPECT_EQ(v.y, 1.0);
  EXPECT_EQ(v.z, 0.0);
  // The length's own sense is kept, even pointing to negative x.
  ExpectVector(
      MakeLight(ON::light_style::world_linear_light, ON_3dVector(0, 0, 1), ON_3dVector(-4, 0, 0))
          .PerpindicularDirection(),
      -1, 0, 0);
}

TEST(PerpindicularDirection, ALengthAlongTheDirectionIsNotUsed) {
  // Length not perpendicular: the direction (straight down) falls back on the x axis.
  ExpectVector(MakeLight(ON::light_style::world_rectangular_light, ON_3dVector(0, 0, -1),
                         ON_3dVector(1, 0, 1))
                   .PerpindicularDirection(),
               1, 0, 0);
  // A point light never looks at its length.
  ExpectVector(
      MakeLight(ON::light_style::world_point_light, ON_3dVector(0, 0, -1), ON_3dVector(0, 1, 0))
          .PerpindicularDirection(),
      1, 0, 0);
}

TEST(PerpindicularDirection, DirectionAlongXGivesPositiveY) {
  ExpectVector(
      MakeLight(ON::light_style::world_spot_light, ON_3dVector(2, 0, 0)).PerpindicularDirection(),
      0, 1, 0);
  ExpectVector(
      MakeLight(ON::light_style::world_spot_light, ON_3dVector(-2, 0, 0)).PerpindicularDirection(),
      0, 1, 0);
}

TEST(PerpindicularDirection, TheLargestCoordinateEndsPositive) {
  // Direction (1, 1, 0): the candidate (-r, r, 0) ties its x and y; x counts as the
  // largest and must end positive.
  const double r = std::sqrt(0.5);
  ExpectVector(
      MakeLight(ON::light_style::world_spot_light, ON_3dVector(1, 1, 0)).PerpindicularDirection(),
      r, -r, 0);
}

TEST(PerpindicularDirection, WithinThreeDegreesOfVerticalTheXAxisIsCrossed) {
  // (1, 1, 40) leans 2.02 degrees from the z axis: crossed with the x axis, the
  // candidates are (0, 40, -1) and (-1601, 1, 40); the second is kept, turned to +x.
  const double n = std::sqrt(1601.0 * 1601.0 + 1.0 + 1600.0);
  ExpectVector(
      MakeLight(ON::light_style::world_spot_light, ON_3dVector(1, 1, 40)).PerpindicularDirection(),
      1601.0 / n, -1.0 / n, -40.0 / n);
  // (1, 1, 20) leans 4.04 degrees: crossed with the z axis, giving (r, -r, 0).
  const double r = std::sqrt(0.5);
  ExpectVector(
      MakeLight(ON::light_style::world_spot_light, ON_3dVector(1, 1, 20)).PerpindicularDirection(),
      r, -r, 0);
}

TEST(PerpindicularDirection, AnInvalidOrZeroDirectionGivesTheUnsetVector) {
  for (const ON_3dVector& dir : {ON_3dVector(0, 0, 0), ON_3dVector(ON_DBL_QNAN, 0, 1)}) {
    const ON_3dVector v =
        MakeLight(ON::light_style::world_spot_light, dir).PerpindicularDirection();
    EXPECT_EQ(v.x, ON_UNSET_VALUE);
    EXPECT_EQ(v.y, ON_UNSET_VALUE);
    EXPECT_EQ(v.z, ON_UNSET_VALUE);
  }
}

}  // namespace
