// Mesh data on its way into glTF: which transforms a node can hold, transforms applied to a
// copy of a mesh, and the facing rule between the renderer and glTF.

#include "standin/bridge/gltf_meshes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orvex_bridge {
namespace {

using Matrix = std::array<float, 16>;  // column-major

TEST(IsNodeTransform, OnlyFiniteAffineTransformsWithOrthogonalColumns) {
  EXPECT_TRUE(IsNodeTransform({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
  // The block transform of a quarter turn with a move: rows exchanged, translation 12..14.
  EXPECT_TRUE(IsNodeTransform({1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 300, 450, 0, 1}));
  EXPECT_TRUE(IsNodeTransform({2, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, -3, 0, 0, 0, 0, 1}));
  const float c = std::cos(0.3f), s = std::sin(0.3f);
  EXPECT_TRUE(IsNodeTransform({c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1}));

  EXPECT_FALSE(IsNodeTransform({1, 0, 0, 0, 0.5f, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));  // shear
  EXPECT_FALSE(IsNodeTransform({1, 0, 0, 0.5f, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));  // projective
  EXPECT_FALSE(IsNodeTransform({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2}));
  EXPECT_FALSE(IsNodeTransform({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));  // flat
  EXPECT_FALSE(IsNodeTransform({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, std::nanf(""), 0, 0, 1}));
}

TEST(TransformedGeometry, PositionsByTheMatrixNormalsByItsCofactors) {
  MeshGeometry geometry;
  geometry.positions = {2, 0, 0, 0, 4, 0, 0, 0, 0};
  geometry.normals = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  geometry.uvs = {0, 0, 1, 0, 0, 1};
  geometry.indices = {0, 1, 2};
  // x mirrored and doubled, then moved by (1, 2, 3); the projective weight is 1 + x / 2.
  const Matrix m = {-2, 0, 0, 0.5f, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
  const MeshGeometry out = TransformedGeometry(geometry, m);
  // (2, 0, 0): (-4 + 1, 2, 3) / 2; (0, 4, 0): (1, 6, 3) / 1; the origin: (1, 2, 3).
  EXPECT_EQ(out.positions, (std::vector<float>{-1.5f, 1, 1.5f, 1, 6, 3, 1, 2, 3}));
  // Cofactors of diag(-2, 1, 1) are diag(1, -2, -2): normals keep their sense along x.
  EXPECT_EQ(out.normals, (std::vector<float>{1, 0, 0, 0, -1, 0, 0, 0, -1}));
  EXPECT_EQ(out.uvs, geometry.uvs);
  EXPECT_EQ(out.indices, geometry.indices);
  EXPECT_EQ(Determinant3(m), -2.0);

  // A coordinate beyond the float range becomes zero.
  geometry.positions = {1e30f, 1, 0, 2, 1, 0, 0, 0, 0};
  const MeshGeometry huge =
      TransformedGeometry(geometry, {1e30f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
  EXPECT_EQ(huge.positions, (std::vector<float>{0, 1, 0, 2e30f, 1, 0, 0, 0, 0}));
}

TEST(GltfFrameGeometry, TurnsDataIntoGltfsFrameKeepsTrianglesAndReversesNormalsUnderAMirror) {
  MeshGeometry geometry;
  geometry.positions = {100, 200, 300, -100, 0, 50};
  geometry.normals = {1, 0, 0, 0, 0, 1};
  geometry.indices = {0, 1, 0};
  const MeshGeometry kept = GltfFrameGeometry(geometry, false);
  EXPECT_EQ(kept.positions, (std::vector<float>{2, 3, -1, 0, 0.5f, 1}));
  EXPECT_EQ(kept.normals, (std::vector<float>{0, 0, -1, 0, 1, 0}));
  EXPECT_EQ(kept.indices, geometry.indices);
  const MeshGeometry mirrored = GltfFrameGeometry(geometry, true);
  EXPECT_EQ(mirrored.positions, (std::vector<float>{-2, 3, -1, 0, 0.5f, 1}));
  EXPECT_EQ(mirrored.normals, (std::vector<float>{0, 0, 1, 0, -1, 0}));
  EXPECT_EQ(mirrored.indices, geometry.indices);
}

}  // namespace
}  // namespace orvex_bridge
