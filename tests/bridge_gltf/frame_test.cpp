// The change from the renderer frame (centimetres, Rhino's X and Y exchanged) to glTF's
// (metres, Y up), for points, node transforms, cameras and lights.

#include "standin/bridge/frame.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/gltf_support/gltf_file.h"

namespace orvex_bridge {
namespace {

using gltf_test::FromTrs;
using gltf_test::Turn;

// What the plug-in sends for a Rhino point in metres: (100 y, 100 x, 100 z).
Vec3 RendererFromRhinoMetres(const Vec3& p) { return {100 * p[1], 100 * p[0], 100 * p[2]}; }

void ExpectNear(const Vec3& actual, const Vec3& expected, double tolerance = 1e-9) {
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(actual[i], expected[i], tolerance) << "component " << i;
  }
}

gltf_test::Mat4 Rotation(const Placement& placement) {
  return FromTrs({0, 0, 0}, placement.rotation, {1, 1, 1});
}

Vec3 Unit(const Vec3& v) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  return {v[0] / length, v[1] / length, v[2] / length};
}

TEST(Frame, RhinoPointsLandWithZUpAsYUpAndNorthAsMinusZ) {
  // Rhino (x, y, z) m is glTF (x, z, -y) m.
  for (const Vec3& rhino : {Vec3{1, 2, 3}, Vec3{-4.5, 0.25, -1}, Vec3{0, 0, 0}}) {
    ExpectNear(PointToGltf(RendererFromRhinoMetres(rhino)), {rhino[0], rhino[2], -rhino[1]});
  }
  ExpectNear(DirectionToGltf({0, 0, 2}), {0, 2, 0});   // Rhino up
  ExpectNear(DirectionToGltf({1, 0, 0}), {0, 0, -1});  // Rhino +Y
  ExpectNear(DirectionToGltf({0, 1, 0}), {1, 0, 0});   // Rhino +X
}

TEST(Frame, NodeTransformPlacesGltfDataWhereTheRendererPlacesItsOwnAndKeepsHandedness) {
  // Renderer transforms (column-major): a quarter turn about z and a move; a mirror of x, a
  // scale and a move.
  const std::array<float, 16> turned = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 100, -50, 20, 1};
  const std::array<float, 16> mirrored = {-2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 30, 0, 0, 1};
  for (const auto& [t, mirror] : {std::pair{turned, false}, std::pair{mirrored, true}}) {
    const std::array<float, 16> n = NodeTransformToGltf(t, mirror);
    gltf_test::Mat4 node, renderer;
    std::copy(n.begin(), n.end(), node.begin());
    std::copy(t.begin(), t.end(), renderer.begin());
    EXPECT_GT(gltf_test::Determinant3(node), 0);
    for (const Vec3& p : {Vec3{100, 200, 300}, Vec3{-50, 0, 12.5}}) {
      Vec3 data = PointToGltf(p);
      if (mirror) data[0] = -data[0];
      ExpectNear(gltf_test::Apply(node, data), PointToGltf(gltf_test::Apply(renderer, p)), 1e-6);
    }
  }
}

TEST(Frame, CameraLooksAlongTheRecordedDirectionWithItsUpVector) {
  // Rhino camera at (3, 6, 1.6) m looking along (0, -1, -0.1), up (0, 0, 1).
  const Placement entrance = CameraPlacement({600, 300, 160, -1, 0, -0.1f, 0, 0, 1});
  ExpectNear(entrance.translation, {3, 1.6, -6}, 1e-6);
  const gltf_test::Mat4 turn = Rotation(entrance);
  ExpectNear(Turn(turn, {0, 0, -1}), Unit({0, -0.1f, 1}), 1e-7);
  const Vec3 up = Turn(turn, {0, 1, 0});
  EXPECT_GT(up[1], 0.99);
  EXPECT_NEAR(up[0], 0.0, 1e-12);

  // A plan view: looking down (Rhino -Z) with Rhino +Y at the top of the picture.
  const Placement plan = CameraPlacement({200, 300, 9000, 0, 0, -1, 1, 0, 0});
  ExpectNear(Turn(Rotation(plan), {0, 0, -1}), {0, -1, 0}, 1e-12);
  ExpectNear(Turn(Rotation(plan), {0, 1, 0}), {0, 0, -1}, 1e-12);
}

TEST(Frame, CameraWithoutDirectionOrWithAParallelUpStaysARotation) {
  const Placement none = CameraPlacement({0, 0, 0, 0, 0, 0, 0, 0, 1});
  ExpectNear(Turn(Rotation(none), {0, 0, -1}), {0, -1, 0}, 1e-12);  // Rhino -Z
  const Placement parallel = CameraPlacement({0, 0, 0, 1, 0, 0, 2, 0, 0});
  ExpectNear(Turn(Rotation(parallel), {0, 0, -1}), {0, 0, -1}, 1e-12);  // Rhino +Y
  const auto& q = parallel.rotation;
  EXPECT_NEAR(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3], 1.0, 1e-12);
  EXPECT_NEAR(std::fabs(Turn(Rotation(parallel), {0, 1, 0})[2]), 0.0, 1e-12);
}

TEST(Frame, LightFacesItsLocalMinusZAndKeepsItsLocalXAlongTheSizeX) {
  // A spot light at Rhino (2, 3, 2.5) m turned from facing -Z to facing Rhino +X: its rotation
  // R = [[0,0,-1],[0,1,0],[1,0,0]] written in renderer rows.
  const std::array<double, 16> spot = {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 300, 200, 250, 1};
  const Placement placed = LightPlacement(spot);
  ExpectNear(placed.translation, {2, 2.5, -3});
  ExpectNear(Turn(Rotation(placed), {0, 0, -1}), {1, 0, 0}, 1e-12);
  ExpectNear(Turn(Rotation(placed), {1, 0, 0}), DirectionToGltf({1, 0, 0}), 1e-12);

  // The identity rows face down; rows of any length give the same unit rotation.
  std::array<double, 16> down = {0.5, 0, 0, 0, 0, 0.5, 0, 0, 0, 0, 0.5, 0, 0, 0, 0, 1};
  const Placement facingDown = LightPlacement(down);
  ExpectNear(Turn(Rotation(facingDown), {0, 0, -1}), {0, -1, 0}, 1e-12);
  ExpectNear(Turn(Rotation(facingDown), {1, 0, 0}), {0, 0, -1}, 1e-12);
  ExpectNear(Turn(Rotation(facingDown), {0, 1, 0}), {-1, 0, 0}, 1e-12);
}

}  // namespace
}  // namespace orvex_bridge
