// What the renderer received, as the bridge stand-in writes it with ORVEX_BRIDGE_OUT, compared
// back to the document after whole runs through orvex-host: triangle counts, world boxes in
// metres with Y up, block references where they were placed, outward faces, material colours
// and textures, lights, scenes, and an object hidden before an update.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "command_names.h"
#include "host_sandbox.h"
#include "opennurbs.h"
#include "tests/gltf_support/gltf_file.h"
#include "tests/support/file_io.h"

using nlohmann::json;

namespace {

namespace fs = std::filesystem;
using gltf_test::GltfFile;
using gltf_test::Vec3;

const char* kSlab = "0b000001-0000-4000-8000-000000000001";
const char* kPost = "0b000002-0000-4000-8000-000000000002";
const char* kLampDefinition = "1d000001-0000-4000-8000-000000000001";

// A box between two corners (millimetres), its faces wound outward as quads, with the normal
// of each corner pointing away from the middle.
json BoxMesh(const Vec3& low, const Vec3& high) {
  json vertices = json::array(), normals = json::array();
  const double n = 1 / std::sqrt(3.0);
  for (int corner = 0; corner < 8; ++corner) {
    const bool x = corner == 1 || corner == 2 || corner == 5 || corner == 6;
    const bool y = corner == 2 || corner == 3 || corner == 6 || corner == 7;
    const bool z = corner >= 4;
    vertices.push_back({x ? high[0] : low[0], y ? high[1] : low[1], z ? high[2] : low[2]});
    normals.push_back({x ? n : -n, y ? n : -n, z ? n : -n});
  }
  return {{"vertices", vertices},
          {"normals", normals},
          {"faces",
           {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}}}};
}

// Millimetres: a red slab, a grey post (its layer's material), a lamp block placed twice, an
// oak-textured bench, a point light and one named view.
json HouseDocument() {
  const std::string oak = (fs::path(ORVEX_SOURCE_DIR) / "examples/textures/oak.png").string();
  return {{"path", "D:/projects/house.3dm"},
          {"units", "millimeters"},
          {"materials",
           {{{"id", "4a1b0001-0000-4000-8000-000000000001"},
             {"name", "Red"},
             {"pbr",
              {{"base_color", {1.0, 0.0, 0.0, 1.0}},
               {"roughness", 0.5},
               {"metallic", 0.0},
               {"opacity", 1.0},
               {"opacity_ior", 1.5}}}},
            {{"id", "5c2d0002-0000-4000-8000-000000000002"},
             {"name", "Grey"},
             {"diffuse", {128, 128, 128}}},
            {{"id", "6e3f0003-0000-4000-8000-000000000003"},
             {"name", "Oak"},
             {"diffuse", {150, 110, 60}},
             {"textures",
              {{{"type", 1},
                {"on", true},
                {"path", oak},
                {"amount", 1.0},
                {"uvw", {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}}}}}}},
          {"layers",
           {{{"id", "aa000001-0000-4000-8000-0000000000a1"},
             {"name", "Walls"},
             {"material", "5c2d0002-0000-4000-8000-000000000002"}}}},
          {"objects",
           {{{"id", kSlab},
             {"name", "slab"},
             {"layer", "Walls"},
             {"material", "4a1b0001-0000-4000-8000-000000000001"},
             {"mesh", BoxMesh({0, 0, 0}, {2000, 1000, 300})}},
            {{"id", kPost},
             {"name", "post"},
             {"layer", "Walls"},
             {"mesh", BoxMesh({3000, 500, 0}, {3200, 700, 2500})}},
            {{"id", "0b000003-0000-4000-8000-000000000003"},
             {"name", "bench"},
             {"layer", "Walls"},
             {"material", "6e3f0003-0000-4000-8000-000000000003"},
             {"mesh", BoxMesh({0, 3000, 0}, {1500, 3400, 450})}},
            {{"id", "0b000004-0000-4000-8000-000000000004"},
             {"name", "lamp 1"},
             {"layer", "Walls"},
             {"instance",
              {{"definition", kLampDefinition},
               {"xform", {1, 0, 0, 1000, 0, 1, 0, 2000, 0, 0, 1, 0, 0, 0, 0, 1}}}}},
            {{"id", "0b000005-0000-4000-8000-000000000005"},
             {"name", "lamp 2"},
             {"layer", "Walls"},
             {"instance",
              {{"definition", kLampDefinition},
               {"xform", {0, -1, 0, 4000, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}}}}}},
          {"instance_definitions",
           {{{"id", kLampDefinition},
             {"name", "Lamp"},
             {"objects",
              {{{"name", "shaft"},
                {"material", "4a1b0001-0000-4000-8000-000000000001"},
                {"mesh", BoxMesh({-100, -50, 0}, {100, 50, 1500})}}}}}}},
          {"lights",
           {{{"id", "2e000001-0000-4000-8000-000000000001"},
             {"name", "Ceiling"},
             {"layer", "Walls"},
             {"kind", "point"},
             {"location", {3000, 2000, 2700}}}}},
          {"named_views",
           {{{"id", "3f000001-0000-4000-8000-000000000001"},
             {"name", "Front"},
             {"viewport",
              {{"projection", "perspective"},
               {"location", {1000, -5000, 1500}},
               {"direction", {0, 1, 0}},
               {"up", {0, 0, 1}},
               {"target", {1000, 0, 1500}},
               {"frustum", {-0.46631, 0.46631, -0.35, 0.35, 1, 100000}}}}}}}};
}

void ExpectBox(const gltf_test::Box& box, const Vec3& low, const Vec3& high) {
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(box.min[i], low[i], 1e-5) << "min " << i;
    EXPECT_NEAR(box.max[i], high[i], 1e-5) << "max " << i;
  }
}

// No node mirrors: viewers get the winding wrong under one that does.
void ExpectNoMirroringNode(const GltfFile& gltf) {
  for (int node = 0; node < static_cast<int>(gltf.Nodes().size()); ++node)
    EXPECT_GT(gltf_test::Determinant3(gltf.World(node)), 0) << "node " << node;
}

json BaseColour(const GltfFile& gltf, int node) {
  return gltf.MaterialOf(node)["pbrMetallicRoughness"]["baseColorFactor"];
}

TEST(GltfOutput, TheSentModelStandsInMetresWithYUpWithItsBlocksColoursLightsAndScenes) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const fs::path out = sandbox.Root() / "out";
  const HostRun run = sandbox.RunDocument(
      HouseDocument(), {kStart, "OrvexConverterSendLights", "OrvexConverterSendScenes", kStop},
      {{"ORVEX_BRIDGE_OUT", out.string()}});
  ASSERT_EQ(run.exitCode, 0);
  ASSERT_TRUE(fs::exists(out / "model.gltf"));
  const GltfFile gltf(out / "model.gltf");
  EXPECT_GLTF_VALID(out);
  ExpectNoMirroringNode(gltf);

  // One element per object, one for the block definition, one for the materials.
  const int root = gltf.NodeNamed("model");
  EXPECT_EQ(gltf.Children(root).size(), 5u);
  const int slab = gltf.NodeNamed(kSlab);
  const int post = gltf.NodeNamed(kPost);
  const int lamps = gltf.NodeNamed(kLampDefinition);
  EXPECT_EQ(gltf.Triangles(slab), 12);  // six quads
  EXPECT_EQ(gltf.Triangles(post), 12);
  EXPECT_EQ(gltf.Triangles(lamps), 24);  // twelve per placement

  // Rhino (x, y, z) mm is glTF (x, z, -y) / 1000 m.
  ExpectBox(gltf.WorldBox(slab), {0, 0, -1}, {2, 0.3, 0});
  ExpectBox(gltf.WorldBox(post), {3, 0, -0.7}, {3.2, 2.5, -0.5});
  std::vector<int> placements = gltf.Children(lamps);
  ASSERT_EQ(placements.size(), 2u);
  std::sort(placements.begin(), placements.end(),
            [&](int a, int b) { return gltf.WorldBox(a).min[0] < gltf.WorldBox(b).min[0]; });
  // Moved to (1, 2, 0) m; turned a quarter and moved to (4, 0, 0) m.
  ExpectBox(gltf.WorldBox(placements[0]), {0.9, 0, -2.05}, {1.1, 1.5, -1.95});
  ExpectBox(gltf.WorldBox(placements[1]), {3.95, 0, -0.1}, {4.05, 1.5, 0.1});

  // Upright and unmirrored: faces and normals point out of every box.
  const int slabMesh = gltf.Children(slab)[0];
  EXPECT_EQ(gltf_test::FaceFacing(gltf, slabMesh, {1, 0.15, -0.5}), 1);
  EXPECT_EQ(gltf_test::NormalFacing(gltf, slabMesh, {1, 0.15, -0.5}), 1);
  EXPECT_EQ(gltf_test::FaceFacing(gltf, placements[1], {4, 0.75, 0}), 1);
  EXPECT_EQ(gltf_test::NormalFacing(gltf, placements[1], {4, 0.75, 0}), 1);

  // Colours: the slab's own red, the post its layer's grey (128 in sRGB).
  EXPECT_EQ(BaseColour(gltf, slabMesh), json({1.0, 0.0, 0.0, 1.0}));
  EXPECT_EQ(gltf.MaterialOf(slabMesh)["name"], "Red_4a1b");
  const json grey = BaseColour(gltf, gltf.Children(post)[0]);
  EXPECT_NEAR(grey[1].get<double>(), 0.2158605, 1e-7);
  EXPECT_EQ(BaseColour(gltf, placements[0]), json({1.0, 0.0, 0.0, 1.0}));

  // The bench wears the oak image, repeated twice each way.
  const json oak =
      gltf.MaterialOf(gltf.Children(gltf.NodeNamed("0b000003-0000-4000-8000-000000000003"))[0]);
  const json& texture = oak["pbrMetallicRoughness"]["baseColorTexture"];
  EXPECT_EQ(texture["extensions"]["KHR_texture_transform"]["scale"], json({2.0, 2.0}));
  EXPECT_EQ(gltf.json()["images"][0]["uri"], "textures/oak.png");
  EXPECT_TRUE(fs::exists(out / "textures/oak.png"));

  // The light at Rhino (3, 2, 2.7) m, and the named view as a camera at (1, -5, 1.5) m looking
  // along Rhino +Y.
  const gltf_test::Mat4 light = gltf.World(gltf.NodeNamed("Ceiling[2e00]"));
  EXPECT_NEAR(light[12], 3.0, 1e-9);
  EXPECT_NEAR(light[13], 2.7, 1e-9);
  EXPECT_NEAR(light[14], -2.0, 1e-9);
  EXPECT_EQ(
      test_support::ReadFile(out / "lights.xml").rfind("<Root><LightGroup><GroupId>0</GroupId>", 0),
      0u);
  const gltf_test::Mat4 front = gltf.World(gltf.NodeNamed("Front"));
  EXPECT_NEAR(front[12], 1.0, 1e-6);
  EXPECT_NEAR(front[13], 1.5, 1e-6);
  EXPECT_NEAR(front[14], 5.0, 1e-6);
  const Vec3 looking = gltf_test::Turn(front, {0, 0, -1});
  EXPECT_NEAR(looking[2], -1.0, 1e-9);
  const json scenes = json::parse(test_support::ReadFile(out / "scenes.json"));
  ASSERT_EQ(scenes["scenes"].size(), 1u);
  EXPECT_EQ(scenes["scenes"][0]["name"], "Front");
  EXPECT_EQ(scenes["documentPath"], "D:/projects/house.3dm");
}

TEST(GltfOutput, AnObjectHiddenBeforeAnUpdateIsGoneFromTheFile) {
  HostSandbox sandbox;
  sandbox.RememberRenderer();
  const fs::path out = sandbox.Root() / "out";
  const HostRun run =
      sandbox.RunDocument(HouseDocument(), {kStart, "Hide post", "OrvexConverterSendModel", kStop},
                          {{"ORVEX_BRIDGE_OUT", out.string()}});
  ASSERT_EQ(run.exitCode, 0);
  // The post was sent with the first model and withdrawn by the update.
  int begun = 0;
  for (const json& call : run.Calls("BeginElement")) begun += call["id"] == kPost ? 1 : 0;
  EXPECT_EQ(begun, 1);
  ASSERT_EQ(run.Calls("StartSend").size(), 2u);
  const GltfFile gltf(out / "model.gltf");
  EXPECT_TRUE(gltf.NodesNamed(kPost).empty());
  EXPECT_EQ(gltf.Triangles(gltf.NodeNamed(kSlab)), 12);
  EXPECT_EQ(gltf.Children(gltf.NodeNamed("model")).size(), 4u);
  EXPECT_GLTF_VALID(out);
}

// What a .3dm file holds for a renderer, read with openNURBS on its own: the
// triangles of the render meshes of its visible objects and their box, in
// metres in glTF's frame. A SubD's limit surface lies inside its net's box,
// and each n-sided face of a net becomes n quads, then 4 x 4 quads of each of
// those: 32 triangles per side.
struct FileRenderMeshes {
  int triangles = 0;
  gltf_test::Box box, nets;
};

FileRenderMeshes RenderMeshesOf(const fs::path& file) {
  FileRenderMeshes result;
  ONX_Model model;
  EXPECT_TRUE(model.Read(file.wstring().c_str()));
  const double metres = ON::UnitScale(model.m_settings.m_ModelUnitsAndTolerances.m_unit_system,
                                      ON::LengthUnitSystem::Meters);
  auto add = [&](gltf_test::Box& box, const ON_3dPoint& p) {
    box.Add({p.x * metres, p.z * metres, -p.y * metres});
  };
  auto addMesh = [&](const ON_Mesh* mesh) {
    ASSERT_NE(mesh, nullptr);
    result.triangles += mesh->TriangleCount() + 2 * mesh->QuadCount();
    for (int i = 0; i < mesh->VertexCount(); ++i) add(result.box, mesh->Vertex(i));
  };
  ONX_ModelComponentIterator it(model, ON_ModelComponent::Type::ModelGeometry);
  for (const ON_ModelComponent* c = it.FirstComponent(); c; c = it.NextComponent()) {
    const auto* object = ON_ModelGeometryComponent::Cast(c);
    const ON_3dmObjectAttributes* a = object->Attributes(nullptr);
    const ON_Layer* layer = ON_Layer::Cast(model.LayerFromIndex(a->m_layer_index).ModelComponent());
    if (!a->IsVisible() || (layer && !layer->IsVisible())) continue;
    const ON_Geometry* geometry = object->Geometry(nullptr);
    if (const ON_Mesh* mesh = ON_Mesh::Cast(geometry)) addMesh(mesh);
    if (const ON_Brep* brep = ON_Brep::Cast(geometry))
      for (int f = 0; f < brep->m_F.Count(); ++f) addMesh(brep->m_F[f].Mesh(ON::render_mesh));
    if (const ON_SubD* subd = ON_SubD::Cast(geometry)) {
      ON_SubDFaceIterator faces(*subd);
      for (const ON_SubDFace* f = faces.FirstFace(); f; f = faces.NextFace())
        result.triangles += 32 * f->EdgeCount();
      ON_SubDVertexIterator vertices(*subd);
      for (const ON_SubDVertex* v = vertices.FirstVertex(); v; v = vertices.NextVertex())
        add(result.nets, v->ControlNetPoint());
    }
  }
  return result;
}

TEST(GltfOutput, SampleFilesReachTheRendererWithAllTheirTrianglesWhereTheFileHasThem) {
  const fs::path source(ORVEX_SOURCE_DIR);
  for (const fs::path& file :
       {source / "tests/data/3dm/v7_my_mesh_with_material.3dm",
        source / "tests/data/3dm/v7_rhino_logo_nurbs.3dm", source / "tests/data/3dm/v5_teacup.3dm",
        source / "tests/data/3dm/v6_rhino_subd_logo.3dm"}) {
    SCOPED_TRACE(file.filename().string());
    HostSandbox sandbox;
    sandbox.RememberRenderer();
    const fs::path out = sandbox.Root() / "out";
    const HostRun run =
        sandbox.Run({"--doc", file.string(), kStart, kStop}, {{"ORVEX_BRIDGE_OUT", out.string()}});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const FileRenderMeshes expected = RenderMeshesOf(file);
    ASSERT_GT(expected.triangles, 0);
    const GltfFile gltf(out / "model.gltf");
    int triangles = 0;
    gltf_test::Box box;
    for (const int element : gltf.Children(gltf.NodeNamed("model"))) {
      if (gltf.Node(element).value("name", "") == "00000000-0000-0000-0000-000000000000") continue;
      triangles += gltf.Triangles(element);
      const gltf_test::Box b = gltf.WorldBox(element);
      box.Add(b.min);
      box.Add(b.max);
    }
    EXPECT_EQ(triangles, expected.triangles);
    ExpectNoMirroringNode(gltf);
    if (expected.nets.empty()) {
      ExpectBox(box, expected.box.min, expected.box.max);
    } else {
      for (int i = 0; i < 3; ++i) {
        EXPECT_GE(box.min[i], expected.nets.min[i] - 1e-6);
        EXPECT_LE(box.max[i], expected.nets.max[i] + 1e-6);
        EXPECT_GT(box.max[i] - box.min[i], 0.5 * (expected.nets.max[i] - expected.nets.min[i]));
      }
    }
    EXPECT_GLTF_VALID(out);
  }
}

}  // namespace
