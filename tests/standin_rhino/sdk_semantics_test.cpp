// Where the plug-in's output depends on the SDK's behaviour, the stand-in must
// behave the same: quad triangulation, point validity, units, object filters.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "RhinoSdk.h"

TEST(MeshTest, QuadsSplitAlongTheShorterDiagonalInPlaceAndAtTheEnd) {
  ON_Mesh mesh;
  // A quad whose 1-3 diagonal is shorter than its 0-2 diagonal.
  mesh.m_V.Append(ON_3fPoint(0, 0, 0));
  mesh.m_V.Append(ON_3fPoint(10, 1, 0));
  mesh.m_V.Append(ON_3fPoint(20, 0, 0));
  mesh.m_V.Append(ON_3fPoint(10, -1, 0));
  mesh.AppendQuad(0, 1, 2, 3);
  mesh.AppendTriangle(0, 1, 2);
  EXPECT_TRUE(mesh.ConvertQuadsToTriangles());
  ASSERT_EQ(mesh.FaceCount(), 3);
  EXPECT_EQ(mesh.TriangleCount(), 3);
  const int first[4] = {0, 1, 3, 3}, second[4] = {1, 2, 3, 3};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(mesh.m_F[0].vi[k], first[k]);
    EXPECT_EQ(mesh.m_F[2].vi[k], second[k]);
  }
  ON_Mesh square;
  for (auto p :
       {ON_3fPoint(0, 0, 0), ON_3fPoint(1, 0, 0), ON_3fPoint(1, 1, 0), ON_3fPoint(0, 1, 0)})
    square.m_V.Append(p);
  square.AppendQuad(0, 1, 2, 3);
  square.ConvertQuadsToTriangles();  // equal diagonals: 0-2
  EXPECT_EQ(square.m_F[0].vi[2], 2);
  EXPECT_EQ(square.m_F[1].vi[0], 0);
  EXPECT_EQ(square.m_F[1].vi[1], 2);
  EXPECT_EQ(square.m_F[1].vi[2], 3);
}

TEST(PointTest, ValidityRejectsNonFiniteAndUnsetCoordinates) {
  EXPECT_TRUE(ON_3fPoint(1, 2, 3).IsValid());
  EXPECT_TRUE(ON_3fPoint(1.2e38f, -1.2e38f, 0).IsValid());
  EXPECT_FALSE(ON_3fPoint(std::numeric_limits<float>::quiet_NaN(), 0, 0).IsValid());
  EXPECT_FALSE(ON_3fPoint(0, std::numeric_limits<float>::infinity(), 0).IsValid());
  EXPECT_FALSE(ON_3fPoint(0, 0, ON_UNSET_FLOAT).IsValid());
  EXPECT_FALSE(ON_3fPoint(ON_UNSET_POSITIVE_FLOAT, 0, 0).IsValid());
  EXPECT_FALSE(ON_3fVector(0, 0, -1.3e38f).IsValid());
}

TEST(UnitsTest, MetersPerUnitAndTheUnsetValue) {
  EXPECT_DOUBLE_EQ(ON_UnitSystem(ON::LengthUnitSystem::Millimeters).MetersPerUnit(ON_DBL_QNAN),
                   0.001);
  EXPECT_DOUBLE_EQ(ON_UnitSystem(ON::LengthUnitSystem::Inches).MetersPerUnit(ON_DBL_QNAN), 0.0254);
  EXPECT_TRUE(std::isnan(ON_UnitSystem(ON::LengthUnitSystem::None).MetersPerUnit(ON_DBL_QNAN)));
  EXPECT_EQ(ON_UnitSystem(ON::LengthUnitSystem::Unset).MetersPerUnit(7.0), 7.0);
}

TEST(UuidTest, TextFormsRoundTrip) {
  const ON_UUID id = ON_UuidFromString("7C3A91F2-5B0E-4D8A-9F61-2E4B8D0C7A53");
  EXPECT_EQ(CRhRdkUuid(id).String(36), ON_wString(L"7c3a91f2-5b0e-4d8a-9f61-2e4b8d0c7a53"));
  EXPECT_EQ(CRhRdkUuid(id).String(4), ON_wString(L"7c3a"));
  EXPECT_EQ(ON_UuidFromString(L"{7c3a91f2-5b0e-4d8a-9f61-2e4b8d0c7a53}"), id);
  EXPECT_EQ(ON_UuidFromString("not a uuid"), ON_nil_uuid);
  EXPECT_EQ(CRhRdkUuid().String(36), ON_wString(L"00000000-0000-0000-0000-000000000000"));
}

TEST(IteratorTest, StateAndCategoryFiltersSelectObjects) {
  CRhinoDoc doc;
  auto add = [&](const wchar_t* name, ON::object_mode mode, bool deleted, bool reference) {
    auto object = std::make_unique<CRhinoMeshObject>();
    object->StandinAttributes().m_name = name;
    object->StandinAttributes().m_mode = mode;
    object->StandinSetDeleted(deleted);
    object->StandinSetReference(reference);
    doc.StandinAddObject(std::move(object));
  };
  add(L"normal", ON::object_mode::normal_object, false, false);
  add(L"locked", ON::object_mode::locked_object, false, false);
  add(L"hidden", ON::object_mode::hidden_object, false, false);
  add(L"deleted", ON::object_mode::normal_object, true, false);
  add(L"linked", ON::object_mode::normal_object, false, true);
  auto names = [&](unsigned state, unsigned category) {
    std::wstring out;
    CRhinoObjectIterator it(doc, state, category);
    for (CRhinoObject* o = it.First(); o; o = it.Next()) out += o->Attributes().m_name.Std() + L" ";
    return out;
  };
  EXPECT_EQ(names(3, 3), L"normal locked linked ");
  EXPECT_EQ(names(3, 1), L"normal locked ");
  EXPECT_EQ(names(0xFFFFFFFF, 3), L"normal locked hidden deleted linked ");
  EXPECT_EQ(names(4 | 16, 3), L"hidden deleted ");
  EXPECT_FALSE(doc.StandinObjectAt(2)->IsVisible());
  EXPECT_FALSE(doc.StandinObjectAt(3)->IsVisible());
  EXPECT_TRUE(doc.StandinObjectAt(1)->IsVisible());
}

TEST(ViewportTest, CameraAnglesComeFromTheFrustum) {
  ON_Viewport vp;
  vp.SetProjection(ON::view_projection::perspective_view);
  const double halfWidth = std::tan(ON_RadiansFromDegrees(25.0));
  vp.SetFrustum(-halfWidth, halfWidth, -0.5 * halfWidth, 0.5 * halfWidth, 1.0, 100.0);
  double diagonal = 0, vertical = 0, horizontal = 0;
  ASSERT_TRUE(vp.GetCameraAngle(&diagonal, &vertical, &horizontal));
  EXPECT_NEAR(ON_DegreesFromRadians(horizontal), 25.0, 1e-12);
  EXPECT_NEAR(std::tan(vertical), 0.5 * halfWidth, 1e-12);
  EXPECT_GT(diagonal, horizontal);
  // Any change of the camera changes the box that view sync compares.
  ON_Viewport turned = vp;
  turned.Transform(ON_Xform::RotationTransformation(ON_RadiansFromDegrees(10), ON_3dVector::ZAxis,
                                                    ON_3dPoint(0, 0, 0)));
  EXPECT_NE(vp.BoundingBox(), turned.BoundingBox());
  EXPECT_EQ(vp.BoundingBox(), ON_Viewport(vp).BoundingBox());
}
