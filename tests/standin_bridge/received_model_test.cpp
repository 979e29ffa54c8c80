#include "standin/bridge/received_model.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace orvex_bridge {
namespace {

TEST(MeshFromCall, CopiesExactlyTheCountsPassed) {
  const float positions[] = {0, 1, 2, 3, 4, 5, 99};
  const float normals[] = {0, 0, 1, 99};
  const float uvs[] = {0.25f, 0.75f, 99};
  const float extra[] = {7, 99};
  const int indices[] = {0, 1, 0, 99};
  const Mesh mesh = MeshFromCall("m", positions, 6, normals, 3, uvs, 2, extra, 1, indices, 3);
  EXPECT_EQ(mesh.name, "m");
  EXPECT_EQ(mesh.positions, (std::vector<float>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(mesh.normals, (std::vector<float>{0, 0, 1}));
  EXPECT_EQ(mesh.uvs, (std::vector<float>{0.25f, 0.75f}));
  ASSERT_TRUE(mesh.extra.has_value());
  EXPECT_EQ(*mesh.extra, (std::vector<float>{7}));
  EXPECT_EQ(mesh.indices, (std::vector<int>{0, 1, 0}));
  EXPECT_FALSE(mesh.element.has_value());
}

TEST(MeshFromCall, NullPointersAndCountsBelowOneGiveEmptyArrays) {
  const float values[] = {1, 2, 3};
  const int indices[] = {0, 1, 2};
  const Mesh mesh = MeshFromCall("m", nullptr, 3, values, 0, values, -3, nullptr, 5, indices, -1);
  EXPECT_TRUE(mesh.positions.empty());
  EXPECT_TRUE(mesh.normals.empty());
  EXPECT_TRUE(mesh.uvs.empty());
  EXPECT_FALSE(mesh.extra.has_value());  // a null extra pointer stays distinguishable
  EXPECT_TRUE(mesh.indices.empty());

  const Mesh emptyExtra =
      MeshFromCall("m", nullptr, 0, nullptr, 0, nullptr, 0, values, 0, nullptr, 0);
  ASSERT_TRUE(emptyExtra.extra.has_value());
  EXPECT_TRUE(emptyExtra.extra->empty());
}

TEST(InstanceFromCall, CopiesTheTransformOrUsesTheIdentity) {
  std::array<float, 17> given{};
  for (int i = 0; i < 17; ++i) given[i] = static_cast<float>(i + 1);
  const Instance instance = InstanceFromCall("mesh", "mat", given.data());
  EXPECT_EQ(instance.mesh, "mesh");
  EXPECT_EQ(instance.material, "mat");
  for (int i = 0; i < 16; ++i) EXPECT_EQ(instance.transform[i], static_cast<float>(i + 1)) << i;

  const Instance identity = InstanceFromCall("mesh", "mat", nullptr);
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      EXPECT_EQ(identity.transform[row * 4 + column], row == column ? 1.0f : 0.0f);
    }
  }
}

TEST(CameraFromCall, CopiesNineValuesOrZeros) {
  const float given[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_EQ(CameraFromCall(given), (std::array<float, 9>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(CameraFromCall(nullptr), (std::array<float, 9>{}));
}

}  // namespace
}  // namespace orvex_bridge
