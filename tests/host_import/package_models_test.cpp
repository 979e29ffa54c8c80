// The importer on the models of Debian's assimp-testmodels package, checked
// against assimp's own view of each file.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <set>

#include "assimp_importer.h"
#include "assimp_view.h"
#include "import_frame.h"
#include "import_mesh.h"
#include "scene_fixtures.h"
#include "tests/support/file_io.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using U = ON::LengthUnitSystem;
using test_support::TempDir;
using test_support::WriteFile;

// Faces as triangles: a quad counts two. Every face counts, degenerate or not
// (openNURBS's own triangle and quad counts leave out faces it finds invalid).
size_t Triangles(const ON_Mesh& mesh) {
  size_t triangles = 0;
  for (int fi = 0; fi < mesh.m_F.Count(); ++fi) triangles += mesh.m_F[fi].IsTriangle() ? 1 : 2;
  return triangles;
}

// The corners of faces whose corners all exist and are finite, placed by x.
void AddCorners(Box3& box, const ON_Mesh& mesh, const ON_Xform& x) {
  for (int fi = 0; fi < mesh.m_F.Count(); ++fi) {
    const ON_MeshFace& f = mesh.m_F[fi];
    const int corners = f.IsTriangle() ? 3 : 4;
    bool valid = true;
    for (int k = 0; k < corners; ++k)
      valid = valid && f.vi[k] >= 0 && f.vi[k] < mesh.m_V.Count() && mesh.m_V[f.vi[k]].IsValid();
    if (!valid) continue;
    for (int k = 0; k < corners; ++k) {
      const ON_3fPoint& v = mesh.m_V[f.vi[k]];
      const ON_3dPoint p = TransformPoint(x, ON_3dPoint(v.x, v.y, v.z));
      box.Add(p.x, p.y, p.z);
    }
  }
}

struct DocumentView {
  size_t objectTriangles = 0;                         // mesh objects
  size_t definitionTriangles = 0;                     // each definition once
  size_t placedTriangles = 0;                         // objects and every reference's definition
  std::multiset<std::pair<size_t, int>> definitions;  // (triangles, references)
  Box3 box;
};

DocumentView ViewOf(const CRhinoDoc& doc) {
  DocumentView view;
  for (int i = 0; i < doc.StandinObjectCount(); ++i) {
    const CRhinoObject* object = doc.StandinObjectAt(i);
    if (object->ObjectType() == ON::mesh_object) {
      const ON_Mesh& mesh = static_cast<const CRhinoMeshObject*>(object)->m_mesh;
      view.objectTriangles += Triangles(mesh);
      AddCorners(view.box, mesh, ON_Xform::IdentityTransformation);
    } else if (object->ObjectType() == ON::instance_reference) {
      const auto* reference = static_cast<const CRhinoInstanceObject*>(object);
      const CRhinoInstanceDefinition* definition = reference->InstanceDefinition();
      for (int k = 0; definition && k < definition->ObjectCount(); ++k) {
        const ON_Mesh& mesh = static_cast<const CRhinoMeshObject*>(definition->Object(k))->m_mesh;
        view.placedTriangles += Triangles(mesh);
        AddCorners(view.box, mesh, reference->InstanceXform());
      }
    }
  }
  view.placedTriangles += view.objectTriangles;
  const CRhinoInstanceDefinitionTable& table = doc.m_instance_definition_table;
  for (int d = 0; d < table.InstanceDefinitionCount(); ++d) {
    size_t triangles = 0;
    for (int k = 0; k < table[d]->ObjectCount(); ++k)
      triangles += Triangles(static_cast<const CRhinoMeshObject*>(table[d]->Object(k))->m_mesh);
    ON_SimpleArray<const CRhinoInstanceObject*> references;
    view.definitions.insert({triangles, table[d]->GetReferences(references)});
    view.definitionTriangles += triangles;
  }
  return view;
}

struct ModelCase {
  const char* file;
  bool yUp;      // the scene's frame as assimp gives it
  double scale;  // document units per scene unit
  U units;       // with millimetres asked for files without units
};

void PrintTo(const ModelCase& c, std::ostream* os) { *os << c.file; }

class PackageModelTest : public ::testing::TestWithParam<ModelCase> {};

}  // namespace

TEST_P(PackageModelTest, TrianglesPlacementsAndExtentsMatchAssimpsOwnView) {
  const ModelCase c = GetParam();
  const std::string path = ModelPath(c.file);
  const AssimpView source = ViewWithAssimp(path);
  ASSERT_TRUE(source.error.empty()) << source.error;
  const DocumentReadResult result = ImportWithAssimp(path, "millimeters");
  ASSERT_TRUE(result.doc) << result.error;
  const CRhinoDoc& doc = *result.doc;
  EXPECT_EQ(doc.ModelUnits().UnitSystem(), c.units);
  EXPECT_EQ(doc.GetPathName(), ON_wString(std::filesystem::path(path).wstring().c_str()));

  const DocumentView view = ViewOf(doc);
  EXPECT_EQ(view.placedTriangles, source.Placed(source.triangles));
  EXPECT_EQ(view.objectTriangles + view.definitionTriangles, source.Distinct(source.triangles));
  // Every shared mesh is one definition with one reference per node placing it.
  std::multiset<std::pair<size_t, int>> shared;
  for (size_t m = 0; m < source.uses.size(); ++m)
    if (source.uses[m] > 1) shared.insert({source.triangles[m], static_cast<int>(source.uses[m])});
  EXPECT_EQ(view.definitions, shared);

  const Box3 expected = source.box.Mapped([&](double x, double y, double z) {
    return c.yUp ? std::array<double, 3>{c.scale * x, -c.scale * z, c.scale * y}
                 : std::array<double, 3>{c.scale * x, c.scale * y, c.scale * z};
  });
  ASSERT_FALSE(expected.Empty());
  const double tolerance = 1e-5 * std::max(1.0, expected.Size());
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(view.box.min[i], expected.min[i], tolerance) << i;
    EXPECT_NEAR(view.box.max[i], expected.max[i], tolerance) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PackageModelTest,
    ::testing::Values(
        ModelCase{"glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb", true, 1, U::Meters},
        ModelCase{"glTF2/BoxTextured-glTF/BoxTextured.gltf", true, 1, U::Meters},
        ModelCase{"glTF2/cameras/Cameras.gltf", true, 1, U::Meters},
        ModelCase{"glTF2/textureTransform/TextureTransformTest.gltf", true, 1, U::Meters},
        ModelCase{"Collada/lights.dae", true, 1, U::Meters},
        ModelCase{"Collada/teapot_instancenodes.DAE", true, 1, U::Meters},
        ModelCase{"Collada/duck.dae", true, 1, U::Meters},
        ModelCase{"OBJ/spider.obj", true, 1, U::Millimeters},
        ModelCase{"OBJ/concave_polygon.obj", true, 1, U::Millimeters},
        ModelCase{"FBX/maxPbrMaterial_metalRough.fbx", true, 1, U::Meters},
        ModelCase{"FBX/spider.fbx", true, 1, U::Centimeters},
        ModelCase{"FBX/global_settings.fbx", true, 500, U::Centimeters},
        ModelCase{"3DS/fels.3ds", true, 1, U::Millimeters},
        ModelCase{"PLY/cube_uv.ply", false, 1, U::Millimeters},
        ModelCase{"PLY/Wuson.ply", false, 1, U::Millimeters},
        ModelCase{"STL/Spider_binary.stl", false, 1, U::Millimeters},
        ModelCase{"STL/sphereWithHole.stl", false, 1, U::Millimeters},
        ModelCase{"IFC/AC14-FZK-Haus.ifc", true, 1, U::Meters},
        ModelCase{"BLEND/AreaLight_269.blend", false, 1, U::Millimeters}),
    [](const ::testing::TestParamInfo<ModelCase>& info) {
      std::string name = std::filesystem::path(info.param.file).stem().string() + "_" +
                         std::filesystem::path(info.param.file).extension().string().substr(1);
      for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

TEST(BrokenModelTest, BadNormalsAreKeptAsTheFileHasThem) {
  const DocumentReadResult result =
      ImportWithAssimp(ModelPath("glTF2/BoxBadNormals-glTF-Binary/BoxBadNormals.glb"), "meters");
  ASSERT_TRUE(result.doc) << result.error;
  ASSERT_EQ(result.doc->StandinObjectCount(), 1);
  const ON_Mesh& mesh =
      static_cast<const CRhinoMeshObject*>(result.doc->StandinObjectAt(0))->m_mesh;
  ASSERT_EQ(mesh.m_N.Count(), 24);
  // Four zero normals, four of length 0.1; the rest unit length.
  int zero = 0, short_ = 0, unit = 0;
  for (int ni = 0; ni < mesh.m_N.Count(); ++ni) {
    const ON_3fVector& n = mesh.m_N[ni];
    const double length = std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z);
    zero += length == 0.0;
    short_ += std::fabs(length - 0.1) < 1e-6;
    unit += std::fabs(length - 1.0) < 1e-6;
  }
  EXPECT_EQ(zero, 4);
  EXPECT_EQ(short_, 4);
  EXPECT_EQ(unit, 16);
}

TEST(BrokenModelTest, InfiniteVerticesAreKept) {
  const std::string path = ModelPath("glTF2/BoxWithInfinites-glTF-Binary/BoxWithInfinites.glb");
  const AssimpView source = ViewWithAssimp(path, 0);
  ASSERT_TRUE(source.error.empty()) << source.error;
  const DocumentReadResult result = ImportWithAssimp(path, "meters");
  ASSERT_TRUE(result.doc) << result.error;
  ASSERT_EQ(result.doc->StandinObjectCount(), 1);
  const ON_Mesh& mesh =
      static_cast<const CRhinoMeshObject*>(result.doc->StandinObjectAt(0))->m_mesh;
  EXPECT_EQ(Triangles(mesh), source.triangles[0]);
  EXPECT_EQ(source.validTriangles[0], 0u);
  ASSERT_EQ(mesh.m_V.Count(), 24);
  for (int vi = 0; vi < mesh.m_V.Count(); ++vi) {
    const ON_3fPoint& v = mesh.m_V[vi];
    EXPECT_TRUE(std::isinf(v.x)) << v.x;  // X stays X when Y-up turns Z-up
    EXPECT_TRUE(std::isfinite(v.y) && std::isfinite(v.z));
  }
  // No view can frame a model without a drawable point.
  EXPECT_FALSE(result.hasView);
}

TEST(BrokenModelTest, OutOfRangeCornersAreKeptWhereTheReaderKeepsThem) {
  // The glTF reader itself drops the face with the bad corner.
  const std::string gltf = ModelPath("glTF2/IndexOutOfRange/IndexOutOfRange.gltf");
  const AssimpView source = ViewWithAssimp(gltf, 0);
  ASSERT_EQ(source.triangles.size(), 1u);
  DocumentReadResult result = ImportWithAssimp(gltf, "meters");
  ASSERT_TRUE(result.doc) << result.error;
  EXPECT_EQ(ViewOf(*result.doc).placedTriangles, source.triangles[0]);
  EXPECT_EQ(source.triangles[0], 11u);

  // The PLY reader passes it on, and so does the import.
  TempDir scratch("orvex-import-test");
  const auto ply = WriteFile(scratch.path() / "bad.ply",
                             "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"
                             "property float y\nproperty float z\nelement face 2\n"
                             "property list uchar int vertex_indices\nend_header\n"
                             "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n3 0 1 7\n");
  result = ImportWithAssimp(ply.string(), "millimeters");
  ASSERT_TRUE(result.doc) << result.error;
  const ON_Mesh& mesh =
      static_cast<const CRhinoMeshObject*>(result.doc->StandinObjectAt(0))->m_mesh;
  ASSERT_EQ(mesh.m_F.Count(), 2);
  EXPECT_EQ(mesh.m_F[1].vi[2], 7);
  EXPECT_EQ(mesh.m_V.Count(), 3);
}

TEST(ImportTest, NamesMaterialsAndViewsOfRealFiles) {
  const std::string engine = ModelPath("glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb");
  DocumentReadResult result = ImportWithAssimp(engine, "millimeters");
  ASSERT_TRUE(result.doc) << result.error;
  // The camera's node names the view, which is also the active view.
  const CRhinoDocProperties& properties = result.doc->Properties();
  ASSERT_EQ(properties.NamedViewCount(), 1);
  EXPECT_EQ(properties.NamedView(0)->m_name, ON_wString(L"nodes[81]"));
  ASSERT_TRUE(result.hasView && result.view);
  EXPECT_EQ(result.view->CameraLocation(), properties.NamedView(0)->m_vp.CameraLocation());
  // Objects carry their nodes' names; the definitions their meshes'.
  bool named = false;
  for (int i = 0; i < result.doc->StandinObjectCount(); ++i)
    named =
        named || result.doc->StandinObjectAt(i)->Attributes().m_name == ON_wString(L"nodes[80]");
  EXPECT_TRUE(named);
  bool body = false;
  for (int d = 0; d < result.doc->m_instance_definition_table.InstanceDefinitionCount(); ++d)
    body = body || result.doc->m_instance_definition_table[d]->Name() == ON_wString(L"body");
  EXPECT_TRUE(body);

  // COLLADA lights: point, directional and spot come in; the hemisphere light
  // (ambient) does not; the "Area" lamp is a point light in the file.
  result = ImportWithAssimp(ModelPath("Collada/lights.dae"), "millimeters");
  ASSERT_TRUE(result.doc) << result.error;
  const CRhinoLightTable& lights = result.doc->m_light_table;
  ASSERT_EQ(lights.LightCount(), 4);
  EXPECT_EQ(lights[0].Light().LightName(), ON_wString(L"Lamp"));
  EXPECT_TRUE(lights[0].Light().IsPointLight());
  EXPECT_TRUE(lights[1].Light().IsDirectionalLight());
  EXPECT_TRUE(lights[2].Light().IsSpotLight());
  EXPECT_TRUE(lights[3].Light().IsPointLight());
  // The lamp stands at (0, 1, 1) in the file's own Z-up frame.
  const ON_3dPoint lamp = lights[0].Light().Location();
  EXPECT_NEAR(lamp.x, 0.0, 1e-6);
  EXPECT_NEAR(lamp.y, 1.0, 1e-6);
  EXPECT_NEAR(lamp.z, 1.0, 1e-6);
}

TEST(ImportTest, BlenderAreaLightsBecomeRectangularLights) {
  const DocumentReadResult result =
      ImportWithAssimp(ModelPath("BLEND/AreaLight_269.blend"), "meters");
  ASSERT_TRUE(result.doc) << result.error;
  const CRhinoLightTable& lights = result.doc->m_light_table;
  ASSERT_EQ(lights.LightCount(), 3);
  EXPECT_TRUE(lights[0].Light().IsPointLight());
  // "Foo": 1 m square, 2 m up, shining down; its corner half a metre off.
  const ON_Light& foo = lights[2].Light();
  EXPECT_EQ(foo.LightName(), ON_wString(L"Foo"));
  ASSERT_TRUE(foo.IsRectangularLight());
  const double h = std::sqrt(0.5);
  auto expectNear = [](const ON_3dVector& v, double x, double y, double z) {
    EXPECT_NEAR(v.x, x, 1e-6);
    EXPECT_NEAR(v.y, y, 1e-6);
    EXPECT_NEAR(v.z, z, 1e-6);
  };
  expectNear(foo.Direction(), 0, 0, -1);
  expectNear(foo.Length(), 0, 1, 0);
  expectNear(foo.Width(), 1, 0, 0);
  expectNear(ON_3dVector(foo.Location().x, foo.Location().y, foo.Location().z), -0.5, -0.5, 2);
  // "Bar": 0.5 m by 2 m, its node turned 45 degrees about X.
  const ON_Light& bar = lights[1].Light();
  ASSERT_TRUE(bar.IsRectangularLight());
  expectNear(bar.Direction(), 0, -h, -h);
  expectNear(bar.Length(), 0, 2 * h, -2 * h);
  expectNear(bar.Width(), 0.5, 0, 0);
  expectNear(ON_3dVector(bar.Location().x, bar.Location().y, bar.Location().z), -3.14 - 0.25, 3 - h,
             2 + h);
}

TEST(ImportTest, EveryFileOfTheSevenFormatsImportsOrNamesItsFault) {
  // The whole package folder of each format, and the deliberately broken
  // files, except the one whose header asks for billions of faces (assimp
  // reserves memory for them before it notices): a document wherever assimp
  // reads a scene, otherwise the file's name and assimp's reason.
  // Images held in the files go to a scratch folder, not the machine's.
  TempDir scratch("orvex-import-test");
  const test_support::ScopedEnv temporary("TMPDIR", scratch.path().string());
  size_t imported = 0;
  for (const char* folder :
       {"glTF2", "glTF", "Collada", "OBJ", "FBX", "3DS", "PLY", "STL", "invalid"}) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ModelPath(folder))) {
      if (!entry.is_regular_file() || entry.path().filename() == "OutOfMemory.off") continue;
      const std::string path = entry.path().string();
      Assimp::Importer importer;
      const aiScene* scene = importer.ReadFile(path, 0);
      const DocumentReadResult result = ImportWithAssimp(path, "millimeters");
      if (scene && scene->mRootNode) {
        ASSERT_TRUE(result.doc) << path << ": " << result.error;
        EXPECT_EQ(result.doc->GetPathName(), ON_wString(entry.path().wstring().c_str()));
        ++imported;
      } else {
        EXPECT_FALSE(result.doc) << path;
        EXPECT_EQ(result.error, path + ": " + importer.GetErrorString());
      }
    }
  }
  EXPECT_GT(imported, 0u);
  EXPECT_TRUE(std::filesystem::exists(scratch.path() / "orvex-host-textures"));
}
