// The quaternion pieces that place spot, linear and rectangular lights.
#include "light/light_rotation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Eigen::Matrix3d;
using Eigen::Quaterniond;
using Eigen::Vector3d;

const double kHalfRoot2 = std::sqrt(2.0) / 2.0;

void ExpectQuaternionNear(const Quaterniond& q, double x, double y, double z, double w) {
  EXPECT_NEAR(q.x(), x, 1e-15);
  EXPECT_NEAR(q.y(), y, 1e-15);
  EXPECT_NEAR(q.z(), z, 1e-15);
  EXPECT_NEAR(q.w(), w, 1e-15);
}

void ExpectMatrixNear(const Matrix3d& actual, const Matrix3d& expected, double tolerance) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      EXPECT_NEAR(actual(i, j), expected(i, j), tolerance) << "entry " << i << "," << j;
}

// A proper rotation: orthonormal columns and determinant 1.
void ExpectProperRotation(const Matrix3d& r) {
  ExpectMatrixNear(r.transpose() * r, Matrix3d::Identity(), 1e-14);
  EXPECT_NEAR(r.determinant(), 1.0, 1e-14);
}

TEST(ShortestArc, QuarterTurnAboutTheCrossAxis) {
  ExpectQuaternionNear(light::ShortestArc(Vector3d(1, 0, 0), Vector3d(0, 1, 0)), 0, 0, kHalfRoot2,
                       kHalfRoot2);
  // Lengths do not matter: both vectors are normalised first.
  ExpectQuaternionNear(light::ShortestArc(Vector3d(3, 0, 0), Vector3d(0, 0.25, 0)), 0, 0,
                       kHalfRoot2, kHalfRoot2);
}

TEST(ShortestArc, EqualDirectionsGiveTheIdentity) {
  const Quaterniond q = light::ShortestArc(Vector3d(0, 0, -1), Vector3d(0, 0, -4));
  EXPECT_EQ(q.x(), 0.0);
  EXPECT_EQ(q.y(), 0.0);
  EXPECT_EQ(q.z(), 0.0);
  EXPECT_EQ(q.w(), 1.0);
}

TEST(ShortestArc, OppositeDirectionsTurnHalfwayAboutAPerpendicularAxis) {
  const Vector3d from(0, 0, -1), to(0, 0, 1);
  const Quaterniond q = light::ShortestArc(from, to);
  EXPECT_NEAR(q.w(), 0.0, 1e-15);
  EXPECT_NEAR(q.vec().norm(), 1.0, 1e-15);
  EXPECT_NEAR(q.vec().dot(from), 0.0, 1e-15);
  const Matrix3d r = light::RotationMatrix(q);
  ExpectProperRotation(r);
  const Vector3d turned = r * from;
  EXPECT_NEAR(turned.x(), 0.0, 1e-15);
  EXPECT_NEAR(turned.y(), 0.0, 1e-15);
  EXPECT_NEAR(turned.z(), 1.0, 1e-15);
}

TEST(ShortestArc, AZeroTargetStaysZero) {
  // The target's normalisation leaves a zero vector as it is: no axis, w = sqrt(2)/2.
  ExpectQuaternionNear(light::ShortestArc(Vector3d(0, 0, 1), Vector3d(0, 0, 0)), 0, 0, 0,
                       kHalfRoot2);
}

TEST(QuaternionProduct, AppliesTheFirstThenTheSecond) {
  const Quaterniond aboutX = light::ShortestArc(Vector3d(0, 1, 0), Vector3d(0, 0, 1));  // y to z
  const Quaterniond aboutZ = light::ShortestArc(Vector3d(1, 0, 0), Vector3d(0, 1, 0));  // x to y
  // x about X stays x, then about Z goes to y.
  const Vector3d image = light::RotationMatrix(light::Compose(aboutZ, aboutX)) * Vector3d(1, 0, 0);
  EXPECT_NEAR(image.x(), 0.0, 1e-15);
  EXPECT_NEAR(image.y(), 1.0, 1e-15);
  EXPECT_NEAR(image.z(), 0.0, 1e-15);
  // y about X goes to z, which about Z stays z.
  const Vector3d image2 = light::RotationMatrix(light::Compose(aboutZ, aboutX)) * Vector3d(0, 1, 0);
  EXPECT_NEAR(image2.z(), 1.0, 1e-15);
}

TEST(QuaternionProduct, IsNotRenormalised) {
  const Quaterniond scaled(0.5, 0.0, 0.0, 0.0);  // w, x, y, z: the identity at half length
  const Quaterniond q = light::ShortestArc(Vector3d(1, 0, 0), Vector3d(0, 1, 0));
  const Quaterniond product = light::Compose(q, scaled);
  ExpectQuaternionNear(product, 0, 0, kHalfRoot2 / 2, kHalfRoot2 / 2);
}

TEST(RotationMatrix, UsesTheQuaternionAsItComes) {
  // (0, 0, 0.5, 0.5) has norm sqrt(0.5): its matrix is not a rotation.
  Matrix3d expected;
  expected << 0.5, -0.5, 0.0,  //
      0.5, 0.5, 0.0,           //
      0.0, 0.0, 1.0;
  ExpectMatrixNear(light::RotationMatrix(Quaterniond(0.5, 0.0, 0.0, 0.5)), expected, 0.0);
  // A scalar-only quaternion of any length gives the identity.
  ExpectMatrixNear(light::RotationMatrix(Quaterniond(kHalfRoot2, 0.0, 0.0, 0.0)),
                   Matrix3d::Identity(), 0.0);
}

TEST(RotationMatrix, EntriesFollowTheRowColumnLayout) {
  // A general unit quaternion, checked against the rotation it stands for.
  const Quaterniond q = light::ShortestArc(Vector3d(1, 2, 3), Vector3d(-2, 0.5, 1));
  const Matrix3d r = light::RotationMatrix(q);
  ExpectProperRotation(r);
  const Vector3d image = r * Vector3d(1, 2, 3).normalized();
  const Vector3d target = Vector3d(-2, 0.5, 1).normalized();
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(image(i), target(i), 1e-14);
  const double x = q.x(), y = q.y(), z = q.z(), w = q.w();
  EXPECT_NEAR(r(0, 1), 2 * (x * y - w * z), 1e-15);
  EXPECT_NEAR(r(1, 0), 2 * (x * y + w * z), 1e-15);
  EXPECT_NEAR(r(2, 0), 2 * (x * z - w * y), 1e-15);
}

TEST(LightRotations, SpotTurnsDownIntoItsDirection) {
  ExpectMatrixNear(light::SpotRotation(ON_3dVector(0, 0, -1)), Matrix3d::Identity(), 0.0);
  const Matrix3d r = light::SpotRotation(ON_3dVector(0, 5, 0));
  ExpectProperRotation(r);
  const Vector3d down = r * Vector3d(0, 0, -1);
  EXPECT_NEAR(down.x(), 0.0, 1e-15);
  EXPECT_NEAR(down.y(), 1.0, 1e-15);
  EXPECT_NEAR(down.z(), 0.0, 1e-15);
}

TEST(LightRotations, LinearTurnsZIntoTheNormalAndXAlongTheLength) {
  // length (0, 0, 3), width (1, 0, 0): the normal length x width is +y.
  const Matrix3d r = light::LinearRotation(ON_3dVector(0, 0, 3), ON_3dVector(1, 0, 0));
  Matrix3d expected;
  expected.col(0) = Vector3d(0, 0, 1);  // x goes along the length
  expected.col(1) = Vector3d(1, 0, 0);
  expected.col(2) = Vector3d(0, 1, 0);  // z goes along the normal
  ExpectMatrixNear(r, expected, 1e-15);
}

TEST(LightRotations, LinearWithZeroWidthIsTheScaledSecondTurn) {
  // No normal: the first turn is (0, 0, 0, sqrt(2)/2), so the product is the
  // quarter turn x -> y at length sqrt(2)/2 and its matrix is not normalised.
  const Matrix3d r = light::LinearRotation(ON_3dVector(0, 2, 0), ON_3dVector(0, 0, 0));
  Matrix3d expected;
  expected << 0.5, -0.5, 0.0,  //
      0.5, 0.5, 0.0,           //
      0.0, 0.0, 1.0;
  ExpectMatrixNear(r, expected, 1e-15);
}

TEST(LightRotations, RectangularTurnsDownIntoTheDirectionAndXIntoThePerpendicular) {
  const Matrix3d r = light::RectangularRotation(ON_3dVector(1, 0, 0), ON_3dVector(0, 1, 0));
  ExpectProperRotation(r);
  Matrix3d expected;
  expected.col(0) = Vector3d(0, 1, 0);   // x to the perpendicular
  expected.col(1) = Vector3d(0, 0, -1);  // z image x x image, for a right-handed frame
  expected.col(2) = Vector3d(-1, 0, 0);  // -z to the direction
  ExpectMatrixNear(r, expected, 1e-15);
}

}  // namespace
