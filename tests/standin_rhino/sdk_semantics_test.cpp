// Where the plug-in's output depends on the SDK's behaviour, the stand-in must
// behave the same: quad triangulation, point validity, units, object filters.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "RhinoSdk.h"
#include "tests/model_export/test_meshes.h"

using model_export_test::AppendQuad;
using model_export_test::AppendTriangle;
using model_export_test::NewUuid;

TEST(MeshTest, QuadsSplitAlongTheShorterDiagonalInPlaceAndAtTheEnd) {
  ON_Mesh mesh;
  // A quad whose 1-3 diagonal is shorter than its 0-2 diagonal.
  mesh.m_V.Append(ON_3fPoint(0, 0, 0));
  mesh.m_V.Append(ON_3fPoint(10, 1, 0));
  mesh.m_V.Append(ON_3fPoint(20, 0, 0));
  mesh.m_V.Append(ON_3fPoint(10, -1, 0));
  AppendQuad(mesh, 0, 1, 2, 3);
  AppendTriangle(mesh, 0, 1, 2);
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
  AppendQuad(square, 0, 1, 2, 3);
  square.ConvertQuadsToTriangles();  // equal diagonals: 0-2
  EXPECT_EQ(square.m_F[0].vi[2], 2);
  EXPECT_EQ(square.m_F[1].vi[0], 0);
  EXPECT_EQ(square.m_F[1].vi[1], 2);
  EXPECT_EQ(square.m_F[1].vi[2], 3);
}

TEST(MeshTest, QuadsSplitInFaceOrderAndAQuadOutsideTheListStaysAQuad) {
  ON_Mesh mesh;
  for (auto p : {ON_3fPoint(0, 0, 0), ON_3fPoint(10, 1, 0), ON_3fPoint(20, 0, 0),
                 ON_3fPoint(10, -1, 0), ON_3fPoint(0, 5, 0)})
    mesh.m_V.Append(p);
  AppendQuad(mesh, 0, 1, 2, 3);   // 1-3 shorter
  AppendTriangle(mesh, 0, 2, 4);  // stays as it is
  AppendQuad(mesh, 0, 1, 2, 7);   // a corner past the list: left as it is
  AppendQuad(mesh, 1, 2, 3, 0);   // its 0-2 diagonal (vertices 1 and 3) shorter
  // A quad remains, so the host reports the split as incomplete.
  EXPECT_FALSE(mesh.ConvertQuadsToTriangles());
  const std::vector<std::array<int, 4>> expected = {
      {0, 1, 3, 3}, {0, 2, 4, 4}, {0, 1, 2, 7}, {1, 2, 3, 3},  // the faces' own places
      {1, 2, 3, 3}, {1, 3, 0, 0}};                             // second triangles, in quad order
  ASSERT_EQ(mesh.FaceCount(), static_cast<int>(expected.size()));
  for (std::size_t f = 0; f < expected.size(); ++f)
    for (int k = 0; k < 4; ++k) EXPECT_EQ(mesh.m_F[static_cast<int>(f)].vi[k], expected[f][k]) << f;
  EXPECT_FALSE(mesh.ConvertQuadsToTriangles());  // the quad outside the list stays
  EXPECT_EQ(mesh.FaceCount(), 6);

  // A quad with two corners at one point becomes one triangle in its place.
  ON_Mesh degenerate;
  for (auto p :
       {ON_3fPoint(0, 0, 0), ON_3fPoint(1, 0, 0), ON_3fPoint(1, 0, 0), ON_3fPoint(0, 1, 0)})
    degenerate.m_V.Append(p);
  AppendQuad(degenerate, 0, 1, 2, 3);
  EXPECT_TRUE(degenerate.ConvertQuadsToTriangles());
  ASSERT_EQ(degenerate.FaceCount(), 1);
  EXPECT_TRUE(degenerate.m_F[0].IsTriangle());
}

TEST(InstanceDefinitionTest, ReferencesAreTheTopLevelInstancesNamingItInDocumentOrder) {
  CRhinoDoc doc;
  const ON_UUID ids[2] = {NewUuid(), NewUuid()};
  for (const ON_UUID& id : ids) {
    auto definition = std::make_unique<CRhinoInstanceDefinition>();
    definition->SetId(id);
    definition->m_doc = &doc;
    doc.m_instance_definition_table.StandinAdd(std::move(definition));
  }
  std::vector<const CRhinoObject*> added;
  auto place = [&](int definition, bool hidden, bool deleted) {
    auto reference = std::make_unique<CRhinoInstanceObject>();
    reference->m_definition_id = ids[definition];
    if (hidden) reference->StandinAttributes().SetMode(ON::hidden_object);
    reference->StandinSetDeleted(deleted);
    added.push_back(&doc.StandinAddObject(std::move(reference)));
  };
  place(0, false, false);
  place(1, false, false);
  doc.StandinAddObject(std::make_unique<CRhinoMeshObject>());
  place(0, true, false);
  place(0, false, true);
  // An instance inside a definition is not a top-level reference.
  auto nested = std::make_unique<CRhinoInstanceObject>();
  nested->m_definition_id = ids[0];
  doc.m_instance_definition_table.StandinAdd(std::make_unique<CRhinoInstanceDefinition>())
      .StandinAddObject(std::move(nested));

  ON_SimpleArray<const CRhinoInstanceObject*> references;
  references.Append(nullptr);  // the references are appended after what is there
  // Deleted references are not in the document's list.
  EXPECT_EQ(doc.m_instance_definition_table[0]->GetReferences(references, 0), 2);
  ASSERT_EQ(references.Count(), 3);
  EXPECT_EQ(references[1], added[0]);
  EXPECT_EQ(references[2], added[2]);
  ON_SimpleArray<const CRhinoInstanceObject*> second;
  EXPECT_EQ(doc.m_instance_definition_table[1]->GetReferences(second, 0), 1);
  EXPECT_EQ(doc.m_instance_definition_table[2]->GetReferences(second, 0), 0);
}

TEST(InstanceDefinitionTest, ExpansionStopsAtTheFirstDefinitionRepeatedOnItsWay) {
  // A holds a mesh and B twice, B a mesh and A twice: each expands once inside the other.
  CRhinoDoc doc;
  const ON_UUID ids[2] = {NewUuid(), NewUuid()};
  ON_SimpleArray<const CRhinoObject*> inA;
  for (int d = 0; d < 2; ++d) {
    auto& definition =
        doc.m_instance_definition_table.StandinAdd(std::make_unique<CRhinoInstanceDefinition>());
    definition.SetId(ids[d]);
    for (int i = 0; i < 3; ++i) {
      auto object = std::make_unique<CRhinoInstanceObject>();
      object->m_definition_id = ids[1 - d];
      CRhinoObject& added = definition.StandinAddObject(
          i == 0 ? std::unique_ptr<CRhinoObject>(new CRhinoMeshObject) : std::move(object));
      added.StandinSetDocument(&doc);
      if (d == 0) inA.Append(&added);
    }
  }
  ON_ClassArray<CRhinoObjRef> meshes;
  EXPECT_EQ(RhinoGetRenderMeshes(inA, meshes, true, false), 7);  // a, 2 x (b, 2 x a)
}

TEST(LayerTreeTest, ALayerOffOrLockedHidesOrLocksWhatIsInItAtAnyDepth) {
  CRhinoDoc doc;
  CRhinoLayerTable& table = doc.m_layer_table;
  // Leaf comes before its parent; Loop and Round hold each other; Lost's parent is nowhere.
  const wchar_t* names[] = {L"Leaf", L"Top", L"Mid", L"Safe", L"Under", L"Loop", L"Round", L"Lost"};
  const int parents[] = {2, -1, 1, -1, 3, 6, 5, 8};
  ON_UUID ids[9];
  for (ON_UUID& id : ids) id = NewUuid();
  for (int i = 0; i < 8; ++i) {
    ON_Layer layer;
    layer.SetId(ids[i]);
    layer.SetName(names[i]);
    if (parents[i] >= 0) layer.SetParentLayerId(ids[parents[i]]);
    table.AddLayer(layer);
    CRhinoObjectAttributes& a =
        doc.StandinAddObject(std::make_unique<CRhinoMeshObject>()).StandinAttributes();
    a.m_name = names[i];
    a.m_layer_index = i;
  }
  table.StandinLayer(1).SetVisible(false);
  table.StandinLayer(3).SetLocked(true);
  for (const auto& [state, expected] :
       {std::pair{CRhinoObjectIterator::hidden_objects, L"LeafTopMid"},
        {CRhinoObjectIterator::locked_objects, L"SafeUnder"},
        {CRhinoObjectIterator::normal_objects, L"LoopRoundLost"}}) {
    std::wstring named;
    CRhinoObjectIterator it(doc, state);
    for (CRhinoObject* o = it.First(); o; o = it.Next()) named += o->Attributes().m_name.Array();
    EXPECT_EQ(named, expected);
  }
  EXPECT_EQ(table[0].ParentLayer(false), &table[2]);
  EXPECT_EQ(table[0].ParentLayer(true), &table[1]);
  EXPECT_EQ(table[1].ParentLayer(true), nullptr);
  EXPECT_EQ(table[7].ParentLayer(false), nullptr);
  EXPECT_EQ(table[5].ParentLayer(true), &table[6]);  // the circle cut where the walk closed it
  EXPECT_FALSE(doc.StandinObjectAt(0)->IsVisible());
  table.StandinLayer(1).SetVisible(true);
  EXPECT_TRUE(doc.StandinObjectAt(0)->IsVisible());
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
  // No units count as metres; only an unset unit system has no scale.
  EXPECT_EQ(ON_UnitSystem(ON::LengthUnitSystem::None).MetersPerUnit(ON_DBL_QNAN), 1.0);
  EXPECT_DOUBLE_EQ(ON_UnitSystem(ON::LengthUnitSystem::Feet).MetersPerUnit(ON_DBL_QNAN),
                   0.0254 * 12);
  EXPECT_TRUE(std::isnan(ON_UnitSystem(ON::LengthUnitSystem::Unset).MetersPerUnit(ON_DBL_QNAN)));
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
    object->StandinAttributes().SetMode(mode);
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
    CRhinoObjectIterator it(doc, static_cast<CRhinoObjectIterator::object_state>(state),
                            static_cast<CRhinoObjectIterator::object_category>(category));
    for (CRhinoObject* o = it.First(); o; o = it.Next())
      out += std::wstring(o->Attributes().m_name.Array()) + L" ";
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
  ON_Xform turn;
  turn.Rotation(ON_RadiansFromDegrees(10), ON_3dVector::ZAxis, ON_3dPoint(0, 0, 0));
  turned.Transform(turn);
  EXPECT_NE(vp.BoundingBox(), turned.BoundingBox());
  EXPECT_EQ(vp.BoundingBox(), ON_Viewport(vp).BoundingBox());
}
