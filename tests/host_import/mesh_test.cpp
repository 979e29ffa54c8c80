#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <vector>

#include "import_frame.h"
#include "import_mesh.h"
#include "scene_fixtures.h"

namespace {

const float kInf = std::numeric_limits<float>::infinity();

std::vector<int> Corners(const ON_MeshFace& f) {
  return f.IsTriangle() ? std::vector<int>{f.vi[0], f.vi[1], f.vi[2]}
                        : std::vector<int>{f.vi[0], f.vi[1], f.vi[2], f.vi[3]};
}

// Twice the signed area of a triangle of 2D points, as seen from +Z.
double Area(const std::vector<ON_3dPoint>& p, const std::array<int, 3>& t) {
  const ON_3dPoint &a = p[t[0]], &b = p[t[1]], &c = p[t[2]];
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

struct Xyz {
  double x, y, z;
};

// Polygon corners written as coordinate triples.
std::vector<ON_3dPoint> Points(std::initializer_list<Xyz> corners) {
  std::vector<ON_3dPoint> points;
  for (const Xyz& c : corners) points.emplace_back(c.x, c.y, c.z);
  return points;
}

ON_Xform Scale(double x, double y, double z) {
  ON_Xform s(1.0);
  s.m_xform[0][0] = x;
  s.m_xform[1][1] = y;
  s.m_xform[2][2] = z;
  return s;
}

}  // namespace

TEST(TransformTest, ZeroEntriesLeaveInfiniteCoordinatesAlone) {
  const ON_3dPoint p = TransformPoint(YUpToZUp(), ON_3dPoint(-INFINITY, 1, 2));
  EXPECT_EQ(p.x, -INFINITY);
  EXPECT_EQ(p.y, -2.0);
  EXPECT_EQ(p.z, 1.0);
  // The plain product would spread NaN: inf * 0.
  const ON_3dPoint plain = YUpToZUp() * ON_3dPoint(-INFINITY, 1, 2);
  EXPECT_TRUE(std::isnan(plain.y));
  // A NaN stays where it is, too.
  const ON_3dVector v = TransformVector(YUpToZUp(), ON_3dVector(NAN, 0, 5));
  EXPECT_TRUE(std::isnan(v.x));
  EXPECT_EQ(v.y, -5.0);
  EXPECT_EQ(v.z, 0.0);
  // Translation reaches points, not vectors.
  const ON_Xform move = ON_Xform::TranslationTransformation(ON_3dVector(1, 2, 3));
  EXPECT_EQ(TransformPoint(move, ON_3dPoint(0, 0, 0)).z, 3.0);
  EXPECT_EQ(TransformVector(move, ON_3dVector(0, 0, 1)).z, 1.0);
}

TEST(TransformTest, NormalXformIsTheInverseTransposeUpToAPositiveFactor) {
  // Stretching x by 2 tilts a 45-degree normal towards y.
  const ON_3dVector n = TransformVector(NormalXform(Scale(2, 1, 1)), ON_3dVector(1, 1, 0));
  EXPECT_NEAR(n.y / n.x, 2.0, 1e-12);
  EXPECT_GT(n.x, 0.0);
  // A mirror in x keeps normals pointing out of the mirrored solid.
  const ON_3dVector m = TransformVector(NormalXform(Scale(-1, 1, 1)), ON_3dVector(1, 0, 0));
  EXPECT_LT(m.x, 0.0);
  EXPECT_EQ(m.y, 0.0);
  // Flattening z keeps a normal off the plane.
  const ON_3dVector f = TransformVector(NormalXform(Scale(1, 1, 0)), ON_3dVector(0, 0, 1));
  EXPECT_GT(f.z, 0.0);
}

TEST(MeshTest, FacesKeepTheirCornersTrianglesQuadsAndSplitPolygons) {
  TestScene scene;
  const unsigned index = scene.AddMesh(
      {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}, {2, 1, 0}, {3, 0.5f, 0}},
      {{0, 1, 2}, {0, 1, 2, 3}, {1, 4, 6, 5, 2}, {0, 1}, {3}, {0, 1, 99}, {0, 1, 2, 3, 99}});
  const ON_Mesh mesh = MeshFromAssimp(scene.Mesh(index), ON_Xform::IdentityTransformation);
  ASSERT_EQ(mesh.m_V.Count(), 7);
  ASSERT_EQ(mesh.m_F.Count(), 1 + 1 + 3 + 1 + 3);  // points and lines make no face
  EXPECT_EQ(Corners(mesh.m_F[0]), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(Corners(mesh.m_F[1]), (std::vector<int>{0, 1, 2, 3}));
  // The convex pentagon in three triangles that keep its winding.
  int pentagonArea = 0;
  for (int f = 2; f < 5; ++f) {
    const std::vector<int> c = Corners(mesh.m_F[f]);
    ASSERT_EQ(c.size(), 3u);
    std::vector<ON_3dPoint> p;
    for (int i : c) p.emplace_back(mesh.m_V[i].x, mesh.m_V[i].y, mesh.m_V[i].z);
    const double area = Area(p, {0, 1, 2});
    EXPECT_GT(area, 0.0);
    pentagonArea += static_cast<int>(std::lround(area * 4));
  }
  EXPECT_EQ(pentagonArea, 2 * 4 * 1.5);  // the pentagon's area is 1.5
  // An out-of-range corner stays as the file has it.
  EXPECT_EQ(Corners(mesh.m_F[5]), (std::vector<int>{0, 1, 99}));
  // A polygon with an out-of-range corner is split as a fan.
  EXPECT_EQ(Corners(mesh.m_F[6]), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(Corners(mesh.m_F[7]), (std::vector<int>{0, 2, 3}));
  EXPECT_EQ(Corners(mesh.m_F[8]), (std::vector<int>{0, 3, 99}));
}

TEST(MeshTest, PlacementMovesVerticesAndNormalsAndAMirrorTurnsTheFaces) {
  TestScene scene;
  const unsigned index =
      scene.AddMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{0, 1, 2}, {0, 1, 2, 3}});
  aiMesh& source = scene.Mesh(index);
  source.mNormals = new aiVector3D[4]{{0, 0, 1}, {0, 0, 0}, {0, -0.1f, 0}, {1, 1, 0}};
  source.mTextureCoords[0] = new aiVector3D[4]{{0.25f, 0.75f, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
  source.mNumUVComponents[0] = 2;

  const ON_Mesh turned = MeshFromAssimp(
      source, ON_Xform::TranslationTransformation(ON_3dVector(10, 0, 0)) * YUpToZUp());
  EXPECT_EQ(turned.m_V[3].x, 10.0f);
  EXPECT_EQ(turned.m_V[3].y, -1.0f);
  EXPECT_EQ(turned.m_V[2].z, 1.0f);
  // Normals turn with the axes and keep their lengths, zero and short ones too.
  EXPECT_EQ(turned.m_N[0].y, -1.0f);
  EXPECT_EQ(turned.m_N[1].x, 0.0f);
  EXPECT_EQ(turned.m_N[1].y, 0.0f);
  EXPECT_EQ(turned.m_N[1].z, 0.0f);
  EXPECT_FLOAT_EQ(turned.m_N[2].z, -0.1f);
  EXPECT_FLOAT_EQ(turned.m_N[3].x, 1.0f);
  EXPECT_FLOAT_EQ(turned.m_N[3].z, 1.0f);
  // Texture coordinates as they are.
  EXPECT_EQ(turned.m_T[0].x, 0.25f);
  EXPECT_EQ(turned.m_T[0].y, 0.75f);
  EXPECT_EQ(Corners(turned.m_F[0]), (std::vector<int>{0, 1, 2}));

  const ON_Mesh mirrored = MeshFromAssimp(source, Scale(-1, 1, 1));
  EXPECT_EQ(mirrored.m_V[1].x, -1.0f);
  EXPECT_EQ(Corners(mirrored.m_F[0]), (std::vector<int>{0, 2, 1}));
  EXPECT_EQ(Corners(mirrored.m_F[1]), (std::vector<int>{0, 3, 2, 1}));
  EXPECT_FLOAT_EQ(mirrored.m_N[3].x, -1.0f);
  EXPECT_FLOAT_EQ(mirrored.m_N[3].y, 1.0f);
}

TEST(MeshTest, NonFiniteVerticesAreKeptAndNormalsAreComputedWhenMissing) {
  TestScene scene;
  const unsigned index = scene.AddMesh({{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {kInf, 0, 0}, {0, 0, 5}},
                                       {{0, 1, 2}, {0, 3, 2}});
  const ON_Mesh mesh = MeshFromAssimp(scene.Mesh(index), YUpToZUp());
  EXPECT_EQ(mesh.m_V[3].x, kInf);
  EXPECT_EQ(mesh.m_V[3].y, 0.0f);
  EXPECT_EQ(mesh.m_V[3].z, 0.0f);
  EXPECT_FALSE(mesh.m_V[3].IsValid());
  EXPECT_EQ(Corners(mesh.m_F[1]), (std::vector<int>{0, 3, 2}));
  // The triangle lies in the file's XY plane, which faces -Y once Z is up;
  // the face with the infinite corner adds nothing; vertex 4 is on no face.
  ASSERT_EQ(mesh.m_N.Count(), 5);
  for (int v : {0, 1, 2}) {
    EXPECT_FLOAT_EQ(mesh.m_N[v].x, 0.0f) << v;
    EXPECT_FLOAT_EQ(mesh.m_N[v].y, -1.0f) << v;
    EXPECT_FLOAT_EQ(mesh.m_N[v].z, 0.0f) << v;
  }
  EXPECT_EQ(mesh.m_N[3].x, 0.0f);
  EXPECT_EQ(mesh.m_N[4].y, 0.0f);
  EXPECT_EQ(mesh.m_N[4].z, 0.0f);
}

TEST(MeshTest, OnlyFacesOfThreeOrMoreCornersMakeASurface) {
  TestScene scene;
  const unsigned lines = scene.AddMesh({{0, 0, 0}, {1, 0, 0}}, {{0, 1}, {1}});
  const unsigned triangle = scene.AddMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1}, {0, 1, 2}});
  const unsigned empty = scene.AddMesh({{0, 0, 0}}, {});
  EXPECT_FALSE(HasSurfaceFaces(scene.Mesh(lines)));
  EXPECT_TRUE(HasSurfaceFaces(scene.Mesh(triangle)));
  EXPECT_FALSE(HasSurfaceFaces(scene.Mesh(empty)));
}

TEST(PolygonTest, ConcavePolygonsAreSplitInsideTheirOutline) {
  // An L: six corners, counter-clockwise, area 3.
  const std::vector<ON_3dPoint> l =
      Points({{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}});
  auto triangles = TriangulatePolygon(l);
  ASSERT_EQ(triangles.size(), 4u);
  double sum = 0.0;
  for (const auto& t : triangles) {
    EXPECT_GT(Area(l, t), 0.0);  // no triangle folds over: none leaves the outline
    sum += Area(l, t);
  }
  EXPECT_DOUBLE_EQ(sum, 2 * 3.0);

  // The same L clockwise keeps its (clockwise) winding.
  std::vector<ON_3dPoint> reversed(l.rbegin(), l.rend());
  triangles = TriangulatePolygon(reversed);
  ASSERT_EQ(triangles.size(), 4u);
  for (const auto& t : triangles) EXPECT_LT(Area(reversed, t), 0.0);

  // A polygon standing in the XZ plane.
  const std::vector<ON_3dPoint> wall =
      Points({{0, 0, 0}, {0, 0, 2}, {1, 0, 1}, {2, 0, 2}, {2, 0, 0}});
  EXPECT_EQ(TriangulatePolygon(wall).size(), 3u);
}

TEST(PolygonTest, DegenerateAndInvalidPolygonsFallBackToAFan) {
  const std::array<int, 3> f1 = {0, 1, 2}, f2 = {0, 2, 3}, f3 = {0, 3, 4};
  const std::vector<std::array<int, 3>> fan = {f1, f2, f3};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(TriangulatePolygon(Points({{0, 0, 0}, {1, 0, 0}, {nan, 0, 0}, {1, 1, 0}, {0, 1, 0}})),
            fan);
  // All corners on one line: no area.
  EXPECT_EQ(TriangulatePolygon(Points({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}})),
            fan);
  EXPECT_TRUE(TriangulatePolygon(Points({{0, 0, 0}, {1, 0, 0}})).empty());
  EXPECT_EQ(TriangulatePolygon(Points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})),
            (std::vector<std::array<int, 3>>{f1}));
}
