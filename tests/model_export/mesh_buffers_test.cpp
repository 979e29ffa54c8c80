#include "model_export/mesh_buffers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/model_export/test_meshes.h"

namespace {

using common::MeshAxes;
using common::RendererFrame;
using model_export::BridgeCountsFit;
using model_export::ConvertMesh;
using model_export::MeshBuffers;
using model_export::MeshName;
using model_export_test::AppendQuad;
using model_export_test::TriangleMesh;
using model_export_test::UnitTriangle;
using Floats = model_export::FloatBuffer;
using Ints = model_export::IndexBuffer;

// One triangle with a normal and a texture coordinate per vertex.
ON_Mesh DressedTriangle() {
  ON_Mesh mesh = TriangleMesh({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {{0, 1, 2}});
  mesh.m_N.Append(ON_3fVector(0, 0, 1));
  mesh.m_N.Append(ON_3fVector(1, 0, 0));
  mesh.m_N.Append(ON_3fVector(0, 1, 0));
  mesh.m_T.Append(ON_2fPoint(0.25f, 0.75f));
  mesh.m_T.Append(ON_2fPoint(1, 0));
  mesh.m_T.Append(ON_2fPoint(0, 1));
  return mesh;
}

TEST(ConvertMesh, RendererAxesSwapXAndYAndScaleToCentimetres) {
  MeshBuffers b;
  ASSERT_TRUE(ConvertMesh(DressedTriangle(), RendererFrame(100.0), MeshAxes::kRenderer, b));
  EXPECT_EQ(b.positions, (Floats{200, 100, 300, 500, 400, 600, 800, 700, 900}));
  EXPECT_EQ(b.normals, (Floats{0, 0, 1, 0, 1, 0, 1, 0, 0}));
  EXPECT_EQ(b.uvs, (Floats{0.25f, -0.75f, 1, 0, 0, -1}));
  EXPECT_EQ(b.indices, (Ints{0, 1, 2}));
}

TEST(ConvertMesh, ModelAxesKeepAxesAndFlipNormals) {
  MeshBuffers b;
  ASSERT_TRUE(ConvertMesh(DressedTriangle(), RendererFrame(100.0), MeshAxes::kModel, b));
  EXPECT_EQ(b.positions, (Floats{100, 200, 300, 400, 500, 600, 700, 800, 900}));
  EXPECT_EQ(b.normals, (Floats{0, 0, -1, -1, 0, 0, 0, -1, 0}));
  EXPECT_TRUE(std::signbit(b.normals[2]));
  EXPECT_EQ(b.uvs, (Floats{0.25f, -0.75f, 1, 0, 0, -1}));
  EXPECT_EQ(b.indices, (Ints{0, 1, 2}));
}

TEST(ConvertMesh, MillimetresBecomeTenthsAndTheSourceMeshIsUnchanged) {
  ON_Mesh quad;
  for (ON_3fPoint p :
       {ON_3fPoint(0, 0, 0), ON_3fPoint(10, 0, 0), ON_3fPoint(10, 20, 0), ON_3fPoint(0, 20, 5)})
    quad.m_V.Append(p);
  AppendQuad(quad, 0, 1, 2, 3);
  MeshBuffers b;
  ASSERT_TRUE(ConvertMesh(quad, RendererFrame(0.1), MeshAxes::kRenderer, b));
  EXPECT_EQ(b.positions, (Floats{0, 0, 0, 0, 1, 0, 2, 1, 0, 2, 0, 0.5f}));
  EXPECT_EQ(quad.FaceCount(), 1);
  EXPECT_EQ(quad.QuadCount(), 1);
  EXPECT_EQ(quad.m_V[1].x, 10.0f);
}

TEST(ConvertMesh, QuadsBecomeSixIndicesEach) {
  // Two unit squares side by side; each splits along 0-2, the second
  // triangles following all the first ones.
  ON_Mesh mesh;
  for (ON_3fPoint p : {ON_3fPoint(0, 0, 0), ON_3fPoint(1, 0, 0), ON_3fPoint(1, 1, 0),
                       ON_3fPoint(0, 1, 0), ON_3fPoint(2, 0, 0), ON_3fPoint(2, 1, 0)})
    mesh.m_V.Append(p);
  AppendQuad(mesh, 0, 1, 2, 3);
  AppendQuad(mesh, 1, 4, 5, 2);
  MeshBuffers b;
  ASSERT_TRUE(ConvertMesh(mesh, RendererFrame(1.0), MeshAxes::kRenderer, b));
  EXPECT_EQ(b.indices, (Ints{0, 1, 2, 1, 4, 5, 0, 2, 3, 1, 5, 2}));
  EXPECT_EQ(b.positions.size(), 18u);
}

TEST(ConvertMesh, NoTriangleMeansNothingToSend) {
  ON_Mesh empty = TriangleMesh({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {});
  MeshBuffers b;
  EXPECT_FALSE(ConvertMesh(empty, RendererFrame(1.0), MeshAxes::kRenderer, b));
  EXPECT_FALSE(ConvertMesh(ON_Mesh(), RendererFrame(1.0), MeshAxes::kModel, b));
  // Triangles that all point past the vertex list leave nothing to send either.
  ON_Mesh broken = TriangleMesh({{1, 2, 3}, {4, 5, 6}}, {{0, 1, 2}, {-1, 0, 1}});
  EXPECT_FALSE(ConvertMesh(broken, RendererFrame(1.0), MeshAxes::kRenderer, b));
}

TEST(ConvertMesh, UnsetVertexIsJudgedBeforeScaling) {
  // Scaled by 0.1 an unset coordinate would become a plausible finite value;
  // it must still be the origin placeholder with its triangle left out.
  ON_Mesh mesh = TriangleMesh(
      {{0, 0, 0}, {ON_UNSET_FLOAT, ON_UNSET_FLOAT, ON_UNSET_FLOAT}, {10, 0, 0}, {10, 10, 0}},
      {{0, 1, 2}, {0, 2, 3}});
  MeshBuffers b;
  ASSERT_TRUE(ConvertMesh(mesh, RendererFrame(0.1), MeshAxes::kModel, b));
  EXPECT_EQ(b.positions, (Floats{0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 1, 0}));
  EXPECT_EQ(b.indices, (Ints{0, 2, 3}));
}

TEST(ConvertMesh, VertexScaledOutOfTheFloatRangeIsInvalid) {
  // In metres (100 cm a unit): 1e37 would become infinite, 2e36 would pass
  // the unset value; 1e36 stays valid.
  for (float large : {1e37f, -2e36f}) {
    ON_Mesh mesh =
        TriangleMesh({{0, 0, 0}, {large, 0, 0}, {1, 0, 0}, {1, 1e36f, 0}}, {{0, 1, 2}, {0, 2, 3}});
    MeshBuffers b;
    ASSERT_TRUE(ConvertMesh(mesh, RendererFrame(100.0), MeshAxes::kModel, b)) << large;
    EXPECT_EQ(b.positions, (Floats{0, 0, 0, 0, 0, 0, 100, 0, 0, 100, 1e38f, 0})) << large;
    EXPECT_EQ(b.indices, (Ints{0, 2, 3})) << large;
  }
}

TEST(ConvertMesh, UnsetScaleFlowsIntoEveryCoordinate) {
  MeshBuffers b;
  ASSERT_TRUE(ConvertMesh(DressedTriangle(), RendererFrame(std::nan("")), MeshAxes::kRenderer, b));
  ASSERT_EQ(b.positions.size(), 9u);
  for (float f : b.positions) EXPECT_TRUE(std::isnan(f));
  EXPECT_EQ(b.indices, (Ints{0, 1, 2}));
  EXPECT_EQ(b.normals, (Floats{0, 0, 1, 0, 1, 0, 1, 0, 0}));
}

TEST(MeshBuffersTest, MissingNormalsAndTextureCoordinatesArePadded) {
  const ON_Mesh mesh = TriangleMesh({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {{0, 1, 2}});
  for (MeshAxes axes : {MeshAxes::kRenderer, MeshAxes::kModel}) {
    MeshBuffers b;
    ConvertMesh(mesh, RendererFrame(1.0), axes, b);
    EXPECT_EQ(b.normals, (Floats{0, 0, 1, 0, 0, 1, 0, 0, 1})) << static_cast<int>(axes);
    EXPECT_EQ(b.uvs, (Floats{0, 0, 0, 0, 0, 0})) << static_cast<int>(axes);
  }
}

TEST(MeshBuffersTest, InvalidNormalIsUpAtItsOwnPlace) {
  ON_Mesh mesh = TriangleMesh({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {{0, 1, 2}});
  mesh.m_N.Append(ON_3fVector(1, 0, 0));
  mesh.m_N.Append(ON_3fVector(std::nanf(""), 0, 0));
  mesh.m_N.Append(ON_3fVector(0, 1, 0));
  MeshBuffers b;
  ConvertMesh(mesh, RendererFrame(1.0), MeshAxes::kRenderer, b);
  EXPECT_EQ(b.normals, (Floats{0, 1, 0, 0, 0, 1, 1, 0, 0}));
  ConvertMesh(mesh, RendererFrame(1.0), MeshAxes::kModel, b);
  EXPECT_EQ(b.normals, (Floats{-1, 0, 0, 0, 0, 1, 0, -1, 0}));
}

TEST(MeshBuffersTest, InvalidVertexKeepsItsNumberAndLosesItsTriangles) {
  ON_Mesh mesh = TriangleMesh({{1, 1, 1}, {2, 2, 2}, {std::nanf(""), 0, 0}, {3, 4, 5}, {6, 7, 8}},
                              {{0, 1, 2}, {2, 3, 4}, {0, 3, 4}, {1, 3, 4}});
  MeshBuffers b;
  ConvertMesh(mesh, RendererFrame(1.0), MeshAxes::kRenderer, b);
  EXPECT_EQ(b.positions, (Floats{1, 1, 1, 2, 2, 2, 0, 0, 0, 4, 3, 5, 7, 6, 8}));
  EXPECT_EQ(b.indices, (Ints{0, 3, 4, 1, 3, 4}));
  EXPECT_EQ(b.normals.size(), 15u);
  EXPECT_EQ(b.uvs.size(), 10u);
}

TEST(MeshBuffersTest, TrianglesOutsideTheVertexListAreLeftOut) {
  const ON_Mesh mesh =
      TriangleMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 3}, {-1, 0, 1}, {2, 1, 0}});
  MeshBuffers b;
  ConvertMesh(mesh, RendererFrame(1.0), MeshAxes::kModel, b);
  EXPECT_EQ(b.indices, (Ints{2, 1, 0}));
}

TEST(MeshBuffersTest, PerVertexBuffersHoldOneEntryPerVertex) {
  // Surplus normals and texture coordinates past the vertex list are not sent.
  ON_Mesh mesh = UnitTriangle();
  for (int i = 0; i < 5; ++i) {
    mesh.m_N.Append(ON_3fVector(1, 0, 0));
    mesh.m_T.Append(ON_2fPoint(0.5f, 0.5f));
  }
  MeshBuffers b;
  ConvertMesh(mesh, RendererFrame(1.0), MeshAxes::kRenderer, b);
  EXPECT_EQ(b.normals, (Floats{0, 1, 0, 0, 1, 0, 0, 1, 0}));
  EXPECT_EQ(b.uvs, (Floats{0.5f, -0.5f, 0.5f, -0.5f, 0.5f, -0.5f}));
}

TEST(MeshBuffersTest, ReplacesWhatTheBuffersHeld) {
  MeshBuffers b;
  b.positions = {9, 9, 9};
  b.indices = {7};
  ConvertMesh(UnitTriangle(), RendererFrame(1.0), MeshAxes::kModel, b);
  EXPECT_EQ(b.positions, (Floats{0, 0, 0, 1, 0, 0, 0, 1, 0}));
  EXPECT_EQ(b.indices, (Ints{0, 1, 2}));
}

TEST(ConvertedArrayBytes, AreTheFacesVerticesNormalsAndTextureCoordinates) {
  EXPECT_EQ(model_export::ConvertedArrayBytes(DressedTriangle()), 16u + 36u + 36u + 24u);
  EXPECT_EQ(model_export::ConvertedArrayBytes(ON_Mesh()), 0u);
}

TEST(BridgeCountsFit, EveryBufferSizeMustFitTheBridgesThirtyTwoBitCount) {
  // 715,827,882 vertices are 2,147,483,646 position numbers; one more
  // vertex takes the positions and normals past the largest count.
  EXPECT_TRUE(BridgeCountsFit(715827882u, 3));
  EXPECT_FALSE(BridgeCountsFit(715827883u, 3));
  EXPECT_TRUE(BridgeCountsFit(3, 2147483647u));
  EXPECT_FALSE(BridgeCountsFit(3, 2147483648u));
  EXPECT_FALSE(BridgeCountsFit(std::size_t{1} << 62, 3));
}

TEST(MeshName, IsTheDecimalTextOfTheNumber) {
  EXPECT_EQ(MeshName(0), L"0");
  EXPECT_EQ(MeshName(17), L"17");
  EXPECT_EQ(MeshName(4294967295u), L"4294967295");
}

}  // namespace
