#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <cmath>

#include "assimp_importer.h"
#include "import_frame.h"
#include "import_mesh.h"
#include "scene_fixtures.h"
#include "tests/support/temp_dir.h"

namespace {

void ExpectPoint(const ON_3dPoint& p, double x, double y, double z) {
  EXPECT_NEAR(p.x, x, 1e-12);
  EXPECT_NEAR(p.y, y, 1e-12);
  EXPECT_NEAR(p.z, z, 1e-12);
}

void ExpectVector(const ON_3dVector& v, double x, double y, double z) {
  ExpectPoint(ON_3dPoint(v), x, y, z);
}

void ExpectVertex(const ON_Mesh& mesh, int i, float x, float y, float z) {
  EXPECT_FLOAT_EQ(mesh.m_V[i].x, x) << i;
  EXPECT_FLOAT_EQ(mesh.m_V[i].y, y) << i;
  EXPECT_FLOAT_EQ(mesh.m_V[i].z, z) << i;
}

SceneImportOptions Options(const ON_Xform& toDocument, bool nodePlacesCameras = false) {
  SceneImportOptions options;
  options.frame.toDocument = toDocument;
  options.frame.units = ON::LengthUnitSystem::Meters;
  options.frame.nodePlacesCameras = nodePlacesCameras;
  options.documentPath = L"/models/scene.gltf";
  options.modelFolder = "/models";
  options.embeddedFolder = "/nonexistent";
  return options;
}

const CRhinoMeshObject& AsMesh(const CRhinoObject* object) {
  EXPECT_EQ(object->ObjectType(), ON::mesh_object);
  return *static_cast<const CRhinoMeshObject*>(object);
}

}  // namespace

TEST(SceneTest, SharedMeshesBecomeDefinitionsAndTheRestObjects) {
  TestScene b;
  const unsigned tri = b.AddMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}, "Tri", 0);
  const unsigned quad =
      b.AddMesh({{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}}, {{0, 1, 2, 3}}, "Quad", 1);
  const unsigned wire = b.AddMesh({{0, 0, 0}, {1, 1, 1}}, {{0, 1}}, "Wire", 2);
  b.AddMaterial("Red");
  b.AddMaterial("Blue");
  b.AddMaterial("Wire");
  b.AddMaterial("Unused");
  aiNode* group = b.AddNode(b.Root(), "group", Translation(10, 0, 0));
  b.AddNode(group, "a", Translation(0, 1, 0), {tri});
  b.AddNode(group, "b", Translation(0, 2, 0), {tri});
  b.AddNode(b.Root(), "floor", Translation(0, 0, -1), {quad, wire});
  const auto scene = b.Finish();

  // Y up to Z up, and every length doubled.
  const DocumentReadResult result =
      DocumentFromScene(*scene, Options(ON_Xform::DiagonalTransformation(2) * YUpToZUp()));
  ASSERT_TRUE(result.doc) << result.error;
  const CRhinoDoc& doc = *result.doc;
  EXPECT_EQ(doc.GetPathName(), ON_wString(L"/models/scene.gltf"));
  EXPECT_EQ(doc.ModelUnits().UnitSystem(), ON::LengthUnitSystem::Meters);
  ASSERT_EQ(doc.m_layer_table.LayerCount(), 1);
  EXPECT_EQ(doc.m_layer_table[0].Name(), ON_wString(L"Default"));

  // The materials in use, in the file's order; the wire's is not in use.
  const auto& list = doc.StandinRdk().MaterialList().m_items;
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]->InstanceName(), ON_wString(L"Red"));
  EXPECT_EQ(list[1]->InstanceName(), ON_wString(L"Blue"));

  // One definition for the shared triangle, held in document axes and units.
  ASSERT_EQ(doc.m_instance_definition_table.InstanceDefinitionCount(), 1);
  const CRhinoInstanceDefinition& definition = *doc.m_instance_definition_table[0];
  EXPECT_EQ(definition.Name(), ON_wString(L"Tri"));
  ASSERT_EQ(definition.ObjectCount(), 1);
  const CRhinoMeshObject& block = AsMesh(definition.Object(0));
  EXPECT_FALSE(block.IsActiveInDocument());
  EXPECT_EQ(block.StandinMaterial(), list[0]->InstanceId());
  ExpectVertex(block.m_mesh, 1, 2, 0, 0);
  ExpectVertex(block.m_mesh, 2, 0, 0, 2);

  // Objects in node order: two references, then the floor; the wire makes none.
  ASSERT_EQ(doc.StandinObjectCount(), 3);
  for (int i = 0; i < 2; ++i) {
    const CRhinoObject* object = doc.StandinObjectAt(i);
    ASSERT_EQ(object->ObjectType(), ON::instance_reference);
    const auto* reference = static_cast<const CRhinoInstanceObject*>(object);
    EXPECT_EQ(reference->Attributes().m_name, ON_wString(i == 0 ? L"a" : L"b"));
    EXPECT_EQ(reference->InstanceDefinition(), &definition);
    // The node's placement in the document's frame: (10, 1 + i, 0) turned and doubled.
    const ON_Xform x = reference->InstanceXform();
    ON_Xform expected = ON_Xform::TranslationTransformation(ON_3dVector(20, 0, 2 + 2 * i));
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) EXPECT_NEAR(x.m_xform[r][c], expected.m_xform[r][c], 1e-12);
  }
  ON_SimpleArray<const CRhinoInstanceObject*> references;
  EXPECT_EQ(definition.GetReferences(references), 2);

  const CRhinoMeshObject& floor = AsMesh(doc.StandinObjectAt(2));
  EXPECT_EQ(floor.Attributes().m_name, ON_wString(L"floor"));
  EXPECT_EQ(floor.StandinMaterial(), list[1]->InstanceId());
  EXPECT_TRUE(floor.IsActiveInDocument());
  ASSERT_EQ(floor.m_mesh.m_F.Count(), 1);
  EXPECT_TRUE(floor.m_mesh.m_F[0].IsQuad());
  ExpectVertex(floor.m_mesh, 0, 0, 2, 0);
  ExpectVertex(floor.m_mesh, 2, 4, 2, 4);

  // No camera: the view frames everything, the references' triangles included:
  // x 0..22, y 0..2, z 0..6.
  ASSERT_TRUE(result.hasView);
  ASSERT_TRUE(result.view);
  const ON_Viewport& vp = *result.view;
  EXPECT_TRUE(vp.IsPerspectiveProjection());
  ExpectPoint(vp.TargetPoint(), 11, 1, 3);
  const ON_3dVector d = vp.CameraDirection();
  EXPECT_NEAR(d.x, -d.y, 1e-12);
  EXPECT_NEAR(d.x, d.z, 1e-12);
  EXPECT_LT(d.x, 0.0);
  double half[3];
  ASSERT_TRUE(vp.GetCameraAngle(&half[0], &half[1], &half[2]));
  const ON_3dVector up = vp.CameraUp();
  EXPECT_NEAR(up * d, 0.0, 1e-12);
  const ON_3dVector right = ON_CrossProduct(d, up);
  for (int corner = 0; corner < 8; ++corner) {
    const ON_3dPoint p((corner & 1) ? 22 : 0, (corner & 2) ? 2 : 0, (corner & 4) ? 6 : 0);
    const ON_3dVector toPoint = p - vp.CameraLocation();
    const double depth = toPoint * d;
    EXPECT_GT(depth, 0.0);
    EXPECT_LE(std::fabs(toPoint * right) / depth, std::tan(half[2])) << corner;
    EXPECT_LE(std::fabs(toPoint * up) / depth, std::tan(half[1])) << corner;
  }
}

TEST(SceneTest, CamerasBecomeNamedViewsAndTheFirstTheActiveView) {
  for (bool nodePlaces : {false, true}) {
    TestScene b;
    b.AddNode(b.Root(), "cam", Translation(1, 2, 3));
    b.AddNode(b.Root(), "top", Translation(0, 0, 5));
    aiCamera& cam = b.AddCamera("cam");
    cam.mPosition = nodePlaces ? aiVector3D(5, 5, 5) : aiVector3D(0, 0, 0);  // not used at a node
    cam.mLookAt = aiVector3D(0, 0, -1);
    cam.mUp = aiVector3D(0, 1, 0);
    cam.mHorizontalFOV = 1.0f;
    cam.mAspect = 2.0f;
    cam.mClipPlaneNear = 0.1f;
    cam.mClipPlaneFar = 100.0f;
    aiCamera& top = b.AddCamera("top");
    top.mHorizontalFOV = 0.0f;
    top.mOrthographicWidth = 3.0f;
    top.mAspect = 1.5f;
    const auto scene = b.Finish();
    const DocumentReadResult result = DocumentFromScene(*scene, Options(YUpToZUp(), nodePlaces));
    ASSERT_TRUE(result.doc);
    const CRhinoDocProperties& properties = result.doc->Properties();
    ASSERT_EQ(properties.NamedViewCount(), 2);
    const ON_3dmView& first = *properties.NamedView(0);
    EXPECT_EQ(first.m_name, ON_wString(L"cam"));
    const ON_Viewport& vp = first.m_vp;
    EXPECT_TRUE(vp.IsPerspectiveProjection());
    ExpectPoint(vp.CameraLocation(), 1, -3, 2);
    ExpectVector(vp.CameraDirection(), 0, 1, 0);
    ExpectVector(vp.CameraUp(), 0, 0, 1);
    ExpectPoint(vp.TargetPoint(), 1, -2, 2);
    double half[3];
    ASSERT_TRUE(vp.GetCameraAngle(&half[0], &half[1], &half[2]));
    EXPECT_NEAR(half[2], 0.5, 1e-7);  // the file gives the whole horizontal angle
    EXPECT_NEAR(vp.FrustumWidth() / vp.FrustumHeight(), 2.0, 1e-12);

    const ON_Viewport& plan = properties.NamedView(1)->m_vp;
    EXPECT_EQ(properties.NamedView(1)->m_name, ON_wString(L"top"));
    EXPECT_TRUE(plan.IsParallelProjection());
    EXPECT_NEAR(plan.FrustumWidth(), 6.0, 1e-12);
    EXPECT_NEAR(plan.FrustumHeight(), 4.0, 1e-12);
    EXPECT_NE(first.m_named_view_id, properties.NamedView(1)->m_named_view_id);

    ASSERT_TRUE(result.hasView && result.view);
    EXPECT_EQ(result.view->CameraLocation(), vp.CameraLocation());
    EXPECT_TRUE(result.view->IsPerspectiveProjection());
  }
}

TEST(SceneTest, LightsOfEachKind) {
  TestScene b;
  b.AddNode(b.Root(), "lamp", Translation(1, 2, 3));
  b.AddNode(b.Root(), "panel", Translation(0, 5, 0));
  aiLight& lamp = b.AddLight("lamp", aiLightSource_POINT);
  lamp.mPosition = aiVector3D(0, 0, 0);
  aiLight& spot = b.AddLight("spot", aiLightSource_SPOT);  // no node: placed by the scene
  spot.mPosition = aiVector3D(1, 0, 0);
  spot.mDirection = aiVector3D(0, 0, -2);
  aiLight& sun = b.AddLight("sun", aiLightSource_DIRECTIONAL);
  sun.mDirection = aiVector3D(0, -1, 0);
  aiLight& panel = b.AddLight("panel", aiLightSource_AREA);
  panel.mDirection = aiVector3D(0, 0, -1);
  panel.mUp = aiVector3D(0, 1, 0);
  panel.mSize = aiVector2D(2, 1);
  b.AddLight("fill", aiLightSource_AMBIENT);
  const auto scene = b.Finish();
  const DocumentReadResult result = DocumentFromScene(*scene, Options(YUpToZUp()));
  ASSERT_TRUE(result.doc);
  const CRhinoLightTable& lights = result.doc->m_light_table;
  ASSERT_EQ(lights.LightCount(), 4);  // the ambient light has no document form

  const ON_Light& l0 = lights[0].Light();
  EXPECT_EQ(l0.LightName(), ON_wString(L"lamp"));
  EXPECT_TRUE(l0.IsPointLight());
  EXPECT_TRUE(l0.IsEnabled());
  ExpectPoint(l0.Location(), 1, -3, 2);
  EXPECT_EQ(lights[0].Id(), l0.ModelObjectId());
  EXPECT_EQ(lights[0].Document(), result.doc.get());

  const ON_Light& l1 = lights[1].Light();
  EXPECT_TRUE(l1.IsSpotLight());
  ExpectPoint(l1.Location(), 1, 0, 0);
  ExpectVector(l1.Direction(), 0, 1, 0);

  const ON_Light& l2 = lights[2].Light();
  EXPECT_TRUE(l2.IsDirectionalLight());
  ExpectVector(l2.Direction(), 0, 0, -1);

  // 2 wide and 1 high, centred at the node, shining along the document's +Y.
  const ON_Light& l3 = lights[3].Light();
  EXPECT_TRUE(l3.IsRectangularLight());
  ExpectVector(l3.Direction(), 0, 1, 0);
  ExpectVector(l3.Length(), 0, 0, 1);
  ExpectVector(l3.Width(), 2, 0, 0);
  ExpectPoint(l3.Location(), -1, 0, 4.5);
  EXPECT_GT(ON_CrossProduct(l3.Length(), l3.Width()) * l3.Direction(), 0.0);
  EXPECT_NE(lights[0].Id(), lights[3].Id());
}

TEST(SceneTest, GltfLightsSitAtTheirNodes) {
  TestScene b;
  // A quarter turn about X: the node's -Z looks down the file's -Y.
  aiMatrix4x4 turn;
  turn.b2 = 0.0f;
  turn.b3 = 1.0f;
  turn.c2 = -1.0f;
  turn.c3 = 0.0f;
  b.AddNode(b.Root(), "spot", Translation(0, 4, 0) * turn);
  aiLight& spot = b.AddLight("spot", aiLightSource_SPOT);
  spot.mPosition = aiVector3D(0, 4, 0);  // the node's own translation again
  spot.mDirection = aiVector3D(1, 0, 0);
  const auto scene = b.Finish();
  const DocumentReadResult result = DocumentFromScene(*scene, Options(YUpToZUp(), true));
  ASSERT_TRUE(result.doc);
  const ON_Light& light = result.doc->m_light_table[0].Light();
  ExpectPoint(light.Location(), 0, 0, 4);
  ExpectVector(light.Direction(), 0, 0, -1);
}

TEST(ImportTest, BadFilesNameTheFileAndAssimpsReason) {
  test_support::TempDir scratch("orvex-import-test");
  const std::string missing = (scratch.path() / "nothing.glb").string();
  for (const std::string& path :
       {ModelPath("glTF2/MissingBin/BoxTextured.gltf"),
        ModelPath("glTF2/IndexOutOfRange/AllIndicesOutOfRange.gltf"),
        ModelPath("invalid/empty.obj"), ModelPath("invalid/malformed.obj"),
        ModelPath("invalid/readme.txt"), ModelPath("glTF2/RecursiveNodes/RecursiveNodes.gltf"),
        missing}) {
    Assimp::Importer importer;
    EXPECT_EQ(importer.ReadFile(path, 0), nullptr) << path;
    const std::string reason = importer.GetErrorString();
    ASSERT_FALSE(reason.empty());
    const DocumentReadResult result = ImportWithAssimp(path, "millimeters");
    EXPECT_FALSE(result.doc) << path;
    EXPECT_EQ(result.error, path + ": " + reason);
  }
}

TEST(ImportTest, UnitsForFilesWithoutThem) {
  const std::string obj = ModelPath("OBJ/box.obj");
  DocumentReadResult result = ImportWithAssimp(obj, "inches");
  ASSERT_TRUE(result.doc) << result.error;
  EXPECT_EQ(result.doc->ModelUnits().UnitSystem(), ON::LengthUnitSystem::Inches);
  // glTF says metres whatever is asked.
  result = ImportWithAssimp(ModelPath("glTF2/BoxTextured-glTF/BoxTextured.gltf"), "inches");
  ASSERT_TRUE(result.doc) << result.error;
  EXPECT_EQ(result.doc->ModelUnits().UnitSystem(), ON::LengthUnitSystem::Meters);

  result = ImportWithAssimp(obj, "furlongs");
  EXPECT_FALSE(result.doc);
  EXPECT_EQ(result.error, obj + ": unknown unit name 'furlongs' for a file without units");
}
